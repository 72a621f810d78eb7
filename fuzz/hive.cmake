tralu_add_fuzzer(fuzz_hive fuzz_hive.cpp tralu_platform)
