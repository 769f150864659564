# The picture generator: its output decoded by the demo's own loader, and its
# JPEG writer. The test runs the tool itself into temporary folders.
add_executable(test_pictures test_pictures.cpp)
target_link_libraries(test_pictures PRIVATE pictures_painters gfx GTest::gtest_main)
target_compile_definitions(test_pictures PRIVATE MAKE_PICTURES_PATH="$<TARGET_FILE:make_pictures>")
add_dependencies(test_pictures make_pictures)
periodica_gtest(test_pictures 120)
