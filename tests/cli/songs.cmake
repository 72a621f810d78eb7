# tralu-cli tags normalize and rename from-tags|cut on temporary folders.
tralu_add_test(test_cli_songs
  SOURCES test_cli_songs.cpp
  LIBS tralu_cli_core tralu_tags)
add_dependencies(test_cli_songs tralu-cli)
