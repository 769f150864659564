# periodica-capture: the demo rendered offline (frames, sound, video, profile).
add_library(capture_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/capture_audio.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_ffmpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_ticks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_encode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_media.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_picture.cpp)
target_link_libraries(capture_core PUBLIC tools_common PNG::PNG OpenGL::GL)

# The demo's start-up, timeline, effects, player and mixer, run against the
# capture's clock and tick observer.
add_executable(periodica-capture
  ${CMAKE_CURRENT_LIST_DIR}/capture_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_run.cpp)
target_link_libraries(periodica-capture PRIVATE capture_core app)
