# tralu-cli db build|list|neighbours, in-process and through the program.
tralu_add_test(test_cli_db
  SOURCES test_cli_db.cpp
  LIBS tralu_cli_core tralu_records)
add_dependencies(test_cli_db tralu-cli)
