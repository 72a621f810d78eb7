list(APPEND TRALU_FRAMEWORK_SOURCES qv_application.cpp qv_application.h)
