#!/usr/bin/env bash
# The show for 64-bit Windows: installs what is missing, cross-builds libpng, freeglut,
# and SDL2 static from Debian's sources into build-win/prefix/ (again only when
# a source version changes), then one static kessivar.exe and the release zip
# build-win/kessivar-<version>-windows-x64.zip.
#   bash scripts/windows.sh            libraries, program and zip
#   bash scripts/windows.sh --no-zip   stop after the program (build-win/show/kessivar.exe)
#   bash scripts/windows.sh --install  only install the packages and fetch Debian's sources
#                                      of the libraries (the test script runs it: the
#                                      tests' build then needs no network)
# KESSIVAR_SHOW_FILES names a native build's show folder to take the pictures, the music
# and the icon from (the tests pass their own); without it a native build of its own
# makes them in build-win/native/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build-win
prefix=$out/prefix
jobs=${KESSIVAR_WIN_JOBS:-$(nproc)}
export KESSIVAR_WIN_PREFIX=$prefix

# Debian packages the Windows build and its tests need besides the show's own.
winPackages=(mingw-w64 libz-mingw-w64-dev wine wine64 zip unzip dpkg-dev)

# installMissing, privateApt, fetchSource
source scripts/debian_source.sh

installPackages() {
  bash scripts/setup.sh
  installMissing "${winPackages[@]}"
}

# zlib comes from Debian's mingw-w64 package; its static archive is named outright, or
# CMake takes the import library and the program would need zlib1.dll.
zlibFlags=(-DZLIB_LIBRARY=/usr/x86_64-w64-mingw32/lib/libz.a
           -DZLIB_INCLUDE_DIR=/usr/x86_64-w64-mingw32/include)

# Builds and installs one unpacked source with CMake and the extra options given, unless
# the same version was installed already with the same options.
buildLibrary() {
  local package=$1 version stamp
  shift
  version=$(cat "$out/src/$package/.unpacked")
  stamp=$prefix/built/$package
  [ -f "$stamp" ] && [ "$(cat "$stamp")" == "$version $*" ] && return 0
  echo "Building $package $version for Windows"
  local started=$SECONDS
  rm -rf "$out/lib/$package"
  cmake -S "$out/src/$package" -B "$out/lib/$package" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/win/toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$out/lib/$package.log" 2>&1 &&
  cmake --build "$out/lib/$package" -j"$jobs" >>"$out/lib/$package.log" 2>&1 &&
  cmake --install "$out/lib/$package" >>"$out/lib/$package.log" 2>&1 ||
    { tail -n 30 "$out/lib/$package.log" >&2; echo "windows.sh: $package did not build" >&2; return 1; }
  mkdir -p "$prefix/built"
  echo "$version $*" > "$stamp"
  echo "Built $package in $((SECONDS - started)) s"
}

# Debian's sources of the libraries, fetched once: after this (and --install, which runs
# it) a build needs no network.
fetchSources() {
  fetchSource libpng1.6 libpng-dev
  fetchSource freeglut freeglut3-dev
  fetchSource libsdl2 libsdl2-dev
}

buildLibraries() {
  fetchSources
  mkdir -p "$out/lib"
  buildLibrary libpng1.6 "${zlibFlags[@]}" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF
  buildLibrary freeglut -DFREEGLUT_BUILD_SHARED_LIBS=OFF -DFREEGLUT_BUILD_STATIC_LIBS=ON \
    -DFREEGLUT_BUILD_DEMOS=OFF
  # Sound only: the window is freeglut's. A static program needs no dynamic API, whose
  # table would refer to the video functions left out; SDL lets it off only in this header.
  sed -i 's/^#define SDL_DYNAMIC_API 1$/#define SDL_DYNAMIC_API 0/' \
    "$out/src/libsdl2/src/dynapi/SDL_dynapi.h"
  buildLibrary libsdl2 -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=ON \
    -DSDL_VIDEO=OFF -DSDL_RENDER=OFF -DSDL_JOYSTICK=OFF -DSDL_HAPTIC=OFF -DSDL_HIDAPI=OFF \
    -DSDL_SENSOR=OFF -DSDL_POWER=OFF -DSDL_FILESYSTEM=OFF -DSDL_LOCALE=OFF -DSDL_MISC=OFF
}

# The show's pictures, music and icon, made by its own tools in a native build.
showFolder=${KESSIVAR_SHOW_FILES:-$out/native/show}
buildShowFiles() {
  [ -n "${KESSIVAR_SHOW_FILES:-}" ] && return 0
  cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/native" -j"$jobs" --target pictures music windows_icon
}

# kessivar.exe, and build-win/show/: the program beside the show's files, ready to run.
buildProgram() {
  local started=$SECONDS
  cmake -S . -B "$out/exe" -DCMAKE_TOOLCHAIN_FILE="$root/win/toolchain.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DWINDOWS_ICON="$showFolder/kessivar.ico" >/dev/null
  cmake --build "$out/exe" -j"$jobs" --target kessivar
  mkdir -p "$out/show"
  cp -p "$out/exe/show/kessivar.exe" "$out/show/"
  local f
  for f in $(showFiles); do cp -p "$showFolder/$f" "$out/show/$f"; done
  echo "Built $out/show/kessivar.exe ($(stat -c %s "$out/show/kessivar.exe") bytes) in $((SECONDS - started)) s"
}

# The show's files by their one list.
showFiles() { awk '!/^#/ && NF {print $2}' assets/show_files.txt; }

# The release zip: the program, the show's files, README.txt and the licences of the
# libraries inside the program, from the Debian sources they were built from.
buildZip() {
  local version name stage
  version=$(bash scripts/reproducible.sh version)
  name=kessivar-$version-windows-x64
  stage=$out/zip/$name
  rm -rf "$out/zip" && mkdir -p "$stage/licences"
  cp -p "$out/show/kessivar.exe" "$stage/"
  local f
  for f in $(showFiles); do cp -p "$out/show/$f" "$stage/"; done
  sed "s/@VERSION@/$version/" win/README.txt | sed 's/$/\r/' > "$stage/README.txt"
  cp "$out/src/freeglut/debian/copyright" "$stage/licences/freeglut.txt"
  cp "$out/src/libsdl2/debian/copyright" "$stage/licences/SDL2.txt"
  cp "$out/src/libpng1.6/debian/copyright" "$stage/licences/libpng.txt"
  cp /usr/share/doc/libz-mingw-w64-dev/copyright "$stage/licences/zlib.txt"
  bash scripts/reproducible.sh zip "$out/zip" "$out/$name.zip"
  echo "The release is $out/$name.zip ($(stat -c %s "$out/$name.zip") bytes)"
}

zip=1
case "${1:-}" in
  --no-zip) zip=0 ;;
  --install) installPackages; fetchSources; exit 0 ;;
  --libraries) installPackages; buildLibraries; exit 0 ;;
  "") ;;
  *) echo "usage: bash scripts/windows.sh [--no-zip | --install | --libraries]" >&2; exit 2 ;;
esac

installPackages
buildLibraries
buildShowFiles
buildProgram
[ $zip -eq 0 ] && exit 0
buildZip
