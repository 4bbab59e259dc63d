#!/usr/bin/env bash
# The Windows program under wine, in an X server of the case's own (tests/xshow.sh).
# usage: wine_show.sh <show folder with kessivar.exe> <wine prefix> <case> <xpicture> [<capture>]
# The cases share the prefix (made by the case "prefix"), warm, one at a time: each ends
# its own show, then that prefix's wineserver, never another's.
set -u
show_dir=$(readlink -f "$1")
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case_name=$3
pixels=$(readlink -f "${4:-/none}")
capture=$(readlink -f "${5:-/none}")
program=$show_dir/kessivar.exe
WRAPPER=wine  # the show's window gets 60 s, as under valgrind
source "$(dirname "$0")/../xshow.sh"
music=$(head -n1 <<<"$show_files")
trap 'wineserver -k 2>/dev/null; cleanup' EXIT

if [ "$case_name" == prefix ]; then
  rm -rf "$WINEPREFIX" && wineboot -i >/dev/null 2>&1 && wineserver -w && [ -f "$WINEPREFIX/system.reg" ]
  exit
fi
wineserver -p 30  # one warm server for the case's starts
[ "$case_name" == fullscreen ] && screen=1280x720  # not 4:3
start_x

# nearer <id> <a.png> <b.png>: "a" or "b", whichever picture the window differs less from.
nearer() { timeout 5 "$pixels" "$1" --like "$2" "$3" | awk '/^like/ {d[n++] = $2}
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
  id=$(wait_window); need_window "$id"
  check "window title" "$title" "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)"
  check "at 144 dpi the drawing area is 640x480" "640 480" "$(geometry "$id" | awk '{print $3, $4}')"
  sleep 3  # the show's clock started before its window appeared: about 3 s of it now
  check "at ~3 s the window shows the title frame" a "$(nearer "$id" "${frames[@]}")"
  sleep 9  # past the 10-s title on the show's clock
  check "after 12 s the window shows the scene" b "$(nearer "$id" "${frames[@]}")"
  quit "$id" window
  check "the window goes" yes "$(wait_until 30 window_gone && echo yes || echo no)"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
  ;;
keys)
  mkfifo "$work/pipe"
  cat "$work/pipe" >"$work/piped" & reader_pid=$!
  OUT=$work/pipe start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  press "$id" space
  wait_until 50 grep -q "nofade 1" "$work/piped"
  press "$id" space
  wait_until 50 grep -q "nofade 0" "$work/piped"
  quit "$id" keys
  kill "$reader_pid" 2>/dev/null  # wineserver may hold the pipe open: the reader would see no end
  check "two spaces write exactly two lines to the pipe, no CR" "$(printf 'nofade 1\nnofade 0\n' | od -An -tx1)" \
    "$(od -An -tx1 "$work/piped")"
  # Started from a console (on a terminal), the lines appear there.
  check "from a console: --version prints there" kessivar \
    "$(in_console "wine '$program' --version" | grep -o kessivar | head -n1)"
  ;;
music)
  AUDIO=disk start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the music plays" yes "$(music_plays)"
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
  id=$(wait_window); need_window "$id"
  check "non-ASCII folder: the title picture shows" yes "$(title_shows "$id")"
  check "non-ASCII folder: the music plays" yes "$(music_plays)"
  check "stderr says where the files are" yes "$(grep -qF "files from Z:$(tr / '\\' <<<"$folder")" "$work/err" && echo yes || echo no)"
  quit "$id" "non-ASCII folder"
  # Without the music file: silence, and a line on stderr naming it.
  rm "$folder/$music" "$work/sound.raw"
  AUDIO=disk start_show "$folder" -window
  id=$(wait_window); need_window "$id"
  check "no music file: the title picture shows" yes "$(title_shows "$id")"
  check "no music file: stderr names it" yes "$(wait_until 30 grep -qF "$music" "$work/err" && echo yes || echo no)"
  sleep 1
  check "no music file: silence" no "$(sound_heard && echo yes || echo no)"
  quit "$id" "no music file"
  ;;
fullscreen)
  # Xvfb has no modes to switch to: the full-screen window, the test title picture at 4:3.
  mkdir "$work/disc" && cp "$show_dir"/* "$work/disc/" && "$pixels" --title-picture "$work/disc/$title_file"
  start_show "$work/disc"
  id=$(wait_window); need_window "$id"
  check "the full-screen window covers the screen" "0 0 1280 720" "$(settled_geometry "$id" "0 0 1280 720")"
  picture_now() { timeout 5 "$pixels" root | grep '^picture'; }
  picture_fits() { [ "$(picture_now)" == "picture 160 0 960 720" ]; }
  wait_until 50 picture_fits
  check "the picture is 960x720 between black bars" "picture 160 0 960 720" "$(picture_now)"
  check "stderr says the fallback" yes "$(grep -q "using a full-screen window" "$work/err" && echo yes || echo no)"
  quit "$id" "full screen"
  ;;
stop)
  # Ctrl+C as the console's control event, which wine delivers (no Ctrl+Break) on a terminal.
  x86_64-w64-mingw32-gcc-win32 -O2 "$(dirname "$0")/console_ctrl.c" -o "$work/console_ctrl.exe"
  code=$(cd "$show_dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/sound.raw" \
         in_console "wine '$work/console_ctrl.exe' 0 kessivar.exe -window" | tail -n1)
  check "Ctrl+C ends the show with STATUS_CONTROL_C_EXIT" c000013a "$code"
  check "the music had played" yes "$(sound_heard && echo yes || echo no)"
  ;;
reader)
  # A pipe that nobody reads, filled up before the show writes to it.
  mkfifo "$work/pipe"
  exec 3<>"$work/pipe"
  timeout 2 dd if=/dev/zero of="$work/pipe" bs=4096 count=64 2>/dev/null
  OUT=$work/pipe start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  timeout 60 xdotool key --window "$id" --repeat 500 --delay 2 space
  check "with a stuck reader the frames go on" yes "$(new_frame "$id")"
  quit "$id" "stuck reader"
  ;;
*) echo "unknown case $case_name"; exit 2 ;;
esac
finish
