#!/usr/bin/env bash
# The show as a web page: installs what is missing, builds the page into build-web/site/
# and serves it on http://127.0.0.1:8002/ until Ctrl+C.
#   bash scripts/web.sh              build and serve
#   bash scripts/web.sh --no-serve   only build
#   bash scripts/web.sh --install    only install the packages and fetch the library
#                                    sources (the test script runs it, so that the build
#                                    in the tests needs no network)
#   --url https://.../               the address the site will have: the link preview's
#                                    tags name their picture and page by it (else relatively)
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
             gir1.2-webkit2-4.1 gstreamer1.0-plugins-good pulseaudio pulseaudio-utils
             libzopfli-dev node-terser)

# installMissing, privateApt, fetchSource
source scripts/debian_source.sh

installPackages() {
  bash scripts/setup.sh
  installMissing "${webPackages[@]}"
}

# The show's pictures, made by its own tools in a native build of their own, its music as
# the native tool renders it (the web tests hold the page's music against it), the
# invitation as text, the picture packer and the capture (for the link preview).
buildShowFiles() {
  cmake -S . -B "$out/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$out/native" -j"$jobs" --target pictures music invitation-text \
    kessivar_pngpack kessivar-capture
}

# Each of the show's pictures and the icon again for the wire (filtered and deflated by
# zopfli: the same pixels in a twentieth of the bytes), where the show's file is newer.
packPictures() {
  local f
  for f in $(showPictures) kessivar.png; do
    [ "$out/site/$f" -nt "$out/native/show/$f" ] || echo "$f"
  done | xargs -r -P"$jobs" -I{} "$out/native/tools/pngpack/kessivar_pngpack" \
    "$out/native/show/{}" "$out/site/{}"
}

# The link preview's picture: the title frame (show time 5 s) as the capture draws it at
# 1200x630, packed as the pictures are.
drawPreview() {
  local frames=$out/preview
  rm -rf "$frames"
  (cd "$out/native/show" && EGL_PLATFORM=surfaceless ./kessivar-capture --at 5 \
    --size 1200x630 --frames "$frames" >/dev/null)
  "$out/native/tools/pngpack/kessivar_pngpack" "$frames/frame-000000.png" "$out/site/preview.png"
}

# The show's pictures by its one list of files.
showPictures() { awk '!/^#/ && NF && $1 != "music" {print $2}' assets/show_files.txt; }

buildPage() {
  export NODE_PATH=/usr/share/nodejs
  emcmake cmake -S web -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release \
    -DZLIB_SOURCE="$out/src/zlib" -DPNG_SOURCE="$out/src/libpng1.6" \
    -DSITE_DIR="$out/site" -DTEXTS_DIR="$out/native/texts" -DSITE_URL="$url" >/dev/null
  cmake --build "$out/wasm" -j"$jobs"
  rm -f "$out/site/"*.ogg  # the music is made in the page now; an older build had it encoded
  packPictures  # the show's pictures and the page's icon
  drawPreview
  # The scripts minified: a sixth less over the wire.
  node web/minify.js "$out/site/"*.js
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
  # The preview picture is for link scrapers only: no visit needs it.
  names=$(cd "$site" && find . -maxdepth 1 -type f ! -name sw.js ! -name preview.png \
    -printf '%f\n' | LC_ALL=C sort)
  version=$(cd "$site" && cat $names | sha256sum | cut -c1-16)
  list=$(printf "'%s', " $names)
  sed -e "s/@VERSION@/$version/" -e "s|/\* @FILES@ \*/|${list%, }|" web/sw.js > "$site/sw.js.new"
  mv "$site/sw.js.new" "$site/sw.js"
}

# Debian's sources of the libraries the page compiles in, unpacked once into $out/src.
fetchSources() {
  fetchSource zlib zlib1g-dev
  fetchSource libpng1.6 libpng-dev
}

serve=1 url=""
usage="usage: bash scripts/web.sh [--no-serve] [--url https://.../] | --install"
while [ $# -gt 0 ]; do
  case "$1" in
    --no-serve) serve=0 ;;
    --install) installPackages; fetchSources; exit 0 ;;
    --url) [ $# -ge 2 ] || { echo "$usage" >&2; exit 2; }
           url=${2%/}/; shift ;;
    *) echo "$usage" >&2; exit 2 ;;
  esac
  shift
done

installPackages
mkdir -p "$out/site"
fetchSources
buildShowFiles
buildPage
writeWorker
echo "The page is in $out/site/"
[ $serve -eq 0 ] && exit 0
echo "Serving it on http://127.0.0.1:$port/  (Ctrl+C ends)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$out/site"
