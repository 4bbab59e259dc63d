#!/usr/bin/env bash
# The real program in a real X server (Xvfb), driven by real key events (xdotool).
# usage: show_in_x.sh <path to kessivar> <case> [<path to close_window>]
set -u
program=$(readlink -f "$1")
case_name=$2
title="Kessivar 2002 - 01.-04. August 2002"
failures=0
passes=0

work=$(mktemp -d)
# An X server of our own on a free display: Xvfb's lock file makes a second server on
# the same number give up, so try numbers until ours is the one that answers.
xvfb_pid=""
show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill -9 "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; sleep 0.2; kill -9 "$xvfb_pid" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT
start_x() {
  local n
  for _ in $(seq 20); do
    n=$(( 100 + RANDOM % 800 ))
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      kill -0 "$xvfb_pid" 2>/dev/null || break
      if DISPLAY=":$n" timeout 5 xdpyinfo >/dev/null 2>&1 && kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.1
    done
    kill -9 "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
  done
  echo "FAILED: no X server could be started"; exit 1
}
start_x

check() {  # check <description> <expected> <actual>
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1)); echo "ok: $1"
  else
    failures=$((failures + 1)); echo "FAILED: $1: expected [$2], got [$3]"
  fi
}

# start_show <folder> [arguments...]: runs the show in the folder, output into files.
start_show() {
  local folder=$1; shift
  (cd "$folder" && exec env SDL_AUDIODRIVER="${AUDIO:-dummy}" "$program" "$@" >"$work/out" 2>"$work/err") &
  show_pid=$!
}

# The show's window id, once it is mapped and viewable (empty after 10 s without one).
# One tree query per try: it cannot hang on windows that come and go meanwhile.
wait_window() {
  local id=""
  for _ in $(seq 100); do
    id=$(timeout 5 xwininfo -root -tree 2>/dev/null |
         awk -v t="\"$title\"" 'index($0, t) || /\("kessivar" /{print $1; exit}')
    if [ -n "$id" ] && timeout 5 xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
      echo "$id"; return
    fi
    sleep 0.1
  done
}

geometry() {  # "x y width height" of a window
  timeout 5 xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# Geometry of a window once it equals the expected one (or as it is after 3 s):
# a full-screen window is mapped first and resized afterwards.
settled_geometry() {  # settled_geometry <id> <expected>
  local now=""
  for _ in $(seq 30); do
    now=$(geometry "$1")
    [ "$now" == "$2" ] && break
    sleep 0.1
  done
  echo "$now"
}

press() { timeout 5 xdotool key --window "$1" "$2"; sleep 0.15; }

# Waits up to 5 s for the show to end; sets status to its exit status, or "running".
wait_exit() {
  status=running
  for _ in $(seq 50); do
    if ! kill -0 "$show_pid" 2>/dev/null; then
      wait "$show_pid"; status=$?; show_pid=""; return
    fi
    sleep 0.1
  done
}

show_dir=$(dirname "$program")

case "$case_name" in
title_and_window)
  start_show "$show_dir" -window
  id=$(wait_window)
  check "window exists" yes "$([ -n "$id" ] && echo yes || echo no)"
  check "window title" "$title" "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)"
  check "window at (100, 100), 640x480" "100 100 640 480" "$(settled_geometry "$id" "100 100 640 480")"
  press "$id" Escape
  wait_exit; check "Escape exits with 0" 0 "$status"
  ;;
keys)
  start_show "$show_dir" -window
  id=$(wait_window)
  press "$id" space
  check "first space" "nofade 1" "$(cat "$work/out")"
  press "$id" space
  check "second space, each line at once into a pipe/file" "nofade 1
nofade 0" "$(cat "$work/out")"
  for key in a A z Z q Q Return Tab BackSpace Left Right Up Down F1 F5 F12 Home Page_Down 1 0 minus; do
    press "$id" "$key"
  done
  check "other keys print nothing" "nofade 1
nofade 0" "$(cat "$work/out")"
  check "show still running after other keys" yes "$(kill -0 "$show_pid" 2>/dev/null && echo yes || echo no)"
  press "$id" Escape
  wait_exit; check "Escape exits with 0" 0 "$status"
  check "nothing else on stdout" "nofade 1
nofade 0" "$(cat "$work/out")"
  ;;
escape)
  start_show "$show_dir" -window
  id=$(wait_window); sleep 1
  press "$id" Escape
  wait_exit; check "Escape in the title phase exits with 0" 0 "$status"
  start_show "$show_dir" -window
  id=$(wait_window); sleep 11
  check "scene phase reached with the show running" yes "$(kill -0 "$show_pid" 2>/dev/null && echo yes || echo no)"
  press "$id" Escape
  wait_exit; check "Escape in the scene phase exits with 0" 0 "$status"
  ;;
arguments)
  for arg in -window -windowed "-window extra"; do
    # shellcheck disable=SC2086
    start_show "$show_dir" $arg
    id=$(wait_window)
    check "'$arg' gives a 640x480 window at (100, 100)" "100 100 640 480" "$(settled_geometry "$id" "100 100 640 480")"
    press "$id" Escape; wait_exit
    [ "$status" == running ] && kill "$show_pid"
  done
  for arg in -Window window --window "x -window"; do
    # shellcheck disable=SC2086
    start_show "$show_dir" $arg
    id=$(wait_window)
    check "'$arg' gives a full-screen surface" "0 0 1024 768" "$(settled_geometry "$id" "0 0 1024 768")"
    press "$id" Escape; wait_exit
    [ "$status" == running ] && kill "$show_pid"
  done
  ;;
fullscreen)
  start_show "$show_dir"
  id=$(wait_window)
  check "no argument: the surface covers the screen" "0 0 1024 768" "$(settled_geometry "$id" "0 0 1024 768")"
  sleep 0.5
  check "the show runs full screen" yes "$(kill -0 "$show_pid" 2>/dev/null && echo yes || echo no)"
  press "$id" Escape
  wait_exit; check "Escape leaves full screen and exits with 0" 0 "$status"
  ;;
window_closed)
  AUDIO=disk start_show "$show_dir" -window
  id=$(wait_window); sleep 0.5
  timeout 5 "$3" "$id"
  wait_exit; check "closing the window ends the show with 0" 0 "$status"
  ;;
missing_files)
  mkdir "$work/empty"
  AUDIO=disk start_show "$work/empty" -window
  id=$(wait_window); sleep 1.5
  check "the show runs without its files" yes "$(kill -0 "$show_pid" 2>/dev/null && echo yes || echo no)"
  for file in ninja.wav font.png trainer.png ksvlayer.png writer2.png logo.png footer.png kortit5.png; do
    check "stderr names $file" 1 "$(grep -c "^kessivar: $file: " "$work/err")"
  done
  press "$id" Escape
  wait_exit; check "Escape exits with 0" 0 "$status"
  check "stdout stays empty" "" "$(cat "$work/out")"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

echo "$passes passed, $failures failed"
if [ "$failures" -ne 0 ]; then
  echo "--- the last run's standard error:"; cat "$work/err" 2>/dev/null
  echo "--- the X server's log:"; cat "$work/xvfb.log" 2>/dev/null
fi
[ "$failures" -eq 0 ]
