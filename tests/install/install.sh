#!/usr/bin/env bash
# The show as a user installs it, started in Xvfb from a folder without its files: from a
# prefix of its own (cmake --install), directly and through a symlink; and from its Debian
# package (dpkg -i, run from /usr/games, dpkg -r leaves no file behind). The package as a
# distribution takes it: its checks (lint); and the release, the same package, zips and
# files from a second build in another folder (reproducible).
# usage: install.sh <build folder> <path to xpicture> <prefix|package|lint|reproducible>
set -u
build=$(readlink -f "$1")
xpicture=$(readlink -f "$2")
case_name=$3
source "$(dirname "$0")/../lib/harness.sh"
mkdir "$work/home"

# run_installed <program> <what>: the program with -window from a folder without the
# show's files shows its pictures, names where it read them, and Escape ends it with 0.
run_installed() {
  program=$1
  start_show "$work/home" -window
  wait_window
  check_that "$2: the pictures show" pictures_show "$id"
  check "$2: stderr names the folder of the files" \
    "kessivar: reading the show's files from $(readlink -f "$(dirname "$(readlink -f "$program")")/../share/kessivar") (not in the working folder)" \
    "$(cat "$work/err")"
  quit "$id" "$2"
}

# dpkg <arguments>, tried again while another dpkg or apt holds its lock (up to 15 minutes).
dpkg_once() { dpkg "$@" >"$work/dpkg.log" 2>&1; dpkg_status=$?; [ $dpkg_status == 0 ] || ! grep -q lock "$work/dpkg.log"; }
dpkg_waiting() { wait_for 900 dpkg_once "$@"; [ "$dpkg_status" == 0 ] || { cat "$work/dpkg.log"; return 1; }; }

# The package of the build, as scripts/package.sh makes it, in $work/deb; its path in deb.
make_package() {
  bash "$source/scripts/package.sh" "$build" "$work/deb" >"$work/package.log" 2>&1 ||
    { cat "$work/package.log"; exit 1; }
  deb=$(tail -n 1 "$work/package.log")
}

if [ "$case_name" != prefix ] && [ "${CI:-}" != true ] && [ "${KESSIVAR_PACKAGE_TEST:-}" != 1 ]; then
  echo "skipped: builds and installs packages; set KESSIVAR_PACKAGE_TEST=1 (or CI=true)"
  exit 77
fi
source=$(readlink -f "$(dirname "$0")/../..")

case "$case_name" in
prefix)
  cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
  missing=""
  for file in bin/kessivar bin/kessivar-capture "${show_files[@]/#/share/kessivar/}" \
              share/applications/kessivar.desktop \
              share/icons/hicolor/256x256/apps/kessivar.png share/man/man6/kessivar{,-capture}.6.gz \
              share/metainfo/invalid.kessivar.intro.metainfo.xml share/doc/kessivar/copyright; do
    [ -f "$work/prefix/$file" ] || missing+=" $file"
  done
  check "both programs, the show's files, desktop entry, icon, metainfo, manual pages and copyright are installed" "" "$missing"
  check "the icon is a 256x256 PNG" "137 80 78 71 0 0 1 0 0 0 1 0" \
    "$(od -An -tu1 -N24 "$work/prefix/share/icons/hicolor/256x256/apps/kessivar.png" | xargs | cut -d' ' -f1-4,17-24)"
  check "the desktop entry runs kessivar, with its icon, outside a terminal, in a category" 4 \
    "$(grep -cE '^(Exec=kessivar|Icon=kessivar|Terminal=false|Categories=.+)$' "$work/prefix/share/applications/kessivar.desktop")"
  start_x
  run_installed "$work/prefix/bin/kessivar" "installed"
  mkdir "$work/links"
  ln -s "$work/prefix/bin/kessivar" "$work/links/kessivar"
  run_installed "$work/links/kessivar" "through a symlink"
  ;;
package)
  make_package
  echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"
  dpkg-deb -f "$deb" Package Version Section Maintainer Depends
  trap 'dpkg -r kessivar >/dev/null 2>&1; cleanup' EXIT
  dpkg_waiting -i "$deb" || { check "dpkg -i installs the package" 0 1; finish; }
  dpkg-query -L kessivar >"$work/listed"
  check "both programs are in /usr/games, none in /usr/bin" "/usr/games/kessivar /usr/games/kessivar-capture" \
    "$(grep -E '^/usr/(bin|games)/' "$work/listed" | sort | xargs)"
  start_x
  run_installed /usr/games/kessivar "from the package"
  dpkg_waiting -r kessivar
  check "dpkg -r removes the package" 0 $?
  left=""
  while read -r path; do
    [ -e "$path" ] && [ ! -d "$path" ] && left+=" $path"
  done <"$work/listed"
  [ -e /usr/share/kessivar ] && left+=" /usr/share/kessivar"
  check "no file of the package is left" "" "$left"
  ;;
lint)
  make_package
  bash "$source/dist/check.sh" "$deb" "$work"
  check "lintian, desktop-file-validate and appstreamcli pass the package" 0 $?
  ;;
reproducible)
  # The release as scripts/release.sh checks it (reproducible.sh release): the build's
  # sources as they are (committed or not) built again in a scratch folder, at another time,
  # in another time zone, with another umask, against this build's package and show, the
  # page of web.build and the Windows zip of windows.build. The second build links the
  # libraries windows.build made (not the product) and takes Debian's sources from there.
  make_package
  SOURCE_DATE_EPOCH=$(git -C "$source" log -1 --format=%ct)
  export SOURCE_DATE_EPOCH
  version=$(bash "$source/scripts/reproducible.sh" version)
  mkdir -p "$work/one/out" "$work/two/build-win" "$work/two/build-web"
  cp "$deb" "$source/build-win/kessivar-$version-windows-x64.zip" "$work/one/out/"
  ln -s "$build" "$work/one/build" && ln -s "$source/build-web" "$work/one/build-web"
  git -C "$source" ls-files -z --cached --others --exclude-standard |
    (cd "$source" && tar --null --ignore-failed-read -T - -c) | tar -x -C "$work/two"
  ln -s "$source/build-win/prefix" "$work/two/build-win/prefix"
  cp -r "$source/build-win/src" "$work/two/build-win/" && cp -r "$source/build-web/src" "$work/two/build-web/"
  type=$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build/CMakeCache.txt")
  started=$SECONDS
  (umask 002 && export TZ=Pacific/Auckland && cd "$work/two" &&
     cmake -S . -B build -DCMAKE_BUILD_TYPE="$type" && bash scripts/package.sh build out &&
     cmake --build build -j"$(nproc)" --target windows_icon &&
     KESSIVAR_SHOW_FILES=$work/two/build/show bash scripts/windows.sh && bash scripts/web.sh --no-serve) \
    >"$work/two.log" 2>&1 || { tail -n 40 "$work/two.log"; exit 1; }
  echo "the second build took $((SECONDS - started)) s"
  cp "$work/two/build-win/kessivar-$version-windows-x64.zip" "$work/two/out/"
  for tree in one two; do
    bash "$source/scripts/reproducible.sh" zip "$work/$tree/build-web/site" "$work/$tree/out/kessivar-$version-web.zip"
  done
  bash "$source/scripts/reproducible.sh" release "$work/one" "$work/two" "$work/diffoscope.txt"
  check "a second build gives the same package, zips, show and page, the Windows zip its files" 0 $?
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
