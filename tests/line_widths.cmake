# Outline widths by picture height, through the whole frame: on OpenGL 1.x,
# and through the fixed-function layer on OpenGL ES.
add_executable(test_line_widths test_line_widths.cpp)
target_link_libraries(test_line_widths PRIVATE app headless OpenGL::GL GTest::gtest_main)
periodica_gtest(test_line_widths 60)

add_executable(test_line_widths_es test_line_widths.cpp)
target_link_libraries(test_line_widths_es PRIVATE app_es headless GTest::gtest_main)
target_compile_definitions(test_line_widths_es PRIVATE DRAWS_THROUGH_LAYER=1)
periodica_gtest(test_line_widths_es 60)
