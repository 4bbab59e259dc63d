#!/usr/bin/env bash
# What is Windows' own about the Windows program, under wine in an X server of the case's
# own (tests/lib/harness.sh); show_in_x.sh and hostile.sh run the other cases on it.
# usage: WINEPREFIX=<prefix> wine_show.sh <show folder with kessivar.exe> <case> <xpicture> <capture> <zip>
# The case "prefix" makes the prefix that every case on the program shares, one at a time.
set -u
show_dir=$(readlink -f "$1")
case_name=$2
xpicture=$(readlink -f "${3:-/none}")
capture=$(readlink -f "${4:-/none}")
zip=${5:-/none}
program=$show_dir/kessivar.exe
[ "$case_name" == prefix ] && rm -rf "$WINEPREFIX"  # before the harness starts a server in it
WRAPPER=wine
source "$(dirname "$0")/../lib/harness.sh"

if [ "$case_name" == prefix ]; then
  wineboot -i >/dev/null 2>&1 && wineserver -w && [ -f "$WINEPREFIX/system.reg" ]
  exit
fi
start_x

# nearer <id> <a.png> <b.png>: "a" or "b", whichever picture the window differs less from.
nearer() { pixels "$1" --like "$2" "$3" | awk '/^like/ {d[n++] = $2}
  END { print (n < 2 || d[0] < 0 || d[1] < 0) ? "none" : d[0] < d[1] ? "a" : "b" }'; }
# in_console <command>: what the command shows in a console on a terminal (script) of its own.
in_console() { timeout "$(awk -v f="$time_factor" 'BEGIN { print 60 * f }')" script -qec "$1" /dev/null </dev/null | tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g'; }
window_gone() { ! timeout 5 xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\""; }
# check_icon <id> <side>: the window's icon of that side (wine gives X the sizes its dpi
# asks for) is the drawing made for it (beside the capture), not a larger one shrunk, which
# loses the grid and the border: a mean difference under 8 of 255.
icon_difference() { measure icon --icon "$1" "$(dirname "$capture")/kessivar-$2.png"; }
icon_drawn() { awk -v d="$(icon_difference "$@")" 'BEGIN { exit !(d != "" && d >= 0 && d < 8) }'; }
check_icon() {
  wait_for 5 icon_drawn "$1" "$2"
  check "the ${2}x$2 window icon is its drawing: mean difference $(icon_difference "$1" "$2") (-1: none), under 8" \
    yes "$(icon_drawn "$1" "$2" && echo yes || echo no)"
}

case "$case_name" in
window)
  # Frames of the title (3 s) and the scene (12 s) as the capture draws them.
  (cd "$work" && "$capture" --show-dir "$show_dir" --at 3,12 --frames "$work/frames" >/dev/null 2>&1)
  frames=("$work"/frames/*.png)
  # At 150 % scaling (144 dpi): the program is DPI-aware, its pixels are real ones.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  start_show "$show_dir" -window
  wait_window
  check "window title" "$title" "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)"
  check "at 144 dpi the drawing area is 640x480" "640 480" "$(geometry "$id" | awk '{print $3, $4}')"
  # The title lasts 10 s of the show's clock, which started before the window appeared.
  check_settled "the window shows the title frame" 10 a nearer "$id" "${frames[@]}"
  check_settled "then the scene" 15 b nearer "$id" "${frames[@]}"
  check_icon "$id" 48; check_icon "$id" 24  # the sizes of 144 dpi
  quit "$id" window
  check_that "the window goes" wait_for 3 window_gone
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  ;;
files)
  # The release zip unpacked into a folder with a non-ASCII name; started from another
  # folder, the files come from the program's.
  mkdir -p "$work/Käyttäjät/Työpöytä" "$work/elsewhere"
  unzip -q "$zip" -d "$work/Käyttäjät/Työpöytä"
  folder=$work/Käyttäjät/Työpöytä/$(basename "$zip" .zip)
  program=$folder/kessivar.exe
  AUDIO=disk start_show "$work/elsewhere" -window
  wait_window
  check_that "non-ASCII folder: the pictures show" pictures_show "$id"
  check_that "non-ASCII folder: the music plays" music_plays
  check_icon "$id" 32; check_icon "$id" 16  # the sizes of 96 dpi
  check_that "stderr says where the files are" grep -qF "files from Z:$(tr / '\\' <<<"$folder")" "$work/err"
  quit "$id" "non-ASCII folder"
  ;;
console)
  # Started from a console (on a terminal), the lines appear there.
  check "from a console: --version prints there" kessivar \
    "$(in_console "wine '$program' --version" | grep -o kessivar | head -n1)"
  # Ctrl+C as the console's control event, which wine delivers (no Ctrl+Break) on a terminal.
  # Sent once the music plays: the window comes first, and a show ended at its window
  # would not have played.
  x86_64-w64-mingw32-gcc-win32 -O2 "$(dirname "$0")/console_ctrl.c" -o "$work/console_ctrl.exe"
  (cd "$show_dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" \
     in_console "wine '$work/console_ctrl.exe' 0 '$work/ready' kessivar.exe -window" >"$work/console") &
  pids+=($!)
  check_that "the music plays" wait_for 30 sound_heard
  touch "$work/ready"
  check_that "the show ends and its code is printed" wait_for 15 gone "${pids[-1]}"
  check "Ctrl+C ends the show with STATUS_CONTROL_C_EXIT" c000013a "$(tail -n1 "$work/console")"
  [ "$failures" == 0 ] || sed 's/^/  (console) /' "$work/console"
  ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac
finish
