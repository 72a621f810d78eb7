# tralu-cli news, in-process and through the program.
tralu_add_test(test_cli_news
  SOURCES test_cli_news.cpp
  LIBS tralu_cli_core tralu_records)
add_dependencies(test_cli_news tralu-cli)
