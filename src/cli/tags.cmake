# tralu-cli tags show|set|remove
list(APPEND TRALU_CLI_SOURCES cli_tags.cpp cli_tags.h)
list(APPEND TRALU_CLI_LIBS tralu_tags)
