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

installPackages() {
  bash scripts/setup.sh
  local missing=() p
  for p in "${webPackages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  # The package lists are fresh when setup.sh has just installed something; else they may
  # be missing on a new machine.
  apt-cache show "${missing[0]}" >/dev/null 2>&1 || $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends "${missing[@]}"
}

# apt-get or apt-cache (first argument) with a private state folder whose source list
# holds a deb-src line for every package index the machine's own apt configuration uses
# (security suites last, since their mirrors often carry only the newest files).
privateApt() {
  local tool=$1 state=$out/apt
  shift
  if [ ! -s "$state/sources.list" ]; then
    mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
    apt-get indextargets --format 'deb-src $(REPO_URI) $(RELEASE) $(COMPONENT)' \
      'Identifier: Packages' | sort -u | awk '/-security /{late = late $0 "\n"; next} {print}
      END {printf "%s", late}' > "$state/sources.list.new"
    mv "$state/sources.list.new" "$state/sources.list"
  fi
  "$tool" -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State="$state" -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache" \
    -o Debug::NoLocking=1 -o APT::Sandbox::User=root "$@"
}

# Unpacks Debian's source of package into build-web/src/<package>: the version installed
# on this machine if the archive has it, else the newest the archive offers.
fetchSource() {
  local package=$1 binary=$2 dest=$out/src/$1
  [ -f "$dest/.unpacked" ] && return 0
  # A suite that cannot be reached is no reason to stop: another may have the source.
  ls "$out/apt/lists" 2>/dev/null | grep -q Sources ||
    privateApt apt-get -q update >/dev/null || true
  local installed versions v
  installed=$(dpkg-query -W -f='${source:Version}' "$binary" 2>/dev/null || true)
  versions=$(privateApt apt-cache showsrc "$package" 2>/dev/null |
    sed -n 's/^Version: //p' | sort -rV -u)
  rm -rf "$out/src/tmp-$package" && mkdir -p "$out/src/tmp-$package"
  for v in $installed $versions; do
    if (cd "$out/src/tmp-$package" && privateApt apt-get source "$package=$v" >fetch.log 2>&1); then
      rm -rf "$dest"
      mv "$(find "$out/src/tmp-$package" -mindepth 1 -maxdepth 1 -type d | head -n1)" "$dest"
      rm -rf "$out/src/tmp-$package"
      echo "$v" > "$dest/.unpacked"
      echo "Unpacked Debian source $package $v"
      return 0
    fi
  done
  echo "web.sh: could not fetch the Debian source of $package" >&2
  cat "$out/src/tmp-$package/fetch.log" >&2
  return 1
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
  # bitexact: the Ogg stream's serial number is fixed instead of random, so that every
  # build gives the same file.
  ffmpeg -v error -y -i "$wav" -c:a libvorbis -q:a 3 -fflags +bitexact -flags:a +bitexact "$ogg"
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
  # The licences of the show and of what the page compiles in, from Debian's sources.
  cp LICENSE "$out/site/licence-kessivar.txt"
  cp "$out/src/zlib/debian/copyright" "$out/site/licence-zlib.txt"
  cp "$out/src/libpng1.6/debian/copyright" "$out/site/licence-libpng.txt"
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
