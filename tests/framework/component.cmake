tralu_add_test(test_component QT SOURCES component_test.cpp LIBS tralu_framework)
