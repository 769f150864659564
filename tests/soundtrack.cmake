# The generated soundtrack: format, sync with the flash tables, effects used,
# running time, and a render through the real player and mixer.
get_property(soundtrack_file GLOBAL PROPERTY PERIODICA_SOUNDTRACK_FILE)
add_executable(test_soundtrack ${CMAKE_CURRENT_LIST_DIR}/test_soundtrack.cpp
                               ${CMAKE_SOURCE_DIR}/gfx/effects/flash_tables.cpp)
target_link_libraries(test_soundtrack PRIVATE player GTest::gtest_main)
add_dependencies(test_soundtrack soundtrack)
target_compile_definitions(test_soundtrack PRIVATE
  SOUNDTRACK_MOD_PATH="${soundtrack_file}"
  MAKE_SOUNDTRACK_PATH="$<TARGET_FILE:make_soundtrack>")
periodica_gtest(test_soundtrack 60)
