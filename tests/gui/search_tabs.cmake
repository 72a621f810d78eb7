tralu_add_test(test_search_tabs QT SOURCES search_tabs_test.cpp LIBS tralu_app)
