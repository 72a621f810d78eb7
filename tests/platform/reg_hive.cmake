tralu_add_test(test_reg_hive SOURCES reg_hive_test.cpp LIBS tralu_platform)
