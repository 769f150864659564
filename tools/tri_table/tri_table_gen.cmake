# Regenerates the marching-cubes table by hand; not run by the build:
#   tri_table_gen > gfx/effects/tri_table.cpp
add_executable(tri_table_gen ${CMAKE_CURRENT_LIST_DIR}/tri_table_gen.cpp)
