add_executable(tralu_test_argv_recorder argv_recorder.cpp)

tralu_add_test(test_tools SOURCES test_tools.cpp lnk_builder.h LIBS tralu_framework_core)
add_dependencies(test_tools tralu_test_argv_recorder)
target_compile_definitions(test_tools
                           PRIVATE TRALU_ARGV_RECORDER="$<TARGET_FILE:tralu_test_argv_recorder>")

tralu_add_test(test_shortcut SOURCES test_shortcut.cpp lnk_builder.h LIBS tralu_framework_core)
