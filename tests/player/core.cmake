#The player core over a recording fake graph, and its rules.
tralu_add_test(test_player_core SOURCES test_player_core.cpp fake_graph.h LIBS tralu_player QT)
