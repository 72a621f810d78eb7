tralu_add_benchmark(startup SOURCES startup.cpp LIBS Qt6::Widgets)
add_executable(bench_startup_baseline startup_baseline.cpp)
target_link_libraries(bench_startup_baseline PRIVATE Qt6::Widgets)
add_dependencies(bench_startup bench_startup_baseline tralu)
