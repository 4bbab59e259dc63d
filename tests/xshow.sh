# Shared by the scripts that run the real program in a real X server (Xvfb) and drive it
# with real key events (xdotool). Source it after setting: program (path of kessivar),
# and optionally screen ("WIDTHxHEIGHT", default 1024x768). Every X call is bounded in
# time, so a broken server fails a case instead of hanging it. Every wait is a deadline on
# a condition, stretched by KESSIVAR_TIME_FACTOR (default 1; slow machines and sanitizer
# builds set it higher). Each script run keeps its scratch files in a folder of its own.
title="Kessivar 2002 - 01.-04. August 2002"
# The show's files by their one list (assets/show_files.txt): every name, the music
# first, and the title picture's.
show_list=$(dirname "${BASH_SOURCE[0]}")/../assets/show_files.txt
show_files=$(awk '!/^#/ && NF {print $2}' "$show_list")
title_file=$(awk '!/^#/ && $1 == "title" {print $2}' "$show_list")
failures=0
passes=0
work=$(mktemp -d)
time_factor=${KESSIVAR_TIME_FACTOR:-1}
xvfb_pid=""
show_pid=""

cleanup() {
  [ -n "$show_pid" ] && { kill -CONT "$show_pid"; kill -9 "$show_pid"; } 2>/dev/null
  [ -n "$xvfb_pid" ] && { kill "$xvfb_pid" 2>/dev/null; sleep 0.2; kill -9 "$xvfb_pid" 2>/dev/null; }
  rm -rf "$work"
}
trap cleanup EXIT

# How many tries of 0.1 s make a deadline of <tenths> tenths of a second, time factor applied.
tries() { awk -v n="$1" -v f="$time_factor" 'BEGIN { t = int(n * f + 0.5); print (t < 1 ? 1 : t) }'; }

# wait_until <tenths> <command...>: runs the command every 0.1 s until it succeeds (status 0)
# or the deadline passes (status 1).
wait_until() {
  local n; n=$(tries "$1"); shift
  for _ in $(seq "$n"); do "$@" && return 0; sleep 0.1; done
  return 1
}

# An X server of our own on a free display: Xvfb's lock file makes a second server on
# the same number give up, so try numbers until ours is the one that answers. -noreset:
# by default the server resets when its last client leaves, and a show started during
# that reset cannot open the display.
start_x() {
  local n
  for _ in $(seq 20); do
    n=$(( 100 + RANDOM % 800 ))
    Xvfb ":$n" -screen 0 "${screen:-1024x768}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq "$(tries 50)"); do
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

check() {  # check <description> <expected> <actual>
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1)); echo "ok: $1"
  else
    failures=$((failures + 1)); echo "FAILED: $1: expected [$2], got [$3]"
    echo "  (the show's stderr so far:"; sed 's/^/    /' "$work/err" 2>/dev/null; echo "  )"
  fi
}

# Prints the tally; the script's exit status is 0 only without failures.
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
}

# start_show <folder> [arguments...]: runs the show in the folder, its output into files.
# AUDIO picks SDL's audio driver (default dummy; disk writes into the work folder);
# WRAPPER runs it under another program (valgrind: its window then gets 60 s, not 10).
start_show() {
  local folder=$1; shift
  window_tenths=100
  [ -n "${WRAPPER:-}" ] && window_tenths=600
  # shellcheck disable=SC2086
  (cd "$folder" && exec env SDL_AUDIODRIVER="${AUDIO:-dummy}" SDL_DISKAUDIOFILE="$work/sound.raw" \
     ${WRAPPER:-} "$program" "$@" >"$work/out" 2>"$work/err") &
  show_pid=$!
}

# The show's window id, once it is mapped and viewable (empty after 10 s without one, 60 s
# under a WRAPPER, time factor applied; at once when the show has ended). One tree query
# per try: it cannot hang on windows that come and go meanwhile.
wait_window() {
  local id=""
  for _ in $(seq "$(tries "${window_tenths:-100}")"); do
    kill -0 "$show_pid" 2>/dev/null || return
    id=$(timeout 5 xwininfo -root -tree 2>/dev/null |
         awk -v t="\"$title\"" 'index($0, t) || /\("kessivar" /{print $1; exit}')
    if [ -n "$id" ] && timeout 5 xwininfo -id "$id" 2>/dev/null | grep -q IsViewable; then
      echo "$id"; return
    fi
    sleep 0.1
  done
}

