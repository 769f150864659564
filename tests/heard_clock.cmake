# The browser's heard clock, built natively (it needs nothing of the browser).
add_executable(test_heard_clock test_heard_clock.cpp ${CMAKE_SOURCE_DIR}/web/heard_clock.cpp)
target_link_libraries(test_heard_clock PRIVATE GTest::gtest_main)
gtest_discover_tests(test_heard_clock PROPERTIES TIMEOUT 60)
