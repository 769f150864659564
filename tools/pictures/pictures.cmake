# The seven pictures are painted at build time from the sources below into
# ${PERIODICA_DATA_DIR}; a plain build makes them.
add_library(pictures_painters STATIC
  ${CMAKE_CURRENT_LIST_DIR}/pictures_common.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures_jpeg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures_full.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures_sprites.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures_strips.cpp)
target_link_libraries(pictures_painters PUBLIC JPEG::JPEG)

add_executable(make_pictures ${CMAKE_CURRENT_LIST_DIR}/make_pictures.cpp)
target_link_libraries(make_pictures PRIVATE pictures_painters)

set(PERIODICA_PICTURE_FILES)
foreach(name velmor tandro quillet brasko orvane pimsel dorrin)
  list(APPEND PERIODICA_PICTURE_FILES ${PERIODICA_DATA_DIR}/${name}.jpg)
endforeach()
add_custom_command(
  OUTPUT ${PERIODICA_PICTURE_FILES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PERIODICA_DATA_DIR}
  COMMAND make_pictures ${PERIODICA_DATA_DIR}
  DEPENDS make_pictures
  COMMENT "Painting the demo's pictures"
  VERBATIM)
add_custom_target(pictures ALL DEPENDS ${PERIODICA_PICTURE_FILES})
