list(APPEND TRALU_FRAMEWORK_SOURCES qv_language.cpp qv_language.h)
