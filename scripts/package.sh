#!/usr/bin/env bash
# Builds the Debian package from a build folder: the programs, the show's files and the
# package's own files, then cpack. Its archive times are SOURCE_DATE_EPOCH (the last
# commit's time unless set), so that the same commit always gives the same package.
#   bash scripts/package.sh BUILD OUT [SOURCE]
# BUILD is configured from SOURCE (RelWithDebInfo) when it is not configured yet; the
# package goes into OUT, and its path is the last line printed.
set -eu
# The package's file modes, and those of its archive's members, do not depend on the
# caller's umask (as dpkg-buildpackage sets it).
umask 022
build=$1 out=$2 source=${3:-$(dirname "$0")/..}
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
[ -f "$build/CMakeCache.txt" ] ||
  cmake -S "$source" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target kessivar kessivar-capture pictures music dist-files
mkdir -p "$out"
out=$(readlink -f "$out")
rm -f "$out"/*.deb
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
ls "$out"/*.deb
