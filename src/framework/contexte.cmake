list(APPEND TRALU_FRAMEWORK_SOURCES qv_contexte.cpp qv_contexte.h)
