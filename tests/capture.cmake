# periodica-capture: its parts without OpenGL or the player, and the whole
# tool run on the generated data at a small size.
add_executable(test_capture_units ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_units.cpp)
target_link_libraries(test_capture_units PRIVATE capture_core GTest::gtest_main)
gtest_discover_tests(test_capture_units)

# The whole tool on the generated data. The test drives the player and the
# audio callback itself (observing every tick's position) as the reference.
add_executable(test_capture_run ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_run.cpp)
target_link_libraries(test_capture_run PRIVATE app GTest::gtest_main)
target_compile_definitions(test_capture_run PRIVATE
  CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
add_dependencies(test_capture_run periodica-capture)
foreach(data_target pictures soundtrack)
  if(TARGET ${data_target})
    add_dependencies(test_capture_run ${data_target})
  endif()
endforeach()
gtest_discover_tests(test_capture_run PROPERTIES TIMEOUT 600)
