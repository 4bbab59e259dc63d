#!/usr/bin/env bash
# The real program on real servers, as a user meets it: full screen under a window
# manager on a wide screen, a window of another shape, the game mode on an Xorg
# server whose video mode really switches, and full screen on a Wayland desktop.
# usage: real.sh <path to kessivar> <path to xpicture> <case> <path to kessivar-capture>
set -u
program=$(readlink -f "$1")
xpicture=$(readlink -f "$2")
case_name=$3
capture=$(readlink -f "${4:-/none}")
show_dir=$(dirname "$program")
here=$(dirname "$0")
source "$here/../lib/harness.sh"
source "$here/servers.sh"

# A folder of the show's files whose title picture is the test picture of xpicture: a blue
# disc, round on a viewer's screen, on grey that is never black.
make_disc_title_folder() {
  mkdir -p "$work/disc"
  for f in "${show_files[@]}"; do ln -sf "$show_dir/$f" "$work/disc/"; done
  rm -f "$work/disc/$title_file"
  "$xpicture" --title-picture "$work/disc/$title_file"
}

# "yes" when a measured box is round: width and height within 1 % (2 pixels at least).
is_round() {
  awk -v w="$1" -v h="$2" 'BEGIN { d = w - h; if (d < 0) d = -d;
    print (w > 0 && d <= (w / 100 > 2 ? w / 100 : 2)) ? "yes" : "no (" w "x" h ")" }'
}

case "$case_name" in
shape)
  # 1920x1080 under openbox: the full-screen surface shows the picture 1440x1080 between
  # black bars; a window resized to 1280x480 shows it 640x480 between black bars.
  screen=1920x1080 start_x
  start_openbox
  make_disc_title_folder
  start_show "$work/disc"
  wait_window
  check_settled "full screen covers the screen" 3 "0 0 1920 1080" geometry "$id"
  check_settled "full screen: the picture is 1440x1080, centred, bars black" 5 "240 0 1440 1080" measure picture "$id"
  read -r x y w h < <(measure disc "$id")
  check "full screen: the disc stays round" yes "$(is_round "$w" "$h")"
  check "full screen: the disc stays centred" "960 540" "$(( x + w / 2 )) $(( y + h / 2 ))"
  quit "$id" "full screen"

  start_show "$work/disc" -window
  wait_window
  timeout 5 xdotool windowsize "$id" 1280 480
  check_settled "1280x480 window: the picture is 640x480, centred, bars black" 5 "320 0 640 480" measure picture "$id"
  read -r x y w h < <(measure disc "$id")
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
    wait_window
    check_settled "[$ending] the video mode switches to 640x480" 5 640x480 mode_now
    check "[$ending] window title" "$title" "$(timeout 5 xdotool getwindowname "$id")"
    check_settled "[$ending] the picture fills the mode" 5 "0 0 640 480" measure picture root 640x480+0+0
    read -r x y w h < <(measure disc root 640x480+0+0)
    check "[$ending] the disc stays round" yes "$(is_round "$w" "$h")"
    if [ "$ending" == Escape ]; then
      quit "$id" "[$ending]"
    else
      kill -"$ending" "$show_pid"; wait_exit
      check "[$ending] the show ends by SIG$ending" $(( 128 + $(kill -l "$ending") )) "$status"
    fi
    check_settled "[$ending] the desktop's video mode is back" 5 1920x1080 mode_now
  done
  ;;
xwayland)
  # Full screen under weston's XWayland is a window at the output's size, the picture
  # 1440x1080 between black bars. The grab is the window's own pixels through XWayland
  # (xpicture). The title's rows above and below its sweeping bars are the capture's still
  # at 1440x1080, below 1 level per sample apart on average (1 px off: 1.1 to 6.6).
  (cd "$show_dir" && "$capture" --size 1440x1080 --at 2 --frames "$work/still" >/dev/null 2>&1)
  for band in top:160:0 bottom:180:900; do IFS=: read -r name h y <<<"$band"
    ffmpeg -loglevel error -i "$work/still/frame-000000.png" -vf "crop=1440:$h:0:$y" "$work/$name.png"; done
  near() { pixels "$id" "$1" --like "$work/$2.png" | awk '/^like/ { print ($2 >= 0 && $2 < 1) ? "near" : "far " $2 }'; }
  start_weston
  start_show "$show_dir"
  wait_window
  check_that "XWayland lives after the start" xwayland_alive
  check_settled "full screen covers the output" 3 "0 0 1920 1080" geometry "$id"
  check_settled "full screen: the picture is 1440x1080, centred, bars black" 5 "240 0 1440 1080" measure picture "$id"
  check "the title's rows outside its bars as the capture's" "near near" \
    "$(near 1440x160+240+0 top) $(near 1440x180+240+900 bottom)"
  press "$id" space
  check_settled "space answered" 3 "nofade 1" show_output
  check_that "XWayland lives after space" xwayland_alive
  quit "$id" "full screen"
  check_that "XWayland lives after Escape" xwayland_alive
  start_show "$show_dir" -window
  wait_window
  check_settled "-window: a 640x480 window" 3 "640 480" eval 'geometry "$id" | cut -d" " -f3-'
  quit "$id" "-window"
  ;;
*)
  echo "unknown case $case_name"; exit 2 ;;
esac

finish
