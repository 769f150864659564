# The show stepped offline, against stand-in songs.
add_executable(test_offline test_offline.cpp)
target_link_libraries(test_offline PRIVATE offline gfx GTest::gtest_main)
periodica_gtest(test_offline 60)
