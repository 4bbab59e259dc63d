# A good list gives the loader's table in the list's order, with its names and modes; a
# list with one damaged line stops the reader with a message naming that line, and so
# does a list without music. Each case reads its list in a cmake of its own.
# usage: cmake -DREADER=<cmake/show_files.cmake> -DWORK=<scratch folder> -P show_files_list.cmake
cmake_minimum_required(VERSION 3.25)
if(DEFINED SHOW_FILES_LIST)  # one case: read the list as the builds do
  include(${READER})
  return()
endif()

# read(<list text> <result var> <output var>): the reader's exit status and what it said.
function(read text result said)
  file(REMOVE_RECURSE ${WORK})
  file(WRITE ${WORK}/list.txt "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DSHOW_FILES_LIST=${WORK}/list.txt -DREADER=${READER}
                          -P ${CMAKE_CURRENT_LIST_FILE}
                  WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE err OUTPUT_VARIABLE out)
  set(${result} ${status} PARENT_SCOPE)
  string(REGEX REPLACE "[ \n]+" " " text "${out}${err}")  # cmake wraps long messages
  set(${said} "${text}" PARENT_SCOPE)
endfunction()

set(good "# a comment\nmusic song.wav stream\n\n  font  glyphs.png raw\ncards c.png alpha\ntitle t.png  solid\n")
set(failures 0)
read("${good}" status said)
file(READ ${WORK}/generated/assets/show_files.inc table)
foreach(expected [[musicFileName = "song.wav";]]
                 [[enum ShowPicture { fontPicture, cardsPicture, titlePicture, showPictureCount };]]
                 [[{"glyphs.png", pictureRaw},
    {"c.png", pictureAlpha},
    {"t.png", pictureSolid},
};]])
  string(FIND "${table}" "${expected}" at)
  if(NOT status EQUAL 0 OR at LESS 0)
    message(SEND_ERROR "good list: status ${status}, no\n${expected}\nin\n${table}${said}")
  endif()
endforeach()

foreach(bad "logo l.png" "logo l.png alpha extra" "logo l.png sold" "badge l.png alpha"
            "title x.png alpha" "logo t.png alpha" "logo l.png raw" "font f.png alpha"
            "music other.wav stream" "logo l.wav stream")
  read("${good}${bad}\n" status said)
  string(FIND "${said}" ": ${bad}" at)
  if(status EQUAL 0 OR at LESS 0)
    message(SEND_ERROR "\"${bad}\" added: status ${status}, said:\n${said}")
  endif()
endforeach()
read("font f.png raw\n" status said)
if(status EQUAL 0 OR NOT said MATCHES "needs the music")
  message(SEND_ERROR "no music: status ${status}, said:\n${said}")
endif()
