# The 3D effects: marching-cubes table, scalar field, GL geometry and pixels.
add_executable(test_tri_table test_tri_table.cpp)
target_link_libraries(test_tri_table PRIVATE effects GTest::gtest_main)
periodica_gtest(test_tri_table 60)

add_executable(test_field test_field.cpp)
target_link_libraries(test_field PRIVATE effects GTest::gtest_main)
periodica_gtest(test_field 60)

add_executable(test_3d_effects test_3d_effects.cpp)
target_link_libraries(test_3d_effects PRIVATE effects gl_test_context GTest::gtest_main)
periodica_gtest(test_3d_effects 60)
