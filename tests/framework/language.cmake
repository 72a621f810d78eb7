tralu_add_test(test_language QT SOURCES language_test.cpp LIBS tralu_framework)
