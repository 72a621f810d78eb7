# The desktop media controls, on a session bus of their own.
add_executable(test_mpris mpris_test.cpp)
target_link_libraries(test_mpris PRIVATE tralu_test_main_qt tralu_app Qt6::DBus GTest::gtest)
add_test(NAME MprisTest.UnderItsOwnSessionBus
         COMMAND dbus-run-session -- env TRALU_PRIVATE_BUS=1 $<TARGET_FILE:test_mpris>)
