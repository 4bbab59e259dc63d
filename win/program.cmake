# kessivar.exe: one static program of the GUI subsystem (no console window opens on a
# double click; app/output.cpp attaches to the console it was started from) with its
# icon, version information and manifest. WINDOWS_ICON is the icon file made by the
# native build's tools (tools/ico).
if(NOT WINDOWS_ICON)
  message(FATAL_ERROR "WINDOWS_ICON names the program's .ico file (scripts/windows.sh sets it)")
endif()
# The version in both from project(), the one place it is written.
string(REPLACE "." "," KESSIVAR_VERSION_COMMAS "${PROJECT_VERSION}.0")
configure_file(${CMAKE_SOURCE_DIR}/win/kessivar.rc.in ${CMAKE_BINARY_DIR}/kessivar.rc @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/win/kessivar.manifest ${CMAKE_BINARY_DIR}/kessivar.manifest @ONLY)
target_sources(kessivar PRIVATE ${CMAKE_BINARY_DIR}/kessivar.rc)
set_property(SOURCE ${CMAKE_BINARY_DIR}/kessivar.rc APPEND PROPERTY OBJECT_DEPENDS
             ${CMAKE_BINARY_DIR}/kessivar.manifest ${WINDOWS_ICON})
target_link_options(kessivar PRIVATE -mwindows -static -s -Wl,--no-insert-timestamp)
