# The runs over a record's songs shared by the main window and tralu-cli.
tralu_add_test(test_songruns
  SOURCES test_songruns.cpp
  LIBS tralu_songs)
