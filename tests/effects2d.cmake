# The 2D effects, the picture flashes and the scene timeline, on the headless
# GL context.
add_executable(test_sprites test_sprites.cpp)
target_link_libraries(test_sprites PRIVATE app gl_test_context GTest::gtest_main)
periodica_gtest(test_sprites 60)

# The timeline with recording stand-ins of every effect and its own clock
# installed.
add_executable(test_timeline test_timeline.cpp)
target_link_libraries(test_timeline PRIVATE app gl_test_context GTest::gtest_main)
periodica_gtest(test_timeline 60)

add_executable(test_flash test_flash.cpp)
target_link_libraries(test_flash PRIVATE app gl_test_context GTest::gtest_main)
periodica_gtest(test_flash 60)
