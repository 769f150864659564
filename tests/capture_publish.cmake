# periodica-capture --publish: its picture filter, layout, chapters and
# loudness parsing, and the tool itself publishing short spans through
# Debian's ffmpeg.
add_executable(test_capture_publish ${CMAKE_CURRENT_SOURCE_DIR}/test_capture_publish.cpp)
target_link_libraries(test_capture_publish PRIVATE capture_core GTest::gtest_main)
target_compile_definitions(test_capture_publish PRIVATE
  CAPTURE_BINARY="$<TARGET_FILE:periodica-capture>" CAPTURE_DATA_DIR="${CMAKE_BINARY_DIR}/data")
add_dependencies(test_capture_publish periodica-capture)
foreach(data_target pictures soundtrack)
  if(TARGET ${data_target})
    add_dependencies(test_capture_publish ${data_target})
  endif()
endforeach()
gtest_discover_tests(test_capture_publish PROPERTIES TIMEOUT 900)
