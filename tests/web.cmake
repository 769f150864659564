# The web build's page (make web writes it) in real browsers: Debian's
# chromium headless, and firefox-esr under Xvfb. Registered only when the
# page's path is given (make test does), so the desktop-only and sanitizer
# builds need neither the toolchain nor the browsers.
set(PERIODICA_WEB_PAGE "" CACHE FILEPATH "periodica.html of the web build, tested in real browsers when set")
if(PERIODICA_WEB_PAGE)
  find_program(CHROMIUM chromium REQUIRED)
  add_executable(test_web_page test_web_page.cpp picture_compare.cpp)
  target_link_libraries(test_web_page PRIVATE offline PNG::PNG GTest::gtest_main)
  target_compile_definitions(test_web_page PRIVATE
    WEB_PAGE="${PERIODICA_WEB_PAGE}" CHROMIUM="${CHROMIUM}"
    WEB_CONSOLE="${CMAKE_CURRENT_SOURCE_DIR}/web_console.py"
    FIREFOX_FRAME="${CMAKE_CURRENT_SOURCE_DIR}/web_firefox_frame.sh"
    CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(test_web_page periodica-capture pictures soundtrack)
  add_executable(test_web_sound test_web_sound.cpp picture_compare.cpp)
  target_link_libraries(test_web_sound PRIVATE player sound PNG::PNG GTest::gtest_main)
  target_compile_definitions(test_web_sound PRIVATE
    WEB_PAGE="${PERIODICA_WEB_PAGE}" CHROMIUM="${CHROMIUM}"
    WEB_CONSOLE="${CMAKE_CURRENT_SOURCE_DIR}/web_console.py"
    FIREFOX_SOUND="${CMAKE_CURRENT_SOURCE_DIR}/web_firefox_sound.sh"
    MODRENDER_BINARY="$<TARGET_FILE:modrender>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(test_web_sound modrender soundtrack)
  add_executable(test_web_screens test_web_screens.cpp picture_compare.cpp)
  target_link_libraries(test_web_screens PRIVATE PNG::PNG GTest::gtest_main)
  target_compile_definitions(test_web_screens PRIVATE
    WEB_PAGE="${PERIODICA_WEB_PAGE}" CHROMIUM="${CHROMIUM}"
    WEB_CONSOLE="${CMAKE_CURRENT_SOURCE_DIR}/web_console.py"
    CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
  add_dependencies(test_web_screens periodica-capture pictures soundtrack)
  add_executable(test_web_resolution test_web_resolution.cpp)
  target_link_libraries(test_web_resolution PRIVATE GTest::gtest_main)
  target_compile_definitions(test_web_resolution PRIVATE
    WEB_PAGE="${PERIODICA_WEB_PAGE}" CHROMIUM="${CHROMIUM}" WEB_CONSOLE="${CMAKE_CURRENT_SOURCE_DIR}/web_console.py")
  add_executable(test_web_chapters test_web_chapters.cpp)
  target_link_libraries(test_web_chapters PRIVATE GTest::gtest_main)
  target_compile_definitions(test_web_chapters PRIVATE
    WEB_PAGE="${PERIODICA_WEB_PAGE}" CHROMIUM="${CHROMIUM}" WEB_CONSOLE="${CMAKE_CURRENT_SOURCE_DIR}/web_console.py")
  # Named as whole-program runs: the real page in real browsers.
  add_test(NAME whole_program_web_frames COMMAND test_web_page --gtest_filter=WebPage.SingleFrames*)
  add_test(NAME whole_program_web_realtime COMMAND test_web_page --gtest_filter=WebPage.TheShowRuns*)
  add_test(NAME whole_program_web_sound COMMAND test_web_sound)
  add_test(NAME whole_program_web_screens COMMAND test_web_screens)
  add_test(NAME whole_program_web_chapters COMMAND test_web_chapters)
  # Its frames are made late on purpose, so a busy machine doesn't change it.
  add_test(NAME whole_program_web_resolution COMMAND test_web_resolution)
  set_tests_properties(whole_program_web_frames whole_program_web_realtime whole_program_web_sound
    whole_program_web_screens whole_program_web_chapters whole_program_web_resolution PROPERTIES TIMEOUT 1500)
  # Alone, so the pace and the sync they check are the page's, not those of
  # a machine busy with other tests; the chapters' idle time is real time.
  set_tests_properties(whole_program_web_realtime whole_program_web_sound whole_program_web_screens
    whole_program_web_chapters PROPERTIES RUN_SERIAL TRUE)
endif()
