tralu_add_test(test_panel_rules QT SOURCES panel_rules_test.cpp LIBS tralu_app)
