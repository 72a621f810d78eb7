# tralu_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [QT])
# Builds one GoogleTest program and registers its tests with CTest.  The
# program's main() (tests/support) points HOME, the XDG folders and
# TRALU_SETTINGS at a fresh temporary folder before any test runs, so no test
# can touch the real ones.  With QT the main() also creates a QApplication on
# the offscreen platform (unless QT_QPA_PLATFORM is already set).
function(tralu_add_test name)
  cmake_parse_arguments(T "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE tralu_test_main_qt)
  else()
    target_link_libraries(${name} PRIVATE tralu_test_main)
  endif()
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE TRALU_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                             TRALU_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 DISCOVERY_MODE PRE_TEST)
endfunction()
