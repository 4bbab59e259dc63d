#!/usr/bin/env bash
# The show as a web page: installs what is missing, builds the page into build-web/site/
# and serves it on http://127.0.0.1:8002/ until Ctrl+C.
#   bash scripts/web.sh              build and serve
#   bash scripts/web.sh --no-serve   only build
#   bash scripts/web.sh --install    only install the packages (used by the test script)
# The site is a static folder: any web server can host it as it is.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
out=$root/build-web
port=${KESSIVAR_WEB_PORT:-8002}
jobs=${KESSIVAR_WEB_JOBS:-$(nproc)}

# Debian packages the page needs besides the show's own (scripts/setup.sh).
webPackages=(emscripten chromium python3-websocket dpkg-dev ffmpeg)

# installMissing, privateApt, fetchSource
source scripts/debian_source.sh

installPackages() {
  bash scripts/setup.sh
  installMissing "${webPackages[@]}"
}

# The show's pictures and music, made by its own tools in a native build of their own.
buildShowFiles() {
  cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/native" -j"$jobs" --target pictures music
}

# The show's files by their one list: the music's name, then the pictures'.
showMusic() { awk '!/^#/ && $1 == "music" {print $2}' assets/show_files.txt; }
showPictures() { awk '!/^#/ && NF && $1 != "music" {print $2}' assets/show_files.txt; }

# The music for the page: Ogg Vorbis, which Chromium decodes to exactly the WAV's length.
# The page has it under the music's name with .ogg for its ending.
encodeMusic() {
  local music
  music=$(showMusic)
  local wav=$out/native/show/$music ogg=$out/site/${music%.*}.ogg
  [ -f "$ogg" ] && [ "$ogg" -nt "$wav" ] && return 0
  ffmpeg -v error -y -i "$wav" -c:a libvorbis -q:a 3 "$ogg"
}

buildPage() {
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S web -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release \
    -DZLIB_SOURCE="$out/src/zlib" -DPNG_SOURCE="$out/src/libpng1.6" \
    -DSITE_DIR="$out/site" >/dev/null
  cmake --build "$out/wasm" -j"$jobs"
  local f
  for f in $(showPictures); do
    cp -p "$out/native/show/$f" "$out/site/$f"
  done
}

serve=1
case "${1:-}" in
  --no-serve) serve=0 ;;
  --install) installPackages; exit 0 ;;
  "") ;;
  *) echo "usage: bash scripts/web.sh [--no-serve | --install]" >&2; exit 2 ;;
esac

installPackages
mkdir -p "$out/site"
fetchSource zlib zlib1g-dev
fetchSource libpng1.6 libpng-dev
buildShowFiles
encodeMusic
buildPage
echo "The page is in $out/site/"
[ $serve -eq 0 ] && exit 0
echo "Serving it on http://127.0.0.1:$port/  (Ctrl+C ends)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/site"
