tralu_add_test(test_contexte SOURCES contexte_test.cpp LIBS tralu_framework QT)
