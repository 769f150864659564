# Application shell and texture set.
add_executable(test_foundation
  test_foundation_textures.cpp test_foundation_shell.cpp)
target_link_libraries(test_foundation PRIVATE app pictures_painters gl_test_context GTest::gtest_main)
periodica_gtest(test_foundation 60)

# The real binary at start-up: missing module, no window.
add_test(NAME foundation_whole_program_startup
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/whole_program_startup.sh $<TARGET_FILE:periodica>)
set_tests_properties(foundation_whole_program_startup PROPERTIES TIMEOUT 60)
