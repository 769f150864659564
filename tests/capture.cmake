# periodica-capture: its parts without OpenGL or the player; the whole tool
# run on the generated data at a small size, against the player and audio
# callback driven in the test itself; and --publish through Debian's ffmpeg.
add_executable(test_capture_units ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_units.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/picture_compare.cpp)
target_link_libraries(test_capture_units PRIVATE capture_core PNG::PNG GTest::gtest_main)
periodica_gtest(test_capture_units 60)

# Suites that run the tool on the generated data.
function(capture_tool_test name)
  add_executable(${name} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE
    CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(${name} periodica-capture pictures soundtrack)
  periodica_gtest(${name} 300)
endfunction()
capture_tool_test(test_capture_run app)
capture_tool_test(test_capture_publish capture_core)
target_sources(test_capture_publish PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/picture_compare.cpp)
