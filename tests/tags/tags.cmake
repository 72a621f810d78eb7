# The tag library: text conversions, ID3v1, ID3v2 frames and objects.
tralu_add_test(test_tags
  SOURCES test_id3v1.cpp test_id3v2_frames.cpp test_id3v2.cpp test_tag_io.cpp
  LIBS tralu_tags)

# Interoperability with TagLib (reading and writing) and GStreamer's tag
# muxer; a test-only dependency.
pkg_check_modules(TAGLIB IMPORTED_TARGET taglib)
if(TAGLIB_FOUND)
  tralu_add_test(test_tags_interop
    SOURCES test_tags_interop.cpp
    LIBS tralu_tags PkgConfig::TAGLIB)
endif()

# Writers killed in the middle of a rewrite (a 20 MB file, 50 rounds).
tralu_add_test(test_tags_crash
  SOURCES test_tags_crash.cpp
  LIBS tralu_tags)
