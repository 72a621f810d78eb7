# tralu-cli tags normalize, rename from-tags|cut: runs over the songs of a
# record folder, shared with the main window.
list(APPEND TRALU_CLI_SOURCES cli_songs.cpp cli_songs.h cli_normalize.cpp cli_normalize.h
                              cli_rename.cpp cli_rename.h)
list(APPEND TRALU_CLI_LIBS tralu_songs)
list(APPEND TRALU_CLI_LIBS tralu_records)
