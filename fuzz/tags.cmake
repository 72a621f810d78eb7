# The tag parsers: ID3v1 reading, ID3v2 reading, and ID3v2 write-then-read.
tralu_add_fuzzer(fuzz_id3v1_read tags_id3v1_read.cpp tralu_tags)
tralu_add_fuzzer(fuzz_id3v2_read tags_id3v2_read.cpp tralu_tags)
tralu_add_fuzzer(fuzz_id3v2_roundtrip tags_id3v2_roundtrip.cpp tralu_tags)
