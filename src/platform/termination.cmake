list(APPEND TRALU_PLATFORM_SOURCES termination.cpp termination.h)
