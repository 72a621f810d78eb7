# Builds the demo collection into the build folder (where the program can be
# pointed at it: --music-root <build>/demo-collection/Music) and checks what it
# made: records, songs and their tags, covers, information files and links.
find_package(Python3 COMPONENTS Interpreter)
set(_demo_python python3)
if(Python3_Interpreter_FOUND)
  set(_demo_python ${Python3_EXECUTABLE})
endif()
add_test(NAME demo_collection
         COMMAND ${_demo_python} ${PROJECT_SOURCE_DIR}/tools/check-demo-collection
                 --generator ${PROJECT_SOURCE_DIR}/tools/make-demo-collection
                 ${CMAKE_BINARY_DIR}/demo-collection)
set_tests_properties(demo_collection PROPERTIES TIMEOUT 180 LABELS demo)
