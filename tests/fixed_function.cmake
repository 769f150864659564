# The fixed-function layer against OpenGL 1.x: the same drawings, built once
# against each, must look the same.
add_executable(fixed_function_reference fixed_function_reference.cpp fixed_function_cases.cpp)
target_link_libraries(fixed_function_reference PRIVATE headless OpenGL::GL)

# The layer's objects themselves, so no library order can let another GL in.
add_executable(test_fixed_function test_fixed_function.cpp fixed_function_cases.cpp picture_compare.cpp
               $<TARGET_OBJECTS:fixed_function>)
target_link_libraries(test_fixed_function PRIVATE headless PNG::PNG GTest::gtest_main)
target_compile_definitions(test_fixed_function PRIVATE
  REFERENCE_BINARY="$<TARGET_FILE:fixed_function_reference>")
add_dependencies(test_fixed_function fixed_function_reference)
periodica_gtest(test_fixed_function 120)

# The whole show's sections, captured both ways. Named as a whole-program
# run: it draws the show twice, too long for the sanitizer builds.
add_executable(test_es_frames test_es_frames.cpp picture_compare.cpp)
target_link_libraries(test_es_frames PRIVATE PNG::PNG GTest::gtest_main)
target_compile_definitions(test_es_frames PRIVATE
  CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
add_dependencies(test_es_frames periodica-capture periodica-capture-es pictures soundtrack)
add_test(NAME whole_program_es_frames COMMAND test_es_frames)
set_tests_properties(whole_program_es_frames PROPERTIES TIMEOUT 1800)
