# The long module the renderer benchmark plays (see modrender_speed.sh).
add_executable(make_long_module ${CMAKE_CURRENT_LIST_DIR}/make_long_module.cpp)
target_link_libraries(make_long_module PRIVATE tools_common player)
