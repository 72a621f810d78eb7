tralu_add_benchmark(db_build SOURCES db_build.cpp LIBS tralu_records)
