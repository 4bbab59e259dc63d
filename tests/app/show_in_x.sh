#!/usr/bin/env bash
# The real program in a real X server (Xvfb), driven by real key events (xdotool).
# usage: show_in_x.sh <path to kessivar> <case> <path to close_window> <path to xpicture>
set -u
program=$(readlink -f "$1")
case_name=$2
xpicture=$(readlink -f "$4")
source "$(dirname "$0")/../lib/harness.sh"
start_x

show_dir=$(dirname "$program")
samples_match() { python3 - "$work/sound.raw" "$show_dir/${show_files[0]}" <<'PY'
import sys
out, wav = (open(f, 'rb').read() for f in sys.argv[1:])
out, data = (b[(len(b) - len(b.lstrip(b'\0'))) // 4 * 4:] for b in (out, wav[wav.index(b'data') + 8:]))
n = min(len(out), len(data))
print('same' if n > 44100 * 4 and out[:n] == data[:n] else 'differs (%d bytes compared)' % n)
PY
}

case "$case_name" in
title_and_window)
  start_show "$show_dir" -window
  wait_window
  check "window title" "$title" "$(timeout 5 xdotool getwindowname "$id" 2>/dev/null)"
  check_settled "window at (100, 100), 640x480" 3 "100 100 640 480" geometry "$id"
  quit "$id" "a window"
  ;;
keys)
  start_show "$show_dir" -window
  wait_window
  press "$id" space
  check_settled "first space" 3 "nofade 1" show_output
  press "$id" space
  check_settled "second space, each line at once into a pipe/file" 3 "nofade 1
nofade 0" show_output
  press "$id" a A z Z q Q Return Tab BackSpace Left Right Up Down F1 F5 F12 Home Page_Down 1 0 minus
  # A third space: once it is answered, every key before it has been taken.
  press "$id" space
  check_settled "other keys print nothing" 3 "nofade 1
nofade 0
nofade 1" show_output
  check_that "show still running after other keys" running
  quit "$id" "after the keys"
  check "nothing else on stdout" "nofade 1
nofade 0
nofade 1" "$(show_output)"
  ;;
escape)
  start_show "$show_dir" -window
  wait_window
  check_that "the pictures show" pictures_show "$id"
  quit "$id" "in the title phase"
  start_show "$show_dir" -window
  wait_window
  # The show's clock started before its window appeared, and its title lasts 10 s of that
  # clock on any machine: a fixed wait, after which every frame drawn is of the scene.
  sleep 10
  check_that "scene frames drawn with the show running" new_frame "$id"
  quit "$id" "in the scene phase"
  ;;
arguments)
  # --help and --version answer without a display, and exit 0.
  usage=$(env -u DISPLAY "$program" --help 2>&1); code=$?
  words=(-window Escape space "${show_files[@]}" VIEWING_GAMMA)
  check "--help: exit 0 and the usage names -window, the keys, the files and VIEWING_GAMMA" "0 ${words[*]}" \
    "$code$(for word in "${words[@]}"; do grep -q -- "$word" <<<"$usage" && echo -n " $word"; done)"
  version=$(env -u DISPLAY "$program" --version 2>&1); code=$?
  check "--version: exit 0 and one line" "0 kessivar" "$code $(awk '{print $1} END{if (NR != 1) print "lines:" NR}' <<<"$version")"
  for arg in -window -windowed "-window extra" -Window window --window "x -window"; do
    expected="0 0 1024 768"
    [[ $arg == -window* ]] && expected="100 100 640 480"
    # shellcheck disable=SC2086
    start_show "$show_dir" $arg
    wait_window
    check_settled "'$arg' gives the surface $expected" 3 "$expected" geometry "$id"
    quit "$id" "'$arg'"
  done
  ;;
fullscreen)
  start_show "$show_dir"
  wait_window
  check_settled "no argument: the surface covers the screen" 3 "0 0 1024 768" geometry "$id"
  check_that "the pictures show full screen" pictures_show "$id"
  check_that "the show runs full screen" running
  quit "$id" "leaving full screen"
  ;;
window_closed)
  AUDIO=disk start_show "$show_dir" -window
  wait_window
  check_that "the pictures show" pictures_show "$id"
  check_that "the music plays" music_plays
  # After the start-up silence, over a second of the music file's samples from its first.
  check_settled "the output is the music file's samples after the silence" 5 same samples_match
  timeout 5 "$3" "$id"
  wait_exit; check "closing the window ends the show with 0" 0 "$status"
  ;;
missing_files)
  # Neither in the working folder nor beside the program (a copy of it, alone in a folder).
  mkdir "$work/empty" "$work/alone"
  cp "$program" "$work/alone/"
  program=$work/alone/${program##*/}
  AUDIO=disk start_show "$work/empty" -window
  wait_window
  check_that "the title is drawn white, untextured" white_shows "$id"
  check_that "the show runs without its files" running
  names_each_file "without the files:"
  check_that "without the music file: a second of silence" silent_for 1
  quit "$id" "without the files"
  check "stdout stays empty" "" "$(show_output)"
  ;;
other_folder)
  # Started from another folder, directly and through a symlink: the files beside the
  # program are found, and one line says where they came from.
  mkdir "$work/elsewhere" "$work/links"
  ln -s "$program" "$work/links/kessivar"
  for how in directly "through a symlink"; do
    [ "$how" == directly ] || program=$work/links/kessivar
    start_show "$work/elsewhere" -window
    wait_window
    check_that "$how: the pictures show" pictures_show "$id"
    check "$how: stderr names the program's folder once" \
      "kessivar: reading the show's files from $show_dir (not in the working folder)" "$(cat "$work/err")"
    quit "$id" "$how"
  done
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
