list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_shortcut.cpp qv_shortcut.h)
