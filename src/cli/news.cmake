# tralu-cli news
list(APPEND TRALU_CLI_SOURCES cli_news.cpp cli_news.h)
list(APPEND TRALU_CLI_LIBS tralu_records)
