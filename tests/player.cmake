# Module player tests: loader, sequencing and effect commands through a
# recording SoundDevice table, and the offline renderer.

file(GLOB player_test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/test_player_*.cpp)
add_executable(test_player ${player_test_sources})
target_link_libraries(test_player PRIVATE tools_common player sound GTest::gtest GTest::gtest_main)
add_dependencies(test_player modrender)
target_compile_definitions(test_player PRIVATE MODRENDER_PATH="$<TARGET_FILE:modrender>")
periodica_gtest(test_player 60)

# The fuzzer is built by its script with clang++ (its own sanitizers), seeded
# with generated modules and run for a bounded time.
add_executable(make_player_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/fuzz/make_player_fuzz_seeds.cpp)
target_link_libraries(make_player_fuzz_seeds PRIVATE tools_common)
add_test(NAME player_fuzz
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/fuzz/run_player_fuzz.sh ${CMAKE_SOURCE_DIR}
                 ${CMAKE_CURRENT_BINARY_DIR}/player_fuzz 60 $<TARGET_FILE:make_player_fuzz_seeds>)
set_tests_properties(player_fuzz PROPERTIES TIMEOUT 900 LABELS fuzz)
