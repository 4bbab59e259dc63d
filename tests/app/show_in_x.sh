#!/usr/bin/env bash
# The real program in a real X server (Xvfb), driven by real key events (xdotool).
# usage: show_in_x.sh <path to kessivar> <case> [<path to close_window> [<path to xpicture>]]
set -u
program=$(readlink -f "$1")
case_name=$2
pixels=${4:-}
source "$(dirname "$0")/../xshow.sh"
start_x

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
  check "first space" "nofade 1" "$(settled_output "nofade 1")"
  press "$id" space
  check "second space, each line at once into a pipe/file" "nofade 1
nofade 0" "$(settled_output "nofade 1
nofade 0")"
  for key in a A z Z q Q Return Tab BackSpace Left Right Up Down F1 F5 F12 Home Page_Down 1 0 minus; do
    press "$id" "$key"
  done
  # A third space: once it is answered, every key before it has been taken.
  press "$id" space
  check "other keys print nothing" "nofade 1
nofade 0
nofade 1" "$(settled_output "nofade 1
nofade 0
nofade 1")"
  check "show still running after other keys" yes "$(running)"
  press "$id" Escape
  wait_exit; check "Escape exits with 0" 0 "$status"
  check "nothing else on stdout" "nofade 1
nofade 0
nofade 1" "$(cat "$work/out")"
  ;;
escape)
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the title picture shows" yes "$(title_shows "$id")"
  press "$id" Escape
  wait_exit; check "Escape in the title phase exits with 0" 0 "$status"
  start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  # The show's clock started before its window appeared, and its title lasts 10 s of that
  # clock on any machine: a fixed wait, after which every frame drawn is of the scene.
  sleep 10
  check "scene frames drawn" yes "$(new_frame "$id")"
  check "scene phase reached with the show running" yes "$(running)"
  press "$id" Escape
  wait_exit; check "Escape in the scene phase exits with 0" 0 "$status"
  ;;
arguments)
  # --help and --version answer without a display, and exit 0.
  usage=$(env -u DISPLAY "$program" --help 2>&1); code=$?
  words=$(echo -window Escape space $show_files VIEWING_GAMMA)
  check "--help: exit 0 and the usage names -window, the keys, the files and VIEWING_GAMMA" \
    "0 $words" "$code$(for word in $words; do grep -q -- "$word" <<<"$usage" && echo -n " $word"; done)"
  version=$(env -u DISPLAY "$program" --version 2>&1); code=$?
  check "--version: exit 0 and one line" "0 kessivar" "$code $(awk '{print $1} END{if (NR != 1) print "lines:" NR}' <<<"$version")"
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
  check "the title picture shows full screen" yes "$(title_shows "$id")"
  check "the show runs full screen" yes "$(running)"
  press "$id" Escape
  wait_exit; check "Escape leaves full screen and exits with 0" 0 "$status"
  ;;
window_closed)
  AUDIO=disk start_show "$show_dir" -window
  id=$(wait_window); need_window "$id"
  check "the title picture shows" yes "$(title_shows "$id")"
  check "the music plays" yes "$(music_plays)"
  timeout 5 "$3" "$id"
  wait_exit; check "closing the window ends the show with 0" 0 "$status"
  ;;
missing_files)
  # Neither in the working folder nor beside the program (a copy of it, alone in a folder).
  mkdir "$work/empty" "$work/alone"
  cp "$program" "$work/alone/kessivar"
  program=$work/alone/kessivar
  AUDIO=disk start_show "$work/empty" -window
  id=$(wait_window); need_window "$id"
  check "the title is drawn white, untextured" yes "$(white_shows "$id")"
  check "the show runs without its files" yes "$(running)"
  for file in $show_files; do
    check "stderr names $file" 1 "$(grep -c "^kessivar: $file: " "$work/err")"
  done
  press "$id" Escape
  wait_exit; check "Escape exits with 0" 0 "$status"
  check "stdout stays empty" "" "$(cat "$work/out")"
  ;;
other_folder)
  # Started from another folder, directly and through a symlink: the files beside the
  # program are found, and one line says where they came from.
  mkdir "$work/elsewhere" "$work/links"
  ln -s "$program" "$work/links/kessivar"
  for how in directly "through a symlink"; do
    [ "$how" == directly ] || program=$work/links/kessivar
    start_show "$work/elsewhere" -window
    id=$(wait_window); need_window "$id"
    check "$how: the title picture shows" yes "$(title_shows "$id")"
    check "$how: stderr names the program's folder once" \
      "kessivar: reading the show's files from $show_dir (not in the working folder)" "$(cat "$work/err")"
    quit "$id" "$how"
  done
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
