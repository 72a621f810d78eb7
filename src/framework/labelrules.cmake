list(APPEND TRALU_FRAMEWORK_CORE_SOURCES qv_labelrules.cpp qv_labelrules.h)
