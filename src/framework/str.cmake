list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_str.cpp qv_str.h)
