tralu_add_test(test_application QT SOURCES application_test.cpp LIBS tralu_framework)
