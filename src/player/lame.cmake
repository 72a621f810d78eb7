list(APPEND TRALU_PLAYER_SOURCES cx_lame_header.cpp cx_lame_header.h)
