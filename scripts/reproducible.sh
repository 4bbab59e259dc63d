#!/usr/bin/env bash
# What makes and checks builds that are alike byte for byte.
#   bash scripts/reproducible.sh zip DIR ZIP
#     DIR's files into ZIP, sorted by name, each with SOURCE_DATE_EPOCH (the last commit's
#     time unless set) for its time, mode 644 (folders 755) whatever the umask, without
#     owners or extra fields.
#   bash scripts/reproducible.sh compare DIR_ONE DIR_TWO REPORT FILE...
#     the same FILE (a path inside both folders) byte for byte in both. At the first that
#     differs, diffoscope writes what differs to REPORT (its head is printed) and the last
#     line says which file it was.
#   bash scripts/reproducible.sh release DIR_ONE DIR_TWO REPORT
#     two builds of a release alike, each folder laid out as scripts/release.sh makes them
#     (out/ the package and both zips, build/show/ the show's files, build-web/site/ the
#     page): the package, the zips, the show's files, the icons and the page's files byte
#     for byte (as compare), the Windows zip holding exactly its files, and its program
#     without a time stamp or debug directory.
#   bash scripts/reproducible.sh version
#     the version, from project() in CMakeLists.txt: the one place it is written.
set -u
tree=$(dirname "$0")/..

projectVersion() { sed -n 's/^project(kessivar VERSION \([0-9.]*\).*/\1/p' "$tree/CMakeLists.txt"; }
showFiles() { awk '!/^#/ && NF {print $2}' "$tree/assets/show_files.txt"; }

zipFolder() {
  local dir=$1 zip staged
  zip=$(readlink -f "$2")
  staged=$(mktemp -d)
  [ -n "${SOURCE_DATE_EPOCH:-}" ] || SOURCE_DATE_EPOCH=$(git -C "$(dirname "$0")" log -1 --format=%ct)
  cp -r "$dir/." "$staged/" && rm -f "$zip" &&
    find "$staged" -type d -exec chmod 755 {} + && find "$staged" -type f -exec chmod 644 {} + &&
    find "$staged" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} + &&
    (cd "$staged" && find . -type f | LC_ALL=C sort | TZ=UTC zip -X -D -q -@ "$zip")
  local status=$?
  rm -rf "$staged"
  return $status
}

compareBuilds() {
  local one=$1 two=$2 report=$3 file
  shift 3
  for file in "$@"; do
    if [ ! -f "$one/$file" ] || [ ! -f "$two/$file" ]; then
      echo "not reproducible: $file is missing from a build ($one, $two)"
      return 1
    fi
    cmp -s "$one/$file" "$two/$file" && continue
    diffoscope --text "$report" "$one/$file" "$two/$file" >/dev/null 2>&1
    head -n 40 "$report"
    echo "not reproducible: $file differs between $one and $two (diffoscope: $report)"
    return 1
  done
  echo "reproducible: $# files alike in both builds"
}

# What the Windows zip of the version must hold, in its folder: the program, the show's
# files, README.txt and the licences of the libraries inside the program; nothing else.
windowsZipFiles() {
  local name=kessivar-$1-windows-x64
  { printf '%s\n' kessivar.exe README.txt licences/{SDL2,freeglut,libpng,zlib}.txt; showFiles; } |
    sed "s|^|$name/|" | LC_ALL=C sort
}

# The program in a Windows zip carries no link time: its PE header's TimeDateStamp is 0 and
# its debug directory, whose entries would carry one too, is empty.
peStampless() {
  local exe=$1 pe stamp debug
  number() { od -An -tu"$2" -j"$1" -N"$2" "$exe" | tr -d ' '; }
  pe=$(number 60 4)  # the PE header, whose optional header follows 24 bytes in
  [ "$(number $((pe + 24)) 2)" == 523 ] || { echo "$exe: not a 64-bit Windows program"; return 1; }
  stamp=$(number $((pe + 8)) 4)
  debug=$(number $((pe + 24 + 112 + 6 * 8 + 4)) 4)  # the size in data directory 6
  echo "the Windows program: time stamp $stamp, debug directory of $debug bytes"
  [ "$stamp" == 0 ] && [ "$debug" == 0 ]
}

checkRelease() {
  local one=$1 two=$2 report=$3 version windows site show unpacked status
  version=$(projectVersion)
  windows=out/kessivar-$version-windows-x64.zip
  mapfile -t site < <(cd "$one/build-web/site" && find . -type f | LC_ALL=C sort | sed 's|^\./|build-web/site/|')
  mapfile -t show < <({ showFiles; cd "$one/build/show" && ls kessivar*.png; } | sed 's|^|build/show/|')
  compareBuilds "$one" "$two" "$report" "out/kessivar_${version}_amd64.deb" "out/kessivar-$version-web.zip" \
    "$windows" "${show[@]}" "${site[@]}" || return 1
  if ! diff <(windowsZipFiles "$version") <(unzip -Z1 "$one/$windows" | LC_ALL=C sort) >"$report"; then
    sed 's/^</missing:/; s/^>/not expected:/' "$report" | grep :
    echo "not as released: $windows does not hold exactly its files"
    return 1
  fi
  unpacked=$(mktemp -d)
  unzip -q "$one/$windows" "kessivar-$version-windows-x64/kessivar.exe" -d "$unpacked" &&
    peStampless "$unpacked/kessivar-$version-windows-x64/kessivar.exe"
  status=$?
  rm -rf "$unpacked"
  [ $status == 0 ] || { echo "not reproducible: the Windows program carries a time stamp"; return 1; }
  echo "released alike: the package, both zips and ${#site[@]} page files; the Windows zip holds its files"
}

case "${1:-}" in
  zip) [ $# -eq 3 ] && zipFolder "$2" "$3" ;;
  compare) [ $# -ge 5 ] && shift && compareBuilds "$@" ;;
  release) [ $# -eq 4 ] && shift && checkRelease "$@" ;;
  version) projectVersion ;;
  *) echo "usage: reproducible.sh zip DIR ZIP | compare DIR_ONE DIR_TWO REPORT FILE..." \
          "| release DIR_ONE DIR_TWO REPORT | version" >&2
     exit 2 ;;
esac
