# Makes the page (OUT) from PAGE, putting in place of its marker lines:
#   <!-- program -->       the program's script (SCRIPT)
#   <!-- sound -->         the page's sound script (SOUND_SCRIPT)
#   <!-- sound worklet --> the worklet's source (WORKLET) as text, and the
#                          audio module (AUDIO_MODULE) as hexadecimal text
#   <!-- page -->          the page's own script (PAGE_SCRIPT)
#   <!-- face -->          the start screen's still (FACE, a JPEG) as
#                          hexadecimal text
#   <!-- chapters -->      the start screen's chapter list (CHAPTERS, JSON
#                          with each still as hexadecimal text)
# Fails when a marker is missing or a script holds text that would end or
# confuse the <script> element it goes into.
function(script_text path out)
  file(READ "${path}" text)
  foreach(bad "</script" "<!--")
    string(FIND "${text}" "${bad}" at)
    if(NOT at EQUAL -1)
      message(FATAL_ERROR "make_page: ${path} contains '${bad}', which can't go inside a <script> element")
    endif()
  endforeach()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

function(put_in marker text)
  string(FIND "${page}" "${marker}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "make_page: ${PAGE} has no ${marker} line")
  endif()
  string(REPLACE "${marker}" "${text}" page "${page}")
  set(page "${page}" PARENT_SCOPE)
endfunction()

file(READ "${PAGE}" page)
script_text("${SCRIPT}" program)
script_text("${SOUND_SCRIPT}" sound)
script_text("${WORKLET}" worklet)
script_text("${PAGE_SCRIPT}" page_script)
script_text("${CHAPTERS}" chapters)
file(READ "${AUDIO_MODULE}" audio_module HEX)
file(READ "${FACE}" face HEX)
put_in("<!-- program -->" "<script>\n${program}</script>")
put_in("<!-- sound -->" "<script>\n${sound}</script>")
put_in("<!-- sound worklet -->" "<script type=\"text/plain\" id=\"sound-worklet\">\n${worklet}</script>
<script type=\"text/plain\" id=\"audio-module\">${audio_module}</script>")
put_in("<!-- page -->" "<script>\n${page_script}</script>")
put_in("<!-- face -->" "${face}")
put_in("<!-- chapters -->" "${chapters}")
file(WRITE "${OUT}" "${page}")
file(SIZE "${OUT}" size)
math(EXPR kilobytes "${size} / 1024")
message(STATUS "periodica.html: ${kilobytes} KiB (${size} bytes)")
# A page to open over a phone's connection: 1.6 MB at most.
if(size GREATER_EQUAL 1600000)
  message(FATAL_ERROR "make_page: periodica.html is ${size} bytes, over the page's 1600000")
endif()
