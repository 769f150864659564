# The effects' shortcuts against the same pictures drawn vertex by vertex.
add_executable(test_plain_drawing test_plain_drawing.cpp)
target_link_libraries(test_plain_drawing PRIVATE app gl_test_context GTest::gtest_main)
periodica_gtest(test_plain_drawing 60)
