list(APPEND TRALU_FRAMEWORK_SOURCES qv_fbaseMain.cpp qv_fbaseMain.h)
