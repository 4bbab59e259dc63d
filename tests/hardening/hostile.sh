#!/usr/bin/env bash
# The real program in hostile surroundings, in Xvfb, driven by xdotool: damaged files,
# no sound device or library, no full-screen mode, absurd window sizes, key storms, a stopped process.
# usage: hostile.sh <path to kessivar> <path to make_bad_files> <case> <path to xpicture>
set -u
program=$(readlink -f "$1")
make_bad_files=$(readlink -f "$2")
case_name=$3
xpicture=$(readlink -f "$4")
screen=3840x2160
source "$(dirname "$0")/../lib/harness.sh"
start_x

show_dir=$(dirname "$program")

# A frame is drawn: any pixel not the black the window is mapped with, within 5 s. Drawing
# comes after loading: stderr then holds every line about files.
has_picture() { local p; p=$(measure picture "$1"); [ -n "$p" ] && [ "$p" != "0 0 0 0" ]; }
drawn() { wait_for 5 has_picture "$1"; }

case "$case_name" in
bad_files)
  # Three folders of damaged files: each file named once on stderr, the show runs on.
  for kinds in "truncated font_short zero_length" "text font_rgb png" "huge_header empty unknown_codec"; do
    mkdir -p "$work/bad"; rm -f "$work/bad"/*
    # shellcheck disable=SC2086
    "$make_bad_files" "$work/bad" $kinds
    start_show "$work/bad" -window
    wait_window
    check_that "[$kinds] a frame is drawn" drawn "$id"
    check_that "[$kinds] the show runs" running
    names_each_file "[$kinds]"
    check "[$kinds] a line per file on stderr" "${#show_files[@]}" "$(wc -l <"$work/err")"
    quit "$id" "[$kinds]"
  done
  ;;
no_sound)
  AUDIO=nowhere start_show "$show_dir" -window
  wait_window
  check_that "no sound device: the show runs" new_frame "$id"
  check "one line says so" 1 "$(grep -c '^kessivar: no sound output' "$work/err")"
  check "and nothing else" 1 "$(wc -l <"$work/err")"
  quit "$id" "no sound device"
  # The sound library is opened as the show starts: a broken one found first is the same.
  mkdir -p "$work/nolib" && : >"$work/nolib/libSDL2-2.0.so.0"
  WRAPPER="env LD_LIBRARY_PATH=$work/nolib" start_show "$show_dir" -window
  wait_window
  check_that "no sound library: the show runs" new_frame "$id"
  check "one line says so" 1 "$(grep -c '^kessivar: no sound library' "$work/err")"
  check "and nothing else" 1 "$(wc -l <"$work/err")"
  quit "$id" "no sound library"
  ;;
no_fullscreen)
  # The full-screen window, the test title picture at 4:3 between black bars.
  mkdir "$work/disc" && (cd "$show_dir" && cp "${show_files[@]}" "$work/disc/")
  "$xpicture" --title-picture "$work/disc/$title_file"
  start_show "$work/disc"
  wait_window
  check_settled "the full-screen window covers the screen" 3 "0 0 3840 2160" geometry "$id"
  check_settled "the picture is 2880x2160 between black bars" 5 "480 0 2880 2160" measure picture root
  check_that "without the video mode the show runs in a window" new_frame "$id"
  check "one line says so" 1 "$(grep -c '^kessivar: full-screen mode 640x480:16@60 not available' "$work/err")"
  quit "$id" "full-screen window"
  ;;
resize)
  start_show "$show_dir" -window
  wait_window
  check_that "the show draws" new_frame "$id"
  for size in "1 1" "3840 2160" "1 1" "640 480"; do
    # shellcheck disable=SC2086
    timeout 5 xdotool windowsize "$id" $size
    check_settled "window is $size at (100, 100)" 3 "100 100 $size" geometry "$id"
    # The resize reaches the show before the first space: two answered, a frame was drawn at
    # the new size in between.
    check_that "resized to $size: the show draws and answers keys" answers_space "$id"
    check_that "resized to $size: and again" answers_space "$id"
  done
  check "each space answered once" 8 "$(wc -l <"$work/out")"
  check_that "in turn" alternating
  quit "$id" "after resizing"
  ;;
key_storm)
  start_show "$show_dir" -window
  wait_window
  check_that "the show draws" new_frame "$id"
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
  press "$id" --delay 3 "${sent[@]}"
  wait_for 5 lines_over $((spaces - 1))
  check_that "the show runs after 1000 random keys" running
  check "one nofade line per space sent ($spaces)" "$spaces" "$(grep -c '^nofade [01]$' "$work/out")"
  check "nothing else on stdout" "$spaces" "$(wc -l <"$work/out")"
  check_that "the lines alternate from nofade 1" alternating
  quit "$id" "after the key storm"
  ;;
stopped)
  start_show "$show_dir" -window
  wait_window
  check_that "the show draws" new_frame "$id"
  # A fixed 4 s: the stop itself is what this case is about (both clocks jump by it).
  kill -STOP "$show_pid"; sleep 4; kill -CONT "$show_pid"
  check_that "stopped 4 s and continued: the show runs" new_frame "$id"
  press "$id" space
  check_settled "and answers keys" 3 "nofade 1" show_output
  check "stderr stays empty" "" "$(cat "$work/err")"
  quit "$id" "after the stop"
  ;;
valgrind)
  # memcheck over start-up, the title, the first seconds of the scene and Escape. Under
  # memcheck the show runs some twenty times slower, its exit (the leak check) most of all:
  # every wait of this case stretches five times further.
  time_factor=$(awk -v f="$time_factor" 'BEGIN { print f * 5 }')
  WRAPPER="valgrind --tool=memcheck --num-callers=40 --keep-debuginfo=yes --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite
           --suppressions=$(dirname "$0")/valgrind.supp --log-file=$work/valgrind.log" start_show "$show_dir" -window
  wait_window
  # The show's clock started before its window appeared, and its title lasts 10 s of that
  # clock on any machine: a fixed wait, after which every frame drawn is of the scene.
  sleep 10
  check_that "under valgrind: the show runs into the scene" new_frame "$id" 60
  # What memcheck watches: three seconds of the scene's clock, its layers moving on.
  sleep 3
  check_that "under valgrind: scene frames keep coming" new_frame "$id" 60
  press "$id" Escape
  wait_exit 30
  check "memcheck finds no errors (exit status 0, not 99)" 0 "$status"
  grep -E 'ERROR SUMMARY|definitely lost|possibly lost|suppressed:' "$work/valgrind.log"
  [ "$status" == 0 ] || grep -A30 -E 'Invalid|uninitialised|Conditional|definitely lost in' "$work/valgrind.log" | head -80
  ;;
signals)
  # Ctrl+C in the console (SIGINT) and a plain kill (SIGTERM) end the show, music playing.
  for signal in INT TERM; do
    AUDIO=disk start_show "$show_dir" -window
    wait_window
    check_that "SIG$signal: the music plays" music_plays
    kill -"$signal" "$show_pid"
    wait_exit
    check "SIG$signal ends the show by that signal (not a crash)" $((128 + $(kill -l "$signal"))) "$status"
  done
  ;;
closed_streams)
  # Started with standard streams closed: no file or connection may take their numbers
  # and receive the show's lines. Without sound, the X connection is the next to open.
  AUDIO=nowhere STREAMS='>&- 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  press "$id" space; press "$id" space
  check_that "stdout closed: frames keep coming after space" new_frame "$id"
  quit "$id" "stdout closed"
  # stderr closed, every file but the title picture missing: a line each for it once the X
  # connection is open.
  mkdir "$work/title_only"; "$xpicture" --title-picture "$work/title_only/$title_file"
  AUDIO=nowhere STREAMS='2>&- >"$work/out"' start_show "$work/title_only" -window
  wait_window
  check_that "stderr closed: frames keep coming" new_frame "$id"
  press "$id" space
  check_settled "stderr closed: space answers" 3 "nofade 1" show_output
  quit "$id" "stderr closed"
  ;;
readers)
  # The show's lines into a pipe: a reader that keeps up gets every line in order; one
  # that never reads or that leaves stops neither the frames nor Escape.
  mkfifo "$work/pipe"
  cat "$work/pipe" >"$work/read" & reader=$!; pids+=("$reader")
  STREAMS='>"$work/pipe" 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  # shellcheck disable=SC2046
  press "$id" --delay 2 $(printf 'space %.0s' $(seq 300))
  quit "$id" "reader keeping up"
  stop_show
  wait_for 5 gone "$reader"
  check "reader keeping up: every line (300 spaces)" 300 "$(grep -c '^nofade [01]$' "$work/read")"
  check_that "reader keeping up: the lines alternate from nofade 1" alternating "$work/read"

  # This script holds the pipe's reading end and never reads; the pipe starts full (dd
  # writes until the pipe takes no more), so the first line already finds no room.
  mkfifo "$work/full"
  exec 3<>"$work/full"
  dd if=/dev/zero of="$work/full" bs=512 count=100000 oflag=nonblock 2>/dev/null
  STREAMS='>"$work/full" 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  # shellcheck disable=SC2046
  press "$id" --delay 2 $(printf 'space %.0s' $(seq 500))
  check_that "stuck reader, 500 spaces: frames keep coming" new_frame "$id"
  quit "$id" "stuck reader"
  stop_show
  exec 3<&-

  mkfifo "$work/gone"
  head -1 "$work/gone" >"$work/read" & reader=$!; pids+=("$reader")
  STREAMS='>"$work/gone" 2>"$work/err"' start_show "$show_dir" -window
  wait_window
  press "$id" space
  wait_for 5 gone "$reader"
  press "$id" space; press "$id" space
  check_that "departed reader: frames keep coming" new_frame "$id"
  check_that "departed reader: the show runs" running
  check "departed reader: it had the first line" "nofade 1" "$(cat "$work/read")"
  quit "$id" "departed reader"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
