#!/usr/bin/env bash
# The real program in hostile surroundings, in Xvfb, driven by xdotool: damaged files,
# no sound device, no full-screen mode, absurd window sizes, key storms, a stopped process.
# usage: hostile.sh <path to kessivar> <path to make_bad_files> <case> <path to xpicture>
set -u
program=$(readlink -f "$1")
make_bad_files=$(readlink -f "$2")
case_name=$3
xpicture=$(readlink -f "$4")
screen=3840x2160
source "$(dirname "$0")/../xshow.sh"
source "$(dirname "$0")/../real/servers.sh"
start_x

show_dir=$(dirname "$program")

# "yes" once the window shows a frame (any pixel not the black it is mapped with), "no"
# after 5 s (scaled). Drawing comes after loading: stderr then holds every line about files.
has_picture() { local p; p=$(xpicture_now "$1" | grep '^picture'); [ -n "$p" ] && [ "$p" != "picture 0 0 0 0" ]; }
drawn() { until_true 5 has_picture "$1" && echo yes || echo no; }
# drawing <id> [seconds]: "yes" once a new frame shows in the window and the show still
# runs (a window that vanishes reads as changed pixels), "no" after 5 s (scaled).
drawing() {
  local h; h=$(picture_hash "$1")
  [ -n "$h" ] && until_true "${2:-5}" hash_differs "$1" "$h" && kill -0 "$show_pid" 2>/dev/null &&
    echo yes || echo no
}
reader_gone() { ! kill -0 "$1" 2>/dev/null; }
# The window's width and height once they are <expected> ("W H"), or as they are after 3 s.
size_now() { timeout 5 xwininfo -id "$1" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w, h}'; }
size_is() { [ "$(size_now "$1")" == "$2" ]; }
settled_size() { until_true 3 size_is "$1" "$2"; size_now "$1"; }

