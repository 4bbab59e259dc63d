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

case "$case_name" in
bad_files)
  # Three folders of damaged files: each file named once on stderr, the show runs on.
  for kinds in "truncated font_short zero_length" "text font_rgb png" "huge_header empty unknown_codec"; do
    mkdir -p "$work/bad"; rm -f "$work/bad"/*
    # shellcheck disable=SC2086
    "$make_bad_files" "$work/bad" $kinds
    start_show "$work/bad" -window
    id=$(wait_window); need_window "$id"; sleep 2
    check "[$kinds] the show runs" yes "$(running)"
    for file in ninja.wav font.png trainer.png ksvlayer.png writer2.png logo.png footer.png kortit5.png; do
      check "[$kinds] stderr names $file once" 1 "$(grep -c "^kessivar: $file: " "$work/err")"
    done
    check "[$kinds] eight lines on stderr" 8 "$(wc -l <"$work/err")"
    quit "$id" "[$kinds]"
  done
  ;;
no_sound)
  AUDIO=nowhere start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 2
  check "no sound device: the show runs" yes "$(running)"
  check "one line says so" 1 "$(grep -c '^kessivar: no sound output' "$work/err")"
  check "and nothing else" 1 "$(wc -l <"$work/err")"
  quit "$id" "no sound device"
  ;;
no_fullscreen)
  start_show "$show_dir"
  id=$(wait_window); need_window "$id"; sleep 1.5
  check "without the video mode the show runs in a window" yes "$(running)"
  check "one line says so" 1 "$(grep -c '^kessivar: full-screen mode 640x480:16@60 not available' "$work/err")"
  quit "$id" "full-screen window"
  ;;
resize)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 0.5
  for size in "1 1" "3840 2160" "1 1" "640 480"; do
    # shellcheck disable=SC2086
    timeout 5 xdotool windowsize "$id" $size; sleep 1
    check "window is $size" "$size" "$(timeout 5 xwininfo -id "$id" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w, h}')"
    check "resized to $size: the show runs" yes "$(running)"
  done
  press "$id" space
  check "still answers keys" "nofade 1" "$(settled_output "nofade 1")"
  quit "$id" "after resizing"
  ;;
key_storm)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 0.5
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
  timeout 60 xdotool key --window "$id" --delay 3 "${sent[@]}"
  for _ in $(seq 50); do [ "$(wc -l <"$work/out")" -ge "$spaces" ] && break; sleep 0.1; done
  sleep 0.5
  check "the show runs after 1000 random keys" yes "$(running)"
  check "one nofade line per space sent ($spaces)" "$spaces" "$(grep -c '^nofade [01]$' "$work/out")"
  check "nothing else on stdout" "$spaces" "$(wc -l <"$work/out")"
  check "the lines alternate from nofade 1" yes \
    "$(awk '{ if ($2 != NR % 2) bad = 1 } END { print bad ? "no" : "yes" }' "$work/out")"
  quit "$id" "after the key storm"
  ;;
stopped)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 1
  kill -STOP "$show_pid"; sleep 4; kill -CONT "$show_pid"; sleep 1
  check "stopped 4 s and continued: the show runs" yes "$(running)"
  press "$id" space
  check "and answers keys" "nofade 1" "$(settled_output "nofade 1")"
  check "stderr stays empty" "" "$(cat "$work/err")"
  quit "$id" "after the stop"
  ;;
valgrind)
  # memcheck over start-up, the title, the first seconds of the scene and Escape.
  WRAPPER="valgrind --tool=memcheck --num-callers=40 --keep-debuginfo=yes --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite
           --suppressions=$(dirname "$0")/valgrind.supp --log-file=$work/valgrind.log" start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 13
  check "under valgrind: the show runs into the scene" yes "$(running)"
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
    id=$(wait_window); need_window "$id"; sleep 1
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
  check "stdout closed: frames keep coming after space" yes "$(frames_change "$id" && echo yes || echo no)"
  quit "$id" "stdout closed"
  end_if_running
  # stderr closed, seven files missing: seven lines for it once the X connection is open.
  mkdir "$work/title_only"; "$xpicture" --title-picture "$work/title_only/trainer.png"
  AUDIO=nowhere start_show_with '2>&- >"$work/out"' "$work/title_only" -window
  id=$(wait_window); need_window "$id"
  check "stderr closed: frames keep coming" yes "$(frames_change "$id" && echo yes || echo no)"
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
  check "stuck reader, 500 spaces: frames keep coming" yes "$(frames_change "$id" && echo yes || echo no)"
  quit "$id" "stuck reader"
  end_if_running
  exec 3<&-

  mkfifo "$work/gone"
  head -1 "$work/gone" >"$work/read" &
  start_show_with '>"$work/gone" 2>"$work/err"' "$show_dir" -window
  id=$(wait_window); need_window "$id"
  press "$id" space; press "$id" space; press "$id" space
  check "departed reader: the show runs" yes "$(running)"
  check "departed reader: frames keep coming" yes "$(frames_change "$id" && echo yes || echo no)"
  check "departed reader: it had the first line" "nofade 1" "$(cat "$work/read")"
  quit "$id" "departed reader"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
