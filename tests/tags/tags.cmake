# The tag library: text conversions, ID3v1, ID3v2 frames and objects.
tralu_add_test(test_tags
  SOURCES test_id3v1.cpp test_id3v2_frames.cpp test_id3v2.cpp
  LIBS tralu_tags)
