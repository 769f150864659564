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
target_link_libraries(capture_core PUBLIC tools_common PNG::PNG)

# The demo's start-up, timeline, effects, player and mixer, run against the
# capture's clock and tick observer.
set(capture_program_sources
  ${CMAKE_CURRENT_LIST_DIR}/capture_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_clock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_run.cpp)
add_executable(periodica-capture ${capture_program_sources} ${CMAKE_CURRENT_LIST_DIR}/capture_context_gl.cpp)
target_link_libraries(periodica-capture PRIVATE capture_core app OpenGL::GL)

# The same program drawing through our fixed-function layer on OpenGL ES:
# what periodica-capture --es runs. It links no OpenGL 1.x.
add_executable(periodica-capture-es ${capture_program_sources} ${CMAKE_CURRENT_LIST_DIR}/capture_context_es.cpp)
target_link_libraries(periodica-capture-es PRIVATE capture_core app_es)
