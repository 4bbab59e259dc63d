#!/usr/bin/env bash
# The release of the last commit, into release/<version>/:
#   kessivar_<version>_amd64.deb          the Debian package
#   kessivar-<version>-windows-x64.zip    the Windows build
#   kessivar-<version>-web.zip            the page, with the licence texts
#   kessivar-<version>-round.mp4          the title and one round, 1920x1080, 60 fps, music
#   kessivar-<version>-screenshot.png     the AppStream metainfo's screenshot
#   SHA256SUMS
# The commit is built twice from clean, one build after the other in two folders of
# release/builds/ (the second with another time zone and umask), and both must give the
# same files byte for byte (scripts/reproducible.sh release, which also holds the Windows
# zip to exactly its files and its program to no time stamp); then the package passes
# dist/check.sh. The first failure stops the release with a line saying what failed.
set -eEuo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
started=$(date +%s)
step=setup
trap 'echo "release.sh: stopped: $step failed" >&2' ERR

# Packages the release needs besides the build's (lintian and the other checkers among
# them) and the page's.
releasePackages=(zip git)
bash scripts/setup.sh
bash scripts/web.sh --install
missing=()
for p in "${releasePackages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y \
    --no-install-recommends "${missing[@]}"
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
export SOURCE_DATE_EPOCH
commit=$(git rev-parse HEAD)
[ -z "$(git status --porcelain --untracked-files=no)" ] ||
  echo "release.sh: note: uncommitted changes are not in the release of ${commit:0:12}"
builds=$root/release/builds

# logged LOG COMMAND...: runs the command with its output in LOG, and shows LOG's last
# 30 lines when it fails.
logged() {
  local log=$1; shift
  "$@" >"$log" 2>&1 || { tail -n 30 "$log"; false; }
}

# buildAll NAME: the commit's files in builds/NAME, built from clean; the artefacts go
# into builds/NAME/out. Debian's library sources that the page and the Windows build
# compile are fetched once, by the first build, and given to every later one.
buildAll() {
  local tree=$builds/$1 out=$builds/$1/out kind
  step="build $1: sources"
  rm -rf "$tree" && mkdir -p "$out"
  git archive --format=tar "$commit" | tar -x -C "$tree"
  version=$(bash "$tree/scripts/reproducible.sh" version)  # the commit's project()
  for kind in web win; do
    if [ -d "$root/build-$kind/src" ]; then
      mkdir -p "$tree/build-$kind" && cp -r "$root/build-$kind/src" "$tree/build-$kind/"
    fi
  done
  step="build $1: the package"
  logged "$out/package.log" bash "$tree/scripts/package.sh" "$tree/build" "$out" "$tree"
  step="build $1: the page"
  logged "$out/web.log" env -C "$tree" bash scripts/web.sh --no-serve
  bash scripts/reproducible.sh zip "$tree/build-web/site" "$out/kessivar-$version-web.zip"
  step="build $1: the Windows zip"
  logged "$out/windows.log" env -C "$tree" bash scripts/windows.sh
  cp "$tree/build-win/kessivar-$version-windows-x64.zip" "$out/"
  for kind in web win; do
    if [ ! -d "$root/build-$kind/src" ]; then
      mkdir -p "$root/build-$kind" && cp -r "$tree/build-$kind/src" "$root/build-$kind/"
    fi
  done
}

mkdir -p "$builds"
echo "== Build one of ${commit:0:12} (SOURCE_DATE_EPOCH=$SOURCE_DATE_EPOCH)"
buildAll one
echo "== Build two, in another folder, later, in another time zone and with umask 002"
umask 002
TZ=Pacific/Auckland buildAll two
umask 022

step="the comparison of the two builds"
one=$builds/one two=$builds/two
deb=kessivar_${version}_amd64.deb
windows=kessivar-$version-windows-x64.zip
bash "$one/scripts/reproducible.sh" release "$one" "$two" "$builds/diffoscope.txt"

step="the package checks"
bash dist/check.sh "$one/out/$deb" "$builds"

dest=$root/release/$version
rm -rf "$dest" && mkdir -p "$dest"
cp "$one/out/$deb" "$one/out/kessivar-$version-web.zip" "$one/out/$windows" "$dest/"
step="the video"
echo "== The video: the title and one round, 1920x1080 at 60 fps"
capture=$one/build/show/kessivar-capture
logged "$builds/video.log" "$capture" --show-dir "$one/build/show" --size 1920x1080 --fps 60 \
  --start 0 --end 66 --video "$dest/kessivar-$version-round.mp4"
step="the screenshot"
rm -rf "$builds/still"
"$capture" --show-dir "$one/build/show" --size 1280x960 --at 27 --frames "$builds/still" >/dev/null
cp "$builds"/still/frame-*.png "$dest/kessivar-$version-screenshot.png"
step="the checksums"
(cd "$dest" && sha256sum -- * >SHA256SUMS.new && mv SHA256SUMS.new SHA256SUMS)

echo "== release/$version/ (from ${commit:0:12}):"
(cd "$dest" && ls -l --time-style=+ -- *)
echo "release.sh took $(($(date +%s) - started)) s"
