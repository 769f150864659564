# The fixed-function layer against OpenGL 1.x: the same drawings, built once
# against each, must look the same.
add_executable(fixed_function_reference fixed_function_reference.cpp fixed_function_cases.cpp)
target_link_libraries(fixed_function_reference PRIVATE tools_common OpenGL::GL)

# The layer's objects themselves, so no library order can let another GL in.
add_executable(test_fixed_function test_fixed_function.cpp fixed_function_cases.cpp picture_compare.cpp
               $<TARGET_OBJECTS:fixed_function>)
target_link_libraries(test_fixed_function PRIVATE tools_common PNG::PNG GTest::gtest_main)
target_compile_definitions(test_fixed_function PRIVATE
  REFERENCE_BINARY="$<TARGET_FILE:fixed_function_reference>")
add_dependencies(test_fixed_function fixed_function_reference)
gtest_discover_tests(test_fixed_function)
