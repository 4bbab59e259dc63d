#!/usr/bin/env bash
# The Windows program under wine, in an X server of the case's own (tests/lib/harness.sh).
# usage: wine_show.sh <show folder with kessivar.exe> <wine prefix> <case> <xpicture> <capture>
#                     <close_window>
# The cases share the prefix (made by the case "prefix"), warm, one at a time: each ends
# its own show, then that prefix's wineserver, never another's.
set -u
show_dir=$(readlink -f "$1")
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case_name=$3
xpicture=$(readlink -f "${4:-/none}")
capture=$(readlink -f "${5:-/none}")
close_window=${6:-}
program=$show_dir/kessivar.exe
WRAPPER=wine  # the show's window gets 60 s, as under valgrind
source "$(dirname "$0")/../lib/harness.sh"
music=${show_files[0]}
trap 'wineserver -k 2>/dev/null; cleanup' EXIT

if [ "$case_name" == prefix ]; then
  rm -rf "$WINEPREFIX" && wineboot -i >/dev/null 2>&1 && wineserver -w && [ -f "$WINEPREFIX/system.reg" ]
  exit
fi
wineserver -p 30  # one warm server for the case's starts
[ "$case_name" == fullscreen ] && screen=1280x720  # not 4:3
start_x

# nearer <id> <a.png> <b.png>: "a" or "b", whichever picture the window differs less from.
nearer() { pixels "$1" --like "$2" "$3" | awk '/^like/ {d[n++] = $2}
  END { print (n < 2 || d[0] < 0 || d[1] < 0) ? "none" : d[0] < d[1] ? "a" : "b" }'; }
# in_console <command>: what the command shows in a console on a terminal (script) of its own.
in_console() { timeout 60 script -qec "$1" /dev/null </dev/null | tr -d '\r' | sed 's/\x1b\[[?0-9;]*[a-zA-Z]//g'; }
window_gone() { ! timeout 5 xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\""; }

case "$case_name" in
window)
  # Frames of the title (3 s) and the scene (12 s) as the capture draws them.
  (cd "$work" && "$capture" --show-dir "$show_dir" --at 3,12 --frames "$work/frames" >/dev/null 2>&1)
  frames=("$work"/frames/*.png)
  # At 150 % scaling (144 dpi) as well: the program is DPI-aware, its pixels are real ones.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  start_show "$show_dir" -window
  wait_window
  check "window title" "$title" "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)"
  check "at 144 dpi the drawing area is 640x480" "640 480" "$(geometry "$id" | awk '{print $3, $4}')"
  sleep 3  # the show's clock started before its window appeared: about 3 s of it now
  check "at ~3 s the window shows the title frame" a "$(nearer "$id" "${frames[@]}")"
  sleep 9  # past the 10-s title on the show's clock
  check "after 12 s the window shows the scene" b "$(nearer "$id" "${frames[@]}")"
  quit "$id" window
  check_that "the window goes" wait_for 3 window_gone
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  ;;
keys)
  mkfifo "$work/pipe"
  cat "$work/pipe" >"$work/piped" & pids+=("$!")  # wineserver may hold the pipe open
  STREAMS='>"$work/pipe" 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  press "$id" space
  wait_for 5 grep -q "nofade 1" "$work/piped"
  press "$id" space
  wait_for 5 grep -q "nofade 0" "$work/piped"
  timeout 5 "$close_window" "$id"
  wait_exit; check "closing the window ends the show with 0" 0 "$status"
  check "two spaces write exactly two lines to the pipe, no CR" "$(printf 'nofade 1\nnofade 0\n' | od -An -tx1)" \
    "$(od -An -tx1 "$work/piped")"
  # Started from a console (on a terminal), the lines appear there.
  check "from a console: --version prints there" kessivar \
    "$(in_console "wine '$program' --version" | grep -o kessivar | head -n1)"
  ;;
music)
  AUDIO=disk start_show "$show_dir" -window
  wait_window
  check_that "the music plays" music_plays
  sleep 2
  quit "$id" music
  # After the start-up silence, the samples are the music file's from its first one on.
  check "the output is the music file's samples after the silence" same "$(python3 - "$work/sound.raw" "$show_dir/$music" <<'PY'
import sys
out, wav = (open(f, 'rb').read() for f in sys.argv[1:])
out, data = (b[(len(b) - len(b.lstrip(b'\0'))) // 4 * 4:] for b in (out, wav[wav.index(b'data') + 8:]))
n = min(len(out), len(data))
print('same' if n > 44100 * 4 and out[:n] == data[:n] else 'differs (%d bytes compared)' % n)
PY
)"
  ;;
files)
  # The release zip unpacked into a folder with a non-ASCII name; started from another
  # folder, the files come from the program's.
  mkdir -p "$work/Käyttäjät/Työpöytä" "$work/elsewhere"
  unzip -q "$show_dir"/../kessivar-*-windows-x64.zip -d "$work/Käyttäjät/Työpöytä"
  folder=$(echo "$work"/Käyttäjät/Työpöytä/kessivar-*)
  program=$folder/kessivar.exe
  AUDIO=disk start_show "$work/elsewhere" -window
  wait_window
  check_that "non-ASCII folder: the title picture shows" title_shows "$id"
  check_that "non-ASCII folder: the music plays" music_plays
  check_that "stderr says where the files are" grep -qF "files from Z:$(tr / '\\' <<<"$folder")" "$work/err"
  quit "$id" "non-ASCII folder"
  # Without the music file: silence, and a line on stderr naming it.
  rm "$folder/$music" "$work/sound.raw"
  AUDIO=disk start_show "$folder" -window
  wait_window
  check_that "no music file: the title picture shows" title_shows "$id"
  check_that "no music file: stderr names it" wait_for 3 grep -qF "$music" "$work/err"
  sleep 1
  silent() { ! sound_heard; }
  check_that "no music file: silence" silent
  quit "$id" "no music file"
  ;;
fullscreen)
  # Xvfb has no modes to switch to: the full-screen window, the test title picture at 4:3.
  mkdir "$work/disc" && cp "$show_dir"/* "$work/disc/" && "$xpicture" --title-picture "$work/disc/$title_file"
  start_show "$work/disc"
  wait_window
  check_settled "the full-screen window covers the screen" 3 "0 0 1280 720" geometry "$id"
  check_settled "the picture is 960x720 between black bars" 5 "160 0 960 720" measure picture root
  check_that "stderr says the fallback" grep -q "using a full-screen window" "$work/err"
  quit "$id" "full screen"
  ;;
stop)
  # Ctrl+C as the console's control event, which wine delivers (no Ctrl+Break) on a terminal.
  x86_64-w64-mingw32-gcc-win32 -O2 "$(dirname "$0")/console_ctrl.c" -o "$work/console_ctrl.exe"
  code=$(cd "$show_dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" \
         in_console "wine '$work/console_ctrl.exe' 0 kessivar.exe -window" | tail -n1)
  check "Ctrl+C ends the show with STATUS_CONTROL_C_EXIT" c000013a "$code"
  check_that "the music had played" sound_heard
  ;;
reader)
  # A pipe that nobody reads, filled up before the show writes to it.
  mkfifo "$work/pipe"
  exec 3<>"$work/pipe"
  timeout 2 dd if=/dev/zero of="$work/pipe" bs=4096 count=64 2>/dev/null
  STREAMS='>"$work/pipe" 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  press "$id" --repeat 500 --delay 2 space
  check_that "with a stuck reader the frames go on" new_frame "$id"
  quit "$id" "stuck reader"
  ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac
finish
