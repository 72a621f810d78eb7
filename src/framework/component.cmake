list(APPEND TRALU_FRAMEWORK_SOURCES qv_Component.cpp qv_Component.h)
