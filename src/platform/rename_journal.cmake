list(APPEND TRALU_PLATFORM_SOURCES rename_journal.cpp rename_journal.h)
