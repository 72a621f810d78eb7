list(APPEND TRALU_FRAMEWORK_SOURCES qv_confirm.cpp qv_confirm.h)
