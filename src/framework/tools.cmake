list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_tools.cpp qv_tools.h)
