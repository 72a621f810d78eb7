# Includes every *.cmake file of the current source folder, in name order.
# Each area of a folder keeps its own fragment, so areas never edit one shared
# list of files.
function(tralu_include_fragments)
  file(GLOB frags CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT frags)
  foreach(f IN LISTS frags)
    include(${f})
  endforeach()
  foreach(v IN ITEMS ${ARGN})
    set(${v} ${${v}} PARENT_SCOPE)
  endforeach()
endfunction()
