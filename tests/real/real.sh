#!/usr/bin/env bash
# The real program on real servers, as a user meets it: full screen under a window
# manager on a wide screen, a window of another shape, and the game mode on an Xorg
# server whose video mode really switches.
# usage: real.sh <path to kessivar> <path to xpicture> <case>
set -u
program=$(readlink -f "$1")
xpicture=$(readlink -f "$2")
case_name=$3
show_dir=$(dirname "$program")
here=$(dirname "$0")
source "$here/../xshow.sh"
source "$here/servers.sh"

case "$case_name" in
shape)
  # 1920x1080 under openbox: the full-screen surface shows the picture 1440x1080 between
  # black bars; a window resized to 1280x480 shows it 640x480 between black bars.
  screen=1920x1080 start_x
  start_openbox
  make_disc_title_folder
  start_show "$work/disc"
  id=$(wait_window); need_window "$id"
  check "full screen covers the screen" "0 0 1920 1080" "$(settled_geometry "$id" "0 0 1920 1080")"
  read -r _ x y w h < <(settled_picture "240 0 1440 1080" "$id" | grep '^disc')
  check "full screen: the picture is 1440x1080, centred, bars black" "picture 240 0 1440 1080" \
    "$(xpicture_now "$id" | grep '^picture')"
  check "full screen: the disc stays round" yes "$(is_round "$w" "$h")"
  check "full screen: the disc stays centred" "960 540" "$(( x + w / 2 )) $(( y + h / 2 ))"
  quit "$id" "full screen"

  start_show "$work/disc" -window
  id=$(wait_window); need_window "$id"
  timeout 5 xdotool windowsize "$id" 1280 480
  read -r _ x y w h < <(settled_picture "320 0 640 480" "$id" | grep '^disc')
  check "1280x480 window: the picture is 640x480, centred, bars black" "picture 320 0 640 480" \
    "$(xpicture_now "$id" | grep '^picture')"
  check "1280x480 window: the disc stays round" yes "$(is_round "$w" "$h")"
  quit "$id" "1280x480 window"
  ;;
game_mode)
  # Each way of ending the show brings the desktop's video mode back.
  start_xorg
  make_disc_title_folder
  check "the desktop's video mode" 1920x1080 "$(mode_now)"
  for ending in Escape TERM INT HUP; do
    start_show "$work/disc"
    id=$(wait_window); need_window "$id"
    check "[$ending] the video mode switches to 640x480" 640x480 "$(settled_mode 640x480)"
    check "[$ending] window title" "$title" "$(timeout 5 xdotool getwindowname "$id")"
    read -r _ x y w h < <(settled_picture "0 0 640 480" root 640x480+0+0 | grep '^disc')
    check "[$ending] the picture fills the mode" "picture 0 0 640 480" \
      "$(xpicture_now root 640x480+0+0 | grep '^picture')"
    check "[$ending] the disc stays round" yes "$(is_round "$w" "$h")"
    if [ "$ending" == Escape ]; then
      quit "$id" "[$ending]"
    else
      kill -"$ending" "$show_pid"; wait_exit
      check "[$ending] the show ends by SIG$ending" $(( 128 + $(kill -l "$ending") )) "$status"
    fi
    check "[$ending] the desktop's video mode is back" 1920x1080 "$(settled_mode 1920x1080)"
    end_if_running
  done
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
