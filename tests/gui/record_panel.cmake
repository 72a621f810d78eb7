tralu_add_test(test_record_panel QT SOURCES record_panel_test.cpp LIBS tralu_app)
