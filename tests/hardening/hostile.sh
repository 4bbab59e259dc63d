#!/usr/bin/env bash
# The real program in hostile surroundings, in Xvfb, driven by xdotool: damaged files,
# no sound device, no full-screen mode, absurd window sizes, key storms, a stopped process.
# usage: hostile.sh <path to kessivar> <path to make_bad_files> <case>
set -u
program=$(readlink -f "$1")
make_bad_files=$(readlink -f "$2")
case_name=$3
title="Kessivar 2002 - 01.-04. August 2002"
failures=0
passes=0

work=$(mktemp -d)
xvfb_pid=""
show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill -CONT "$show_pid" 2>/dev/null && kill "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# An X server of our own on a display number picked at random, and checked to be ours and
# answering: other X servers may come and go on the same machine.
for _ in $(seq 10); do
  display=$((100 + RANDOM % 800))
  [ -e "/tmp/.X11-unix/X$display" ] && continue
  Xvfb ":$display" -screen 0 3840x2160x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    xdpyinfo -display ":$display" >/dev/null 2>&1 && break
    sleep 0.1
  done
  kill -0 "$xvfb_pid" 2>/dev/null && xdpyinfo -display ":$display" >/dev/null 2>&1 && break
  kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "no X server could be started"; exit 1; }
export DISPLAY=":$display"

check() {  # check <description> <expected> <actual>
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1)); echo "ok: $1"
  else
    failures=$((failures + 1)); echo "FAILED: $1: expected [$2], got [$3]"
    echo "  (the show's stderr so far:"; sed 's/^/    /' "$work/err" 2>/dev/null; echo "  )"
  fi
}

start_show() {  # start_show <folder> [arguments...]
  local folder=$1; shift
  # shellcheck disable=SC2086
  (cd "$folder" && exec env SDL_AUDIODRIVER="${AUDIO:-dummy}" ${WRAPPER:-} "$program" "$@" >"$work/out" 2>"$work/err") &
  show_pid=$!
}

wait_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# Ends the case when the show's window did not appear (xdotool and xwininfo would otherwise
# wait for a window to be picked by hand).
need_window() {
  [ -n "$1" ] && return
  check "the show's window appears" yes no
  echo "$passes passed, $failures failed"
  exit 1
}

running() { kill -0 "$show_pid" 2>/dev/null && echo yes || echo no; }

wait_exit() {  # sets status to the exit status, or "running" after 5 s
  status=running
  for _ in $(seq 50); do
    if ! kill -0 "$show_pid" 2>/dev/null; then
      wait "$show_pid"; status=$?; show_pid=""; return
    fi
    sleep 0.1
  done
}

quit() {  # Escape, then the exit status is 0
  xdotool key --window "$1" Escape
  wait_exit; check "$2: Escape exits with 0" 0 "$status"
}

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
    xdotool windowsize "$id" $size; sleep 1
    check "window is $size" "$size" "$(xwininfo -id "$id" | awk '/Width:/{w=$NF} /Height:/{h=$NF} END{print w, h}')"
    check "resized to $size: the show runs" yes "$(running)"
  done
  xdotool key --window "$id" space; sleep 0.3
  check "still answers keys" "nofade 1" "$(cat "$work/out")"
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
  xdotool key --window "$id" --delay 3 "${sent[@]}"
  sleep 1
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
  xdotool key --window "$id" space; sleep 0.3
  check "and answers keys" "nofade 1" "$(cat "$work/out")"
  check "stderr stays empty" "" "$(cat "$work/err")"
  quit "$id" "after the stop"
  ;;
valgrind)
  # memcheck over start-up, the title, the first seconds of the scene and Escape.
  WRAPPER="valgrind --tool=memcheck --num-callers=40 --keep-debuginfo=yes --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite
           --suppressions=$(dirname "$0")/valgrind.supp --log-file=$work/valgrind.log" start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"; sleep 13
  check "under valgrind: the show runs into the scene" yes "$(running)"
  xdotool key --window "$id" Escape
  status=running
  for _ in $(seq 300); do
    if ! kill -0 "$show_pid" 2>/dev/null; then wait "$show_pid"; status=$?; show_pid=""; break; fi
    sleep 0.1
  done
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
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
