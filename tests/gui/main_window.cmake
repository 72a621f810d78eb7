tralu_add_test(test_main_window QT SOURCES main_window_test.cpp LIBS tralu_app)
