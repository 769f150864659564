# periodica-capture: the demo rendered offline (frames, sound, video, profile).
add_library(capture_core STATIC
  ${CMAKE_CURRENT_LIST_DIR}/capture_ffmpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_options.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_png.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_profile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_encode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_media.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_picture.cpp)
target_link_libraries(capture_core PUBLIC offline tools_common PNG::PNG)

# The demo's start-up, timeline, effects, player and mixer, stepped offline
# (offline/) on the offline clock and tick observer.
set(capture_program_sources
  ${CMAKE_CURRENT_LIST_DIR}/capture_main.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_run.cpp
  ${CMAKE_CURRENT_LIST_DIR}/capture_progress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/publish_run.cpp)
add_executable(periodica-capture ${capture_program_sources} ${CMAKE_CURRENT_LIST_DIR}/capture_context_gl.cpp)
target_link_libraries(periodica-capture PRIVATE capture_core app OpenGL::GL)

# The same program drawing through our fixed-function layer on OpenGL ES:
# what periodica-capture --es runs. It links no OpenGL 1.x.
add_executable(periodica-capture-es ${capture_program_sources} ${CMAKE_CURRENT_LIST_DIR}/capture_context_es.cpp)
target_link_libraries(periodica-capture-es PRIVATE capture_core app_es)

# The web page's face: a still of the cube field behind the start screen's
# title, captured as the demo draws it and made a small JPEG.
set(PERIODICA_FACE ${CMAKE_BINARY_DIR}/page/face.jpg)
add_custom_command(
  OUTPUT ${PERIODICA_FACE}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/page/frames
  COMMAND periodica-capture --data ${PERIODICA_DATA_DIR} --out ${CMAKE_BINARY_DIR}/page/frames
          --frames-at 1550@1 --width 480 --height 360
  COMMAND convert ${CMAKE_BINARY_DIR}/page/frames/at_1550+1s.png -strip -quality 65 ${PERIODICA_FACE}
  DEPENDS periodica-capture pictures soundtrack
  COMMENT "Capturing the web page's still"
  VERBATIM)
# Built by `make web` only: the sanitizer builds need no still.
add_custom_target(page_face DEPENDS ${PERIODICA_FACE})
