tralu_add_test(test_player_tab QT SOURCES player_tab_test.cpp LIBS tralu_app)
