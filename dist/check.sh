#!/usr/bin/env bash
# The checks a distribution runs on the package: lintian as Debian runs it (no error, no
# warning; information tags are shown), the desktop entry (desktop-file-validate) and the
# AppStream metainfo (appstreamcli, offline). Prints what each says; the last line names
# the first check that failed.
#   bash dist/check.sh PACKAGE.deb SCRATCH
set -u
deb=$1 work=$2

fail() { echo "release check failed: $1"; exit 1; }

echo "lintian $(basename "$deb"):"
lintian --fail-on error,warning --display-info "$deb" 2>&1 | grep -v 'root privileges'
[ "${PIPESTATUS[0]}" -eq 0 ] || fail "lintian found errors or warnings in $(basename "$deb")"

rm -rf "$work/unpacked"
dpkg-deb -x "$deb" "$work/unpacked" || fail "dpkg-deb cannot unpack $(basename "$deb")"
shopt -s nullglob
desktop=("$work"/unpacked/usr/share/applications/*.desktop)
metainfo=("$work"/unpacked/usr/share/metainfo/*.metainfo.xml)
[ ${#desktop[@]} -eq 1 ] || fail "the package holds ${#desktop[@]} desktop entries, not 1"
[ ${#metainfo[@]} -eq 1 ] || fail "the package holds ${#metainfo[@]} AppStream files, not 1"

said=$(desktop-file-validate "${desktop[0]}" 2>&1)
[ -z "$said" ] || { echo "$said"; fail "desktop-file-validate $(basename "${desktop[0]}")"; }
echo "desktop-file-validate $(basename "${desktop[0]}"): no remarks"

appstreamcli validate --no-net "${metainfo[0]}" || fail "appstreamcli validate $(basename "${metainfo[0]}")"
