# The gapless header reader needs only the C++ library: built into the
# target from its source, without the player's GStreamer and Qt.
tralu_add_fuzzer(fuzz_lame_header fuzz_lame_header.cpp)
target_sources(fuzz_lame_header PRIVATE ${PROJECT_SOURCE_DIR}/src/player/cx_lame_header.cpp)
target_include_directories(fuzz_lame_header PRIVATE ${PROJECT_SOURCE_DIR}/src)
