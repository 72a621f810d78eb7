#The gap benchmark's join detector on synthetic recordings.
tralu_add_test(test_gap_detect SOURCES test_gap_detect.cpp ${PROJECT_SOURCE_DIR}/bench/gap_detect.cpp)
target_include_directories(test_gap_detect PRIVATE ${PROJECT_SOURCE_DIR}/bench)
