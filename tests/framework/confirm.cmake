tralu_add_test(test_confirm SOURCES test_confirm.cpp LIBS tralu_framework QT)
