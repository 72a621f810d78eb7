# tralu-cli db build|list|neighbours
list(APPEND TRALU_CLI_SOURCES cli_db.cpp cli_db.h)
list(APPEND TRALU_CLI_LIBS tralu_records)
