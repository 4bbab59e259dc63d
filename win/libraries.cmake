# The libraries of the Windows build: static, from Debian's sources, installed into
# $KESSIVAR_WIN_PREFIX by scripts/windows.sh. They get the target names the native build
# uses, so each folder's library links the same names on both.
set(prefix $ENV{KESSIVAR_WIN_PREFIX})
if(NOT prefix)
  message(FATAL_ERROR "The Windows build is made by scripts/windows.sh (KESSIVAR_WIN_PREFIX is not set)")
endif()

find_package(OpenGL REQUIRED)
set(ZLIB_LIBRARY /usr/x86_64-w64-mingw32/lib/libz.a)  # not the import library of zlib1.dll
set(ZLIB_INCLUDE_DIR /usr/x86_64-w64-mingw32/include)
set(PNG_LIBRARY ${prefix}/lib/libpng16.a)
find_package(PNG REQUIRED)

add_library(GLUT::GLUT INTERFACE IMPORTED)
target_include_directories(GLUT::GLUT INTERFACE ${prefix}/include)
target_compile_definitions(GLUT::GLUT INTERFACE FREEGLUT_STATIC)
target_link_libraries(GLUT::GLUT INTERFACE ${prefix}/lib/libfreeglut_static.a opengl32 winmm gdi32)

find_package(SDL2 REQUIRED CONFIG)  # SDL2::SDL2-static, sound only
