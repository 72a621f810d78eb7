tralu_add_benchmark(search_views SOURCES search_views.cpp LIBS tralu_app)
