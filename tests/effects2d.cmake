# The 2D effects, the picture flashes and the scene timeline, on the headless
# GL context.
add_executable(test_sprites test_sprites.cpp)
target_link_libraries(test_sprites PRIVATE ${PERIODICA_LIBS} gl_test_context GTest::gtest_main)
gtest_discover_tests(test_sprites)

# The timeline runs against recording stand-ins of every effect and its own
# clock, so it is built from its source alone, without the effect libraries.
add_executable(test_timeline test_timeline.cpp ${CMAKE_SOURCE_DIR}/app/timeline.cpp)
target_link_libraries(test_timeline PRIVATE gl_test_context GTest::gtest_main)
gtest_discover_tests(test_timeline)

add_executable(test_flash test_flash.cpp)
target_link_libraries(test_flash PRIVATE ${PERIODICA_LIBS} gl_test_context GTest::gtest_main)
gtest_discover_tests(test_flash)

add_executable(test_sprite_grid_cover test_sprite_grid_cover.cpp)
target_link_libraries(test_sprite_grid_cover PRIVATE ${PERIODICA_LIBS} gl_test_context GTest::gtest_main)
gtest_discover_tests(test_sprite_grid_cover)
