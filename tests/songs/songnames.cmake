# Song-name rules and their file side (no widgets).
tralu_add_test(test_songnames
  SOURCES test_songnames.cpp
  LIBS tralu_songs)
