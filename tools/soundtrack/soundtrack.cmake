# The soundtrack is composed and synthesised at build time into
# ${PERIODICA_DATA_DIR}; a plain build makes it.
add_executable(make_soundtrack
  ${CMAKE_CURRENT_LIST_DIR}/make_soundtrack.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_samples.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_notation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_score.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_opening.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_sections.cpp
  ${CMAKE_CURRENT_LIST_DIR}/soundtrack_writer.cpp
  # The beat tables of the picture flashes: the kicks and accents follow them.
  ${CMAKE_SOURCE_DIR}/gfx/effects/flash_tables.cpp)
target_link_libraries(make_soundtrack PRIVATE tools_common)

set(PERIODICA_SOUNDTRACK_FILE ${PERIODICA_DATA_DIR}/zentaro.mod)
add_custom_command(
  OUTPUT ${PERIODICA_SOUNDTRACK_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PERIODICA_DATA_DIR}
  COMMAND make_soundtrack ${PERIODICA_SOUNDTRACK_FILE}
  DEPENDS make_soundtrack
  COMMENT "Composing the soundtrack"
  VERBATIM)
add_custom_target(soundtrack ALL DEPENDS ${PERIODICA_SOUNDTRACK_FILE})
set_property(GLOBAL PROPERTY PERIODICA_SOUNDTRACK_FILE ${PERIODICA_SOUNDTRACK_FILE})
