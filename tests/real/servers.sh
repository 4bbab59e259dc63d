# Real servers for the show's tests, beside tests/xshow.sh (source that first): Xorg on
# Debian's dummy video driver, whose video mode really switches for the game mode, and
# openbox, a window manager that places and sizes the show's windows. Waits end on a
# condition or after a deadline multiplied by KESSIVAR_TIME_FACTOR (default 1; raise it
# for slow machines and sanitizer builds).
time_factor=${KESSIVAR_TIME_FACTOR:-1}
server_pids=()

cleanup_servers() {
  [ -n "$show_pid" ] && { kill -CONT "$show_pid"; kill -9 "$show_pid"; } 2>/dev/null
  show_pid=""
  for pid in "${server_pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${server_pids[@]}"; do
    for _ in $(seq 30); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  cleanup
}
trap cleanup_servers EXIT

# Tries <command...> every 0.1 s until it succeeds or <seconds> x time_factor pass.
until_true() {
  local end
  end=$(awk -v s="$1" -v f="$time_factor" -v now="$(date +%s%3N)" 'BEGIN { printf "%.0f", now + s * f * 1000 }')
  shift
  until "$@"; do
    [ "$(date +%s%3N)" -ge "$end" ] && return 1
    sleep 0.1
  done
}

answers() { timeout 5 xdpyinfo >/dev/null 2>&1; }

# Xorg with the dummy driver on a free display: a 1920x1080 desktop with a 640x480 mode
# at exactly 60 Hz (what the game mode asks for) and no input devices.
start_xorg() {
  cat >"$work/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 16384
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 100.0
  VertRefresh 50.0 - 70.0
  Modeline "1920x1080" 148.50 1920 2008 2052 2200 1080 1084 1089 1125 +hsync +vsync
  Modeline "640x480" 24.00 640 664 720 800 480 483 487 500 -hsync +vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  SubSection "Display"
    Modes "1920x1080" "640x480"
  EndSubSection
EndSection
CONF
  local n pid
  for _ in $(seq 20); do
    n=$(( 100 + RANDOM % 800 ))
    Xorg ":$n" -config "$work/xorg.conf" -logfile "$work/xorg.log" -nolisten tcp -noreset \
         -novtswitch -sharevts >"$work/xorg.out" 2>&1 &
    pid=$!
    if DISPLAY=":$n" until_true 10 answers && kill -0 "$pid" 2>/dev/null; then
      server_pids+=("$pid"); export DISPLAY=":$n"; return 0
    fi
    kill -9 "$pid" 2>/dev/null
  done
  echo "FAILED: no Xorg server could be started"; tail -20 "$work/xorg.log"; exit 1
}

wm_running() { timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# openbox on the X server already started (start_x), once it manages the screen.
start_openbox() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  server_pids+=("$!")
  until_true 10 wm_running || { echo "FAILED: openbox did not start"; cat "$work/openbox.log"; exit 1; }
}

# The X server's current video mode ("1920x1080") once it is <expected>, or as it is
# after 5 s.
mode_now() { timeout 5 xvidtune -show 2>/dev/null | awk -F'"' '{print $2}'; }
mode_is() { [ "$(mode_now)" == "$1" ]; }
settled_mode() { until_true 5 mode_is "$1"; mode_now; }

# The measurements of `xpicture` for a window or a region of the screen (its arguments),
# once its "picture" line is <expected>, or as they are after 5 s: a window is mapped
# before the show has drawn into it.
picture_is() { [ "$(xpicture_now "${@:2}" | grep '^picture')" == "picture $1" ]; }
xpicture_now() { timeout 10 "$xpicture" "$@" 2>/dev/null; }
settled_picture() { until_true 5 picture_is "$@"; xpicture_now "${@:2}"; }

# "yes" when a measured box is round: width and height within 1 % (2 pixels at least).
is_round() {
  awk -v w="$1" -v h="$2" 'BEGIN { d = w - h; if (d < 0) d = -d;
    print (w > 0 && d <= (w / 100 > 2 ? w / 100 : 2)) ? "yes" : "no (" w "x" h ")" }'
}

# A folder of the show's files whose title picture is the test picture of `xpicture`:
# a blue disc, round on a viewer's screen, on grey that is never black.
make_disc_title_folder() {
  mkdir -p "$work/disc"
  for f in $show_files; do ln -sf "$show_dir/$f" "$work/disc/"; done
  rm -f "$work/disc/$title_file"
  "$xpicture" --title-picture "$work/disc/$title_file"
}

# Frames keep coming: the window's pixels change within 5 s.
picture_hash() { xpicture_now "$1" | awk '/^hash/{print $2}'; }
frames_change() { local h; h=$(picture_hash "$1"); until_true 5 hash_differs "$1" "$h"; }
# A new frame: a picture that differs from the given one (a window that has gone, with no
# picture at all, is no frame).
hash_differs() { local now; now=$(picture_hash "$1"); [ -n "$now" ] && [ "$now" != "$2" ]; }

# Kills the show when it is still running (after a failed quit), before the next one.
end_if_running() { [ "$status" != running ] || { kill -KILL "$show_pid"; wait "$show_pid"; show_pid=""; }; }

# start_show_with <redirections> <folder> [arguments...]: as start_show, with the show's
# standard streams as the shell redirections say (such as '>&- 2>"$work/err"').
start_show_with() {
  local redirections=$1 folder=$2; shift 2
  eval '(cd "$folder" && exec env SDL_AUDIODRIVER="${AUDIO:-dummy}" \
         SDL_DISKAUDIOFILE="$work/sound.raw" ${WRAPPER:-} "$program" "$@" '"$redirections"') &'
  show_pid=$!
}
