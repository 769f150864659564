# The release's Debian package and what it holds: the program's command line
# and data search, the package built by scripts/make-deb, checked and run
# where it was unpacked.
add_executable(test_data_search test_data_search.cpp)
target_link_libraries(test_data_search PRIVATE app GTest::gtest_main)
periodica_gtest(test_data_search 30)

# The package holds the plain build's program: a sanitizer build's would be
# another program (and the audio tap can't be preloaded before its runtime).
if(PERIODICA_SANITIZE)
  return()
endif()

foreach(scenario contents lint)
  add_test(NAME package_${scenario}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package_check.sh ${scenario} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
            ${PROJECT_VERSION})
  set_tests_properties(package_${scenario} PROPERTIES TIMEOUT 180)
endforeach()

# The unpacked program, run under Xvfb (x11_close_window and sdl_audio_tap
# come from whole_program.cmake).
foreach(scenario plays data-search options)
  add_test(NAME package_run_${scenario}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/package_run.sh ${scenario} ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
            ${PROJECT_VERSION} $<TARGET_FILE:x11_close_window> $<TARGET_FILE:sdl_audio_tap>)
  set_tests_properties(package_run_${scenario} PROPERTIES TIMEOUT 240)
endforeach()
