# periodica-capture: the demo rendered offline (frames, sound, video, profile).
add_library(capture_core STATIC
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_audio.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_egl.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_ffmpeg.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_options.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_png.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_profile.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_ticks.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_wav.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/publish_encode.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/publish_media.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/publish_picture.cpp)
target_link_libraries(capture_core PUBLIC PNG::PNG OpenGL::EGL OpenGL::GL)

# The clock, the tick recorder and the viewport scaling are object files of
# the executable itself, so the live clock (app/clock.o) is never pulled in
# and the wraps catch every call into pt_tick and glViewport.
add_executable(periodica-capture
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_main.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_run.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_clock.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_wraps.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/capture_progress.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/capture/publish_run.cpp)
target_link_libraries(periodica-capture PRIVATE capture_core ${PERIODICA_LIBS})
target_link_options(periodica-capture PRIVATE -Wl,--wrap=_Z7pt_tickv -Wl,--wrap=glViewport)
