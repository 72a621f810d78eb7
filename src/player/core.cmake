list(APPEND TRALU_PLAYER_SOURCES cx_player.cpp cx_player.h cx_player_rules.cpp cx_player_rules.h
                                 media_graph.h)
