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
set -u

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

case "${1:-}" in
  zip) [ $# -eq 3 ] && zipFolder "$2" "$3" ;;
  compare) [ $# -ge 5 ] && shift && compareBuilds "$@" ;;
  *) echo "usage: reproducible.sh zip DIR ZIP | compare DIR_ONE DIR_TWO REPORT FILE..." >&2
     exit 2 ;;
esac
