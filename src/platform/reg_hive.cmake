list(APPEND TRALU_PLATFORM_SOURCES reg_hive.cpp reg_hive.h)
