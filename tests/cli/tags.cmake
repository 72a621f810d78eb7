# tralu-cli tags show|set|remove, run in-process.
tralu_add_test(test_cli_tags
  SOURCES test_cli_tags.cpp
  LIBS tralu_cli_core tralu_tags)
