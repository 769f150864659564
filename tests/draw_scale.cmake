# The page's dynamic resolution, built natively (it needs nothing of the browser).
add_executable(test_draw_scale test_draw_scale.cpp ${CMAKE_SOURCE_DIR}/web/draw_scale.cpp)
target_link_libraries(test_draw_scale PRIVATE GTest::gtest_main)
gtest_discover_tests(test_draw_scale PROPERTIES TIMEOUT 60)
