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

# Debian packages the page needs besides the show's own (scripts/setup.sh); the browsers
# and the sound server are for its tests.
webPackages=(emscripten chromium python3-websocket dpkg-dev ffmpeg firefox-esr python3-gi
             gir1.2-webkit2-4.1 gstreamer1.0-plugins-good pulseaudio pulseaudio-utils)

# installMissing, privateApt, fetchSource
source scripts/debian_source.sh

installPackages() {
  bash scripts/setup.sh
  installMissing "${webPackages[@]}"
}

# The show's pictures, made by its own tools in a native build of their own, and its music
# as the native tool renders it (the web tests hold the page's music against it).
buildShowFiles() {
  cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/native" -j"$jobs" --target pictures music
}

# The show's pictures by its one list of files.
showPictures() { awk '!/^#/ && NF && $1 != "music" {print $2}' assets/show_files.txt; }

buildPage() {
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S web -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release \
    -DZLIB_SOURCE="$out/src/zlib" -DPNG_SOURCE="$out/src/libpng1.6" \
    -DSITE_DIR="$out/site" >/dev/null
  cmake --build "$out/wasm" -j"$jobs"
  rm -f "$out/site/"*.ogg  # the music is made in the page now; an older build had it encoded
  local f
  for f in $(showPictures); do
    cp -p "$out/native/show/$f" "$out/site/$f"
  done
  cp -p "$out/native/show/kessivar.png" "$out/site/kessivar.png"  # the page's icon
  # The licences of the show and of what the page compiles in, from Debian's sources.
  cp LICENSE "$out/site/licence-kessivar.txt"
  cp "$out/src/zlib/debian/copyright" "$out/site/licence-zlib.txt"
  cp "$out/src/libpng1.6/debian/copyright" "$out/site/licence-libpng.txt"
}

# The service worker, with this build's version (a hash of the site's files) and the
# names of the files it keeps for offline visits: any changed file makes a new worker,
# and a new worker replaces the cache.
writeWorker() {
  local site=$out/site names version list
  names=$(cd "$site" && find . -maxdepth 1 -type f ! -name sw.js -printf '%f\n' | LC_ALL=C sort)
  version=$(cd "$site" && cat $names | sha256sum | cut -c1-16)
  list=$(printf "'%s', " $names)
  sed -e "s/@VERSION@/$version/" -e "s|/\* @FILES@ \*/|${list%, }|" web/sw.js > "$site/sw.js.new"
  mv "$site/sw.js.new" "$site/sw.js"
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
buildPage
writeWorker
echo "The page is in $out/site/"
[ $serve -eq 0 ] && exit 0
echo "Serving it on http://127.0.0.1:$port/  (Ctrl+C ends)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/site"
