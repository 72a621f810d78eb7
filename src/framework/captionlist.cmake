list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_captionlist.cpp qv_captionlist.h)
