list(APPEND TRALU_FRAMEWORK_SOURCES qv_fBaseDialog.cpp qv_fBaseDialog.h)
