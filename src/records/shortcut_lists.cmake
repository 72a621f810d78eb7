# The new-music list, bookmarks and the cover search's rules.
list(APPEND TRALU_RECORDS_SOURCES cx_shortcut_lists.cpp cx_shortcut_lists.h)
