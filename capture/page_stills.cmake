# The page's chapter list (OUT): periodica-capture --chapters' list in FRAMES
# with each section's still, a PNG there, made a small JPEG and put in as
# hexadecimal text ("jpeg" in place of the file's name, "still").
file(READ "${FRAMES}/chapters.json" list)
string(JSON count LENGTH "${list}")
if(count EQUAL 0)
  message(FATAL_ERROR "page_stills: ${FRAMES}/chapters.json lists no chapters")
endif()
math(EXPR last "${count} - 1")
foreach(i RANGE ${last})
  string(JSON still GET "${list}" ${i} still)
  set(jpeg "${FRAMES}/chapter_${i}.jpg")
  # Downscaled from the capture's 480x360, so edges are smoothed, not jagged.
  execute_process(COMMAND convert "${FRAMES}/${still}" -resize 160x120 -strip -quality 70 "${jpeg}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "page_stills: convert could not make ${jpeg} from ${still}")
  endif()
  file(READ "${jpeg}" hex HEX)
  string(JSON list REMOVE "${list}" ${i} still)
  string(JSON list SET "${list}" ${i} jpeg "\"${hex}\"")
endforeach()
file(WRITE "${OUT}" "${list}")
