# tralu-cli play: the built-in player without a window.
list(APPEND TRALU_CLI_SOURCES cli_play.cpp cli_play.h)
list(APPEND TRALU_CLI_LIBS tralu_player tralu_songs tralu_platform)
