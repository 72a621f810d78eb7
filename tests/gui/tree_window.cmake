tralu_add_test(test_tree_window QT SOURCES test_tree_window.cpp LIBS tralu_app)
