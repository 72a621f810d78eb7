# The program end to end: started with --screenshot, offscreen and under a
# real X server.
add_test(NAME gui_screenshot_offscreen
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/screenshot_smoke.sh $<TARGET_FILE:tralu> offscreen)
add_test(NAME gui_screenshot_xvfb
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/screenshot_smoke.sh $<TARGET_FILE:tralu> xvfb)
set_tests_properties(gui_screenshot_offscreen gui_screenshot_xvfb PROPERTIES TIMEOUT 120)
if(TRALU_SANITIZE)
  set_tests_properties(gui_screenshot_offscreen gui_screenshot_xvfb PROPERTIES
                       ENVIRONMENT "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp")
endif()
