# The real binary run start to finish under Xvfb, as a person runs it.
find_package(X11 REQUIRED)
add_executable(x11_close_window x11_close_window.cpp)
target_link_libraries(x11_close_window PRIVATE X11::X11)

add_library(sdl_audio_tap MODULE sdl_audio_tap.cpp)
target_link_libraries(sdl_audio_tap PRIVATE PkgConfig::SDL ${CMAKE_DL_LIBS})

foreach(scenario full-run silent controls fullscreen)
  add_test(NAME whole_program_${scenario}
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/whole_program_run.sh ${scenario} ${CMAKE_BINARY_DIR}
            $<TARGET_FILE:x11_close_window> $<TARGET_FILE:sdl_audio_tap>)
  set_tests_properties(whole_program_${scenario} PROPERTIES TIMEOUT 400)
endforeach()
