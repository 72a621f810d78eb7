# tralu-cli play with a fake audio sink.
tralu_add_test(test_cli_play
  SOURCES test_cli_play.cpp
  LIBS tralu_cli_core
  QT)
target_include_directories(test_cli_play PRIVATE ${PROJECT_SOURCE_DIR}/tests/player)
add_dependencies(test_cli_play tralu-cli)
