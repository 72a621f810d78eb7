list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_fitrect.cpp qv_fitrect.h)
