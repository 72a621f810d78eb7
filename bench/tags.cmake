# Tag reading against TagLib, tag writing against cp.
pkg_check_modules(TAGLIB IMPORTED_TARGET taglib)
if(TAGLIB_FOUND)
  tralu_add_benchmark(tag_read SOURCES tags_read_bench.cpp LIBS tralu_tags PkgConfig::TAGLIB)
endif()
tralu_add_benchmark(tag_write SOURCES tags_write_bench.cpp LIBS tralu_tags)
