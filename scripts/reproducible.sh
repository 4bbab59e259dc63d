#!/usr/bin/env bash
# Compares what two builds made: the same files, byte for byte. At the first that differs,
# diffoscope writes what differs to REPORT (its head is printed) and the last line says
# which file it was.
#   bash scripts/reproducible.sh DIR_ONE DIR_TWO REPORT FILE...
# FILE is a path inside both folders.
set -u
one=$1 two=$2 report=$3
shift 3
for file in "$@"; do
  if [ ! -f "$one/$file" ] || [ ! -f "$two/$file" ]; then
    echo "not reproducible: $file is missing from a build ($one, $two)"
    exit 1
  fi
  cmp -s "$one/$file" "$two/$file" && continue
  diffoscope --text "$report" "$one/$file" "$two/$file" >/dev/null 2>&1
  head -n 40 "$report"
  echo "not reproducible: $file differs between $one and $two (diffoscope: $report)"
  exit 1
done
echo "reproducible: $# files alike in both builds"