# Ends the case when the show's window did not appear.
need_window() {
  [ -n "$1" ] && return
  check "the show's window appears" yes no
  finish
}

# "x y width height" of a window; empty without a window id, for which xwininfo would
# wait for a mouse click to choose one.
geometry() {
  [ -n "$1" ] || return 0
  timeout 5 xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# Geometry of a window once it equals the expected one (or as it is after 3 s, scaled):
# a full-screen window is mapped first and resized afterwards.
settled_geometry() {  # settled_geometry <id> <expected>
  local now=""
  for _ in $(seq "$(tries 30)"); do
    now=$(geometry "$1")
    [ "$now" == "$2" ] && break
    sleep 0.1
  done
  echo "$now"
}

# The show's standard output once it equals <expected> (or as it is after 3 s, scaled): a key is
# answered at the show's next frame, which a loaded machine can delay.
settled_output() {
  for _ in $(seq "$(tries 30)"); do
    [ "$(cat "$work/out")" == "$1" ] && break
    sleep 0.1
  done
  cat "$work/out"
}

# Sends one key and returns at once: the X server hands the show its events in order, so a
# caller waits on the answer (an output line, the exit), and a space answered after other
# keys means those were taken too.
press() { [ -n "$1" ] || return 0; timeout 5 xdotool key --window "$1" "$2"; }

# answers_space <id>: status 0 once a space is answered by one more output line, 1 after
# 3 s (scaled). Two in a row prove a frame was drawn between them: the show draws after
# each round of events, and the second key is sent only once the first was answered.
lines_over() { [ "$(wc -l <"$work/out")" -gt "$1" ]; }
answers_space() {
  local before; before=$(wc -l <"$work/out")
  press "$1" space
  wait_until 30 lines_over "$before"
}

# title_shows <id>: "yes" once the window shows the title picture, neither the white of
# untextured layers (the pictures not found) nor the black before the first frame; "no"
# after 5 s (scaled). white_shows: "yes" once the window is all white, as those untextured
# layers make it. Both need pixels (path of xpicture).
title_shows() {
  wait_until 50 picture_is_title "$1" && echo yes || echo no
}
picture_is_title() {
  local white black
  read -r white black < <(timeout 5 "$pixels" "$1" 2>/dev/null |
                            awk '/^white/{w = $2} /^black/{b = $2} END{print w, b}')
  [ "${white:-100}" -lt 10 ] && [ "${black:-100}" -lt 90 ]
}
white_shows() {
  wait_until 50 picture_is_white "$1" && echo yes || echo no
}
picture_is_white() {
  local white
  white=$(timeout 5 "$pixels" "$1" 2>/dev/null | awk '/^white/{print $2}')
  [ "${white:-0}" -ge 90 ]
}

# new_frame <id>: "yes" once the window shows other pixels than when it was called, that
# is a frame drawn from then on; "no" after 5 s (scaled) or when the window cannot be
# read. Needs pixels.
pixel_hash() { timeout 5 "$pixels" "$1" 2>/dev/null | awk '/^hash/{print $2}'; }
hash_is_new() { local now; now=$(pixel_hash "$1"); [ -n "$now" ] && [ "$now" != "$2" ]; }
new_frame() {
  local first; first=$(pixel_hash "$1")
  [ -n "$first" ] && wait_until 50 hash_is_new "$1" "$first" && echo yes || echo no
}

# Status 0 once the music is heard: SDL's disk driver (AUDIO=disk) has written a sample
# that is not silence. 3 s (scaled) at most.
sound_heard() { [ -n "$(tr -d '\0' <"$work/sound.raw" 2>/dev/null | head -c 1)" ]; }
music_plays() { wait_until 30 sound_heard && echo yes || echo no; }

running() { kill -0 "$show_pid" 2>/dev/null && echo yes || echo no; }

# Waits up to <tenths> (default 50, time factor applied) tenths of a second for the show to
# end; sets status to its exit status, or "running".
wait_exit() {
  status=running
  for _ in $(seq "$(tries "${1:-50}")"); do
    if ! kill -0 "$show_pid" 2>/dev/null; then
      wait "$show_pid"; status=$?; show_pid=""; return
    fi
    sleep 0.1
  done
}

quit() {  # quit <id> <what>: Escape, then the exit status is 0
  press "$1" Escape
  wait_exit; check "$2: Escape exits with 0" 0 "$status"
}
