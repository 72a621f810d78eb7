list(APPEND TRALU_FRAMEWORK_SOURCES qv_fBaseAPropos.cpp qv_fBaseAPropos.h)
