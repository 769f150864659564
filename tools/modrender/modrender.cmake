# modrender: renders a MOD file to a WAV file through the demo's own loader,
# replay routine, mixer and audio callback, without SDL.
add_executable(modrender ${CMAKE_CURRENT_LIST_DIR}/modrender.cpp)
target_link_libraries(modrender PRIVATE player headless)
