tralu_add_benchmark(cover_grid SOURCES cover_grid.cpp LIBS tralu_app)
