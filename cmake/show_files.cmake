# The show's files, read from their one list, assets/show_files.txt (role, file name,
# loading mode, in the order start-up loads them). Included by the native build and by
# every other build of the show; gives
#   SHOW_FILES_LIST      the list's path
#   SHOW_FILE_NAMES      all the file names, in the list's order (the music first)
#   SHOW_PICTURE_NAMES   the pictures' names, in the order start-up loads them
#   SHOW_PICTURE_ROLES   their roles, side by side with SHOW_PICTURE_NAMES (title, cards ...)
#   SHOW_MUSIC_NAME      the music's name
#   SHOW_GENERATED_DIR   an include folder holding assets/show_files.inc, the loader's
#                        table made from the list (included by assets/assets.h)
# A line that is not "role name mode", a role the show does not draw, a role or name
# given twice, or a mode its role cannot have stops the configuration, naming the line.
if(NOT SHOW_FILES_LIST)  # the tests give lists of their own
  get_filename_component(SHOW_FILES_LIST ${CMAKE_CURRENT_LIST_DIR}/../assets/show_files.txt ABSOLUTE)
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${SHOW_FILES_LIST})

set(SHOW_FILE_NAMES)
set(SHOW_PICTURE_NAMES)
set(SHOW_MUSIC_NAME)
set(SHOW_PICTURE_ROLES)  # the pictures' roles, modes and names go side by side
set(_show_modes)
set(_seen_roles)
file(STRINGS ${SHOW_FILES_LIST} _show_lines)
foreach(_line IN LISTS _show_lines)
  if(_line MATCHES "^[ \t]*(#|$)")
    continue()
  endif()
  if(NOT _line MATCHES "^[ \t]*([a-z]+)[ \t]+([A-Za-z0-9_.-]+)[ \t]+([a-z]+)[ \t]*$")
    message(FATAL_ERROR "${SHOW_FILES_LIST}: not \"role name mode\": ${_line}")
  endif()
  set(_role ${CMAKE_MATCH_1})
  set(_name ${CMAKE_MATCH_2})
  set(_mode ${CMAKE_MATCH_3})
  if(NOT _role MATCHES "^(music|font|title|layer|writer|logo|footer|cards)$")
    message(FATAL_ERROR "${SHOW_FILES_LIST}: not a role of the show's: ${_line}")
  endif()
  if(_role IN_LIST _seen_roles OR _name IN_LIST SHOW_FILE_NAMES)
    message(FATAL_ERROR "${SHOW_FILES_LIST}: named twice: ${_line}")
  endif()
  if(_role STREQUAL "music" AND _mode STREQUAL "stream")
    set(SHOW_MUSIC_NAME ${_name})
  elseif(_role STREQUAL "music" OR NOT _mode MATCHES "^(raw|solid|alpha)$" OR
         (_role STREQUAL "font" AND NOT _mode STREQUAL "raw") OR
         (_mode STREQUAL "raw" AND NOT _role STREQUAL "font"))
    message(FATAL_ERROR "${SHOW_FILES_LIST}: the music streams, the font is raw, the other "
                        "pictures solid or alpha: ${_line}")
  else()
    list(APPEND SHOW_PICTURE_NAMES ${_name})
    list(APPEND SHOW_PICTURE_ROLES ${_role})
    list(APPEND _show_modes ${_mode})
  endif()
  list(APPEND SHOW_FILE_NAMES ${_name})
  list(APPEND _seen_roles ${_role})
endforeach()
if(NOT SHOW_MUSIC_NAME OR NOT SHOW_PICTURE_NAMES)
  message(FATAL_ERROR "${SHOW_FILES_LIST}: needs the music and at least one picture")
endif()

# The loader's table, rewritten only when it changes.
set(SHOW_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
function(_kessivar_show_files_header dir)
  set(pictures "")
  set(table "")
  foreach(role name mode IN ZIP_LISTS SHOW_PICTURE_ROLES SHOW_PICTURE_NAMES _show_modes)
    string(SUBSTRING ${mode} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${mode} 1 -1 rest)
    string(APPEND pictures "${role}Picture, ")
    string(APPEND table "    {\"${name}\", picture${first}${rest}},\n")
  endforeach()
  file(CONFIGURE OUTPUT ${dir}/assets/show_files.inc CONTENT
"// Made by cmake/show_files.cmake from assets/show_files.txt: edit the list, not this.
inline constexpr const char* musicFileName = \"${SHOW_MUSIC_NAME}\";
enum ShowPicture { ${pictures}showPictureCount };
inline constexpr ShowPictureFile showPictureFiles[showPictureCount] = {
${table}};
" @ONLY)
endfunction()
_kessivar_show_files_header(${SHOW_GENERATED_DIR})
