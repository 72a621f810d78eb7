list(APPEND TRALU_PLATFORM_SOURCES atomic_file.cpp atomic_file.h)
