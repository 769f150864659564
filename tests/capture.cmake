# periodica-capture: its parts without OpenGL or the player, and the whole
# tool run on the generated data at a small size.
add_executable(test_capture_units ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_units.cpp)
target_link_libraries(test_capture_units PRIVATE capture_core GTest::gtest_main)
gtest_discover_tests(test_capture_units)