case "$case_name" in
bad_files)
  # Three folders of damaged files: each file named once on stderr, the show runs on.
  for kinds in "truncated font_short zero_length" "text font_rgb png" "huge_header empty unknown_codec"; do
    mkdir -p "$work/bad"; rm -f "$work/bad"/*
    # shellcheck disable=SC2086
    "$make_bad_files" "$work/bad" $kinds
    start_show "$work/bad" -window
    id=$(wait_window); need_window "$id"
    check "[$kinds] a frame is drawn" yes "$(drawn "$id")"
    check "[$kinds] the show runs" yes "$(running)"
    for file in $show_files; do
      check "[$kinds] stderr names $file once" 1 "$(grep -c "^kessivar: $file: " "$work/err")"
    done
    check "[$kinds] a line per file on stderr" "$(wc -w <<<"$show_files")" "$(wc -l <"$work/err")"
    quit "$id" "[$kinds]"
    end_if_running
  done
  ;;
no_sound)
  AUDIO=nowhere start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "no sound device: the show runs" yes "$(drawing "$id")"
  check "one line says so" 1 "$(grep -c '^kessivar: no sound output' "$work/err")"
  check "and nothing else" 1 "$(wc -l <"$work/err")"
  quit "$id" "no sound device"
  ;;
no_fullscreen)
  start_show "$show_dir"
  id=$(wait_window); need_window "$id"
  check "without the video mode the show runs in a window" yes "$(drawing "$id")"
  check "one line says so" 1 "$(grep -c '^kessivar: full-screen mode 640x480:16@60 not available' "$work/err")"
  quit "$id" "full-screen window"
  ;;
resize)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the show draws" yes "$(drawing "$id")"
  for size in "1 1" "3840 2160" "1 1" "640 480"; do
    # shellcheck disable=SC2086
    timeout 5 xdotool windowsize "$id" $size
    check "window is $size" "$size" "$(settled_size "$id" "$size")"
    # The resize reaches the show before the first space: two answered, a frame was drawn at
    # the new size in between.
    check "resized to $size: the show draws and answers keys" yes \
      "$(answers_space "$id" && answers_space "$id" && echo yes || echo no)"
  done
  check "each space answered once, in turn" yes \
    "$(awk '{ if ($2 != NR % 2) bad = 1 } END { print !bad && NR == 8 ? "yes" : "no" }' "$work/out")"
  quit "$id" "after resizing"
  ;;
key_storm)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the show draws" yes "$(drawing "$id")"
  RANDOM=2002
  keys=(a b c d e f g h i j k l m n o p q r s t u v w x y z A Q Z 0 1 2 5 9 space space space
        Return Tab BackSpace Delete Left Right Up Down F1 F2 F5 F10 F12 Home End Page_Up
        Page_Down Insert minus plus comma period slash semicolon apostrophe bracketleft
        backslash grave equal KP_1 KP_Enter Shift_L Control_L Alt_L Caps_Lock)
  sent=()
  spaces=0
  for _ in $(seq 1000); do
    k=${keys[RANDOM % ${#keys[@]}]}
    sent+=("$k")
    [ "$k" == space ] && spaces=$((spaces + 1))
  done
  # A last space: once it is answered, every key of the storm has been taken.
  sent+=(space); spaces=$((spaces + 1))
  timeout 60 xdotool key --window "$id" --delay 3 "${sent[@]}"
  wait_until 50 lines_over $((spaces - 1))
  check "the show runs after 1000 random keys" yes "$(running)"
  check "one nofade line per space sent ($spaces)" "$spaces" "$(grep -c '^nofade [01]$' "$work/out")"
  check "nothing else on stdout" "$spaces" "$(wc -l <"$work/out")"
  check "the lines alternate from nofade 1" yes \
    "$(awk '{ if ($2 != NR % 2) bad = 1 } END { print bad ? "no" : "yes" }' "$work/out")"
  quit "$id" "after the key storm"
  ;;
stopped)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the show draws" yes "$(drawing "$id")"
  # A fixed 4 s: the stop itself is what this case is about (both clocks jump by it).
  kill -STOP "$show_pid"; sleep 4; kill -CONT "$show_pid"
  check "stopped 4 s and continued: the show runs" yes "$(drawing "$id")"
  press "$id" space
  check "and answers keys" "nofade 1" "$(settled_output "nofade 1")"
  check "stderr stays empty" "" "$(cat "$work/err")"
  quit "$id" "after the stop"
  ;;
valgrind)
  # memcheck over start-up, the title, the first seconds of the scene and Escape.
  WRAPPER="valgrind --tool=memcheck --num-callers=40 --keep-debuginfo=yes --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite
           --suppressions=$(dirname "$0")/valgrind.supp --log-file=$work/valgrind.log" start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  # The show's clock started before its window appeared, and its title lasts 10 s of that
  # clock on any machine: a fixed wait, after which every frame drawn is of the scene.
  sleep 10
  check "under valgrind: the show runs into the scene" yes "$(drawing "$id" 60)"
  # What memcheck watches: three seconds of the scene's clock, its layers moving on.
  sleep 3
  check "under valgrind: scene frames keep coming" yes "$(drawing "$id" 60)"
  timeout 5 xdotool key --window "$id" Escape
  wait_exit 300
  check "memcheck finds no errors (exit status 0, not 99)" 0 "$status"
  grep -E 'ERROR SUMMARY|definitely lost|possibly lost|suppressed:' "$work/valgrind.log"
  [ "$status" == 0 ] || grep -A30 -E 'Invalid|uninitialised|Conditional|definitely lost in' "$work/valgrind.log" | head -80
  ;;
signals)
  # Ctrl+C in the console (SIGINT) and a plain kill (SIGTERM) end the show, music playing.
  for signal in INT TERM; do
    AUDIO=disk start_show "$show_dir" -window
    id=$(wait_window); need_window "$id"
    check "SIG$signal: the music plays" yes "$(music_plays)"
    kill -"$signal" "$show_pid"
    wait_exit
    check "SIG$signal ends the show" ended "$([ "$status" == running ] && echo running || echo ended)"
    [ "$status" == running ] && kill -KILL "$show_pid" && wait "$show_pid" 2>/dev/null && show_pid=""
  done
  ;;
closed_streams)
  # Started with standard streams closed: no file or connection may take their numbers
  # and receive the show's lines. Without sound, the X connection is the next to open.
  AUDIO=nowhere start_show_with '>&- 2>"$work/err"' "$show_dir" -window
  id=$(wait_window); need_window "$id"
  press "$id" space; press "$id" space
  check "stdout closed: frames keep coming after space" yes "$(drawing "$id")"
  quit "$id" "stdout closed"
  end_if_running
  # stderr closed, seven files missing: seven lines for it once the X connection is open.
  mkdir "$work/title_only"; "$xpicture" --title-picture "$work/title_only/$title_file"
  AUDIO=nowhere start_show_with '2>&- >"$work/out"' "$work/title_only" -window
  id=$(wait_window); need_window "$id"
  check "stderr closed: frames keep coming" yes "$(drawing "$id")"
  press "$id" space
  check "stderr closed: space answers" "nofade 1" "$(settled_output "nofade 1")"
  quit "$id" "stderr closed"
  ;;
readers)
  # The show's lines into a pipe: a reader that keeps up gets every line in order; one
  # that never reads or that leaves stops neither the frames nor Escape.
  mkfifo "$work/pipe"
  cat "$work/pipe" >"$work/read" & server_pids+=("$!"); reader=$!
  start_show_with '>"$work/pipe" 2>"$work/err"' "$show_dir" -window
  id=$(wait_window); need_window "$id"
  # shellcheck disable=SC2046
  timeout 60 xdotool key --window "$id" --delay 2 $(printf 'space %.0s' $(seq 300))
  quit "$id" "reader keeping up"
  end_if_running
  wait "$reader"
  check "reader keeping up: every line (300 spaces)" 300 "$(grep -c '^nofade [01]$' "$work/read")"
  check "reader keeping up: the lines alternate from nofade 1" yes \
    "$(awk '{ if ($2 != NR % 2) bad = 1 } END { print bad ? "no" : "yes" }' "$work/read")"

  # This script holds the pipe's reading end and never reads; the pipe starts full (dd
  # writes until the pipe takes no more), so the first line already finds no room.
  mkfifo "$work/full"
  exec 3<>"$work/full"
  dd if=/dev/zero of="$work/full" bs=512 count=100000 oflag=nonblock 2>/dev/null
  start_show_with '>"$work/full" 2>"$work/err"' "$show_dir" -window
  id=$(wait_window); need_window "$id"
  # shellcheck disable=SC2046
  timeout 60 xdotool key --window "$id" --delay 2 $(printf 'space %.0s' $(seq 500))
  check "stuck reader, 500 spaces: frames keep coming" yes "$(drawing "$id")"
  quit "$id" "stuck reader"
  end_if_running
  exec 3<&-

  mkfifo "$work/gone"
  head -1 "$work/gone" >"$work/read" &
  reader=$!
  start_show_with '>"$work/gone" 2>"$work/err"' "$show_dir" -window
  id=$(wait_window); need_window "$id"
  press "$id" space
  until_true 5 reader_gone "$reader"
  press "$id" space; press "$id" space
  check "departed reader: frames keep coming" yes "$(drawing "$id")"
  check "departed reader: the show runs" yes "$(running)"
  check "departed reader: it had the first line" "nofade 1" "$(cat "$work/read")"
  quit "$id" "departed reader"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
