# The show's sources, one list per folder, named here once for every build of the show:
# the native program and its sanitized build (the root CMakeLists.txt), the page
# (web/CMakeLists.txt), the Windows build, the fuzzers and the tests that build a module
# on its own. Gives SHOW_SOURCE_DIR, SHOW_<FOLDER>_SOURCES for each folder of
# SHOW_MODULES, SHOW_OFFSCREEN_SOURCES and SHOW_CAPTURE_SOURCES, and the two functions
# below. Include cmake/show_files.cmake first (app/ and the folders below it read the
# generated table of the show's files).
get_filename_component(SHOW_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# The folders from the bottom up: each includes only the ones before it.
set(SHOW_MODULES data images screen assets anim layers scroller audio app)
set(SHOW_DATA_SOURCES data/animation.cpp data/scroll_texts.cpp)
set(SHOW_IMAGES_SOURCES images/images.cpp)
set(SHOW_SCREEN_SOURCES screen/quad.cpp screen/fit.cpp)
set(SHOW_ASSETS_SOURCES assets/assets.cpp assets/files.cpp)
set(SHOW_ANIM_SOURCES anim/anim.cpp)
set(SHOW_LAYERS_SOURCES layers/title.cpp layers/slideshow.cpp layers/writer.cpp)
set(SHOW_SCROLLER_SOURCES scroller/scroller.cpp)
set(SHOW_AUDIO_SOURCES audio/music.cpp)
# The application as every platform has it: start-up, callbacks, composer and clocks,
# standard output, stop signals, usage.
set(SHOW_APP_SOURCES app/startup.cpp app/shell.cpp app/composer.cpp app/clock.cpp app/output.cpp
    app/signals.cpp app/usage.cpp)
# An offscreen OpenGL context through EGL: the capture, the pixel tests and the fuzzers.
set(SHOW_OFFSCREEN_SOURCES app/offscreen.cpp)
# kessivar-capture's own sources.
set(SHOW_CAPTURE_SOURCES capture/main.cpp capture/options.cpp capture/output.cpp)
foreach(_list IN ITEMS ${SHOW_MODULES} offscreen capture)
  string(TOUPPER ${_list} _list)
  list(TRANSFORM SHOW_${_list}_SOURCES PREPEND ${SHOW_SOURCE_DIR}/)
endforeach()

# kessivar_show_sources(var folder...): the sources of the folders given, into var.
function(kessivar_show_sources var)
  set(sources)
  foreach(module ${ARGN})
    string(TOUPPER ${module} module)
    list(APPEND sources ${SHOW_${module}_SOURCES})
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# kessivar_show_libraries(): one static library per folder, kessivar_<folder> (app/'s is
# kessivar_core), linked to each other one way: app -> layers, scroller, anim, audio ->
# assets, screen -> images, data. What each needs of the platform (OpenGL, libpng,
# SDL2, GLUT) the caller links to it.
function(kessivar_show_libraries)
  foreach(module ${SHOW_MODULES})
    set(target kessivar_${module})
    if(module STREQUAL "app")
      set(target kessivar_core)
    endif()
    string(TOUPPER ${module} list)
    add_library(${target} STATIC ${SHOW_${list}_SOURCES})
    target_include_directories(${target} PUBLIC ${SHOW_SOURCE_DIR} ${SHOW_GENERATED_DIR})
  endforeach()
  set_source_files_properties(${SHOW_SOURCE_DIR}/app/usage.cpp PROPERTIES
                              COMPILE_DEFINITIONS KESSIVAR_VERSION="${PROJECT_VERSION}")
  target_link_libraries(kessivar_assets PUBLIC kessivar_images)
  target_link_libraries(kessivar_anim PUBLIC kessivar_data)
  target_link_libraries(kessivar_layers PUBLIC kessivar_assets kessivar_screen)
  target_link_libraries(kessivar_scroller PUBLIC kessivar_assets kessivar_screen kessivar_data)
  target_link_libraries(kessivar_audio PUBLIC kessivar_assets)
  target_link_libraries(kessivar_core PUBLIC kessivar_anim kessivar_layers kessivar_scroller
                        kessivar_audio)
endfunction()
