# The flash analysis on made-up frame sequences; and the whole show's flashes
# at 256x192 against the figures the README gives and the chapters the page's
# notice names (a whole-program run: the real capture tool, about a minute).
add_executable(test_flash_analysis ${CMAKE_CURRENT_SOURCE_DIR}/test_flash_analysis.cpp)
target_link_libraries(test_flash_analysis PRIVATE flash_analysis GTest::gtest_main)
periodica_gtest(test_flash_analysis 60)

add_executable(test_flash_show ${CMAKE_CURRENT_SOURCE_DIR}/test_flash_show.cpp)
target_link_libraries(test_flash_show PRIVATE GTest::gtest_main)
target_compile_definitions(test_flash_show PRIVATE
  CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data"
  README_PATH="${CMAKE_SOURCE_DIR}/README.md" PAGE_PATH="${CMAKE_SOURCE_DIR}/web/page.html")
add_dependencies(test_flash_show periodica-capture pictures soundtrack)
add_test(NAME whole_program_flashes COMMAND test_flash_show)
set_tests_properties(whole_program_flashes PROPERTIES TIMEOUT 600)
