# Real servers for the show's tests, beside tests/lib/harness.sh (source that first): Xorg on
# Debian's dummy video driver, whose video mode really switches for the game mode, and
# openbox, a window manager that places and sizes the show's windows.

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
  start_server "$work/xorg.out" Xorg -config "$work/xorg.conf" -logfile "$work/xorg.log" -nolisten tcp \
               -noreset -novtswitch -sharevts
}

# openbox on the X server already started (start_x), once it manages the screen.
wm_running() { timeout 5 xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() {
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pids+=("$!")
  wait_for 10 wm_running || { echo "FAILED: openbox did not start"; cat "$work/openbox.log"; exit 1; }
}

# The X server's current video mode ("1920x1080").
mode_now() { timeout 5 xvidtune -show 2>/dev/null | awk -F'"' '{print $2}'; }

# weston headless at 1920x1080 with XWayland, its sockets in the case's folder. XWayland
# takes the first free display (DISPLAY, as weston logs it) and starts with the first
# client; after a crash weston starts another, so a live XWayland is xwayland_pid, still.
xwayland_listens() { grep -q "xserver listening on display" "$work/weston.log" 2>/dev/null; }
xwayland_alive() { ! gone "$xwayland_pid" && timeout 5 xdpyinfo >/dev/null 2>&1; }
start_weston() {
  mkdir -m 700 "$work/runtime"
  XDG_RUNTIME_DIR=$work/runtime weston --backend=headless-backend.so --xwayland --width=1920 --height=1080 \
    --idle-time=0 --log="$work/weston.log" >/dev/null 2>&1 &
  weston_pid=$!; pids+=("$weston_pid")
  wait_for 10 xwayland_listens && export DISPLAY=$(sed -n 's/.*listening on display //p' "$work/weston.log") &&
    wait_for 10 server_settled "$weston_pid" && xwayland_pid=$(pgrep -P "$weston_pid" -x Xwayland) ||
    { echo "FAILED: weston with XWayland did not start"; cat "$work/weston.log"; exit 1; }
}
