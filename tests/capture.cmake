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
target_sources(test_capture_run PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/reference_show.cpp)
capture_tool_test(test_capture_publish capture_core)
target_sources(test_capture_publish PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/picture_compare.cpp)

# Frames stepped unseen against a capture drawing every frame of the show,
# on OpenGL 1.x and through the layer: two tests, so they run side by side.
# Whole-show runs, left to the plain build as the other whole_program tests.
add_executable(test_unseen_steps test_unseen_steps.cpp picture_compare.cpp reference_show.cpp)
target_link_libraries(test_unseen_steps PRIVATE capture_core app PNG::PNG GTest::gtest_main)
target_compile_definitions(test_unseen_steps PRIVATE
  CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
add_dependencies(test_unseen_steps periodica-capture periodica-capture-es pictures soundtrack)
add_test(NAME whole_program_unseen_steps_gl COMMAND test_unseen_steps --gtest_filter=UnseenSteps.OpenGl*)
add_test(NAME whole_program_unseen_steps_es COMMAND test_unseen_steps --gtest_filter=UnseenSteps.Layer*)
set_tests_properties(whole_program_unseen_steps_gl whole_program_unseen_steps_es PROPERTIES TIMEOUT 900)
