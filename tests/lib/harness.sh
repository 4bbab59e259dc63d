# The one harness of the shell tests that run the real program in an X server of their own
# and drive it with real key events (xdotool). Source it after `set -u` and after setting
# program (the path of the program to run) and, where needed, xpicture (the path of
# tests/xpicture, the X pixel reader) and screen (Xvfb's "WIDTHxHEIGHT", default 1024x768).
#
# Every wait is a deadline in seconds (fractions allowed) on a condition, stretched by
# KESSIVAR_TIME_FACTOR (default 1; slow machines and sanitizer builds set it higher). Every
# X call is bounded in time, so a broken server fails a case instead of hanging it. Each
# script run keeps its scratch files in a folder of its own ($work), and every process it
# starts in the background goes into `pids`, ended when the script exits.
title="Kessivar 2002 - 01.-04. August 2002"
time_factor=${KESSIVAR_TIME_FACTOR:-1}
work=$(readlink -f "$(mktemp -d)")
xpicture=${xpicture:-}
failures=0
passes=0
pids=()
show_pid=""
status=""
id=""

# Stops the show, then every process in `pids` (politely, then by force after 3 s) and
# under wine its server, and removes the scratch folder. A script that needs more at its exit traps '...; cleanup'.
gone() { ! kill -0 "$1" 2>/dev/null; }
cleanup() {
  stop_show
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait_for 3 gone "$pid" || kill -9 "$pid" 2>/dev/null; done
  # Under wine the prefix's server too, waited for: it writes the prefix's registry as it
  # ends, and the next case's server reads it.
  [ "${WRAPPER:-}" == wine ] && { wineserver -k; wineserver -w; } 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# WRAPPER=wine (program the Windows one, WINEPREFIX its prefix): one quiet, warm server
# for the script's starts, ended with the script (that prefix's, never another's).
# Under wine every wait stretches further by KESSIVAR_WINE_TIME_FACTOR (the wine tests set
# it), those of the helpers the cases run under wine too (the factor is exported).
if [ "${WRAPPER:-}" == wine ]; then
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=${WINEPREFIX:?}
  wineserver -p 30 2>/dev/null  # none yet where the prefix is still to be made
  time_factor=$(awk -v a="$time_factor" -v b="${KESSIVAR_WINE_TIME_FACTOR:-1}" 'BEGIN { print a * b }')
  export KESSIVAR_TIME_FACTOR=$time_factor
fi

# wait_for <seconds> <command...>: runs the command every 0.1 s until it succeeds (status
# 0), or fails with status 1 once <seconds> x time_factor have passed; it runs at least once.
now_us() { echo "${EPOCHREALTIME//[!0-9]/}"; }
wait_for() {
  local end
  end=$(awk -v s="$1" -v f="$time_factor" -v now="$(now_us)" 'BEGIN { printf "%.0f", now + s * f * 1e6 }')
  shift
  until "$@"; do
    [ "$(now_us)" -ge "$end" ] && return 1
    sleep 0.1
  done
}


check() {  # check <description> <expected> <actual>
  if [ "$2" == "$3" ]; then
    passes=$((passes + 1)); echo "ok: $1"
  else
    failures=$((failures + 1)); echo "FAILED: $1: expected [$2], got [$3]"
    echo "  (the show's stderr so far:"; sed 's/^/    /' "$work/err" 2>/dev/null; echo "  )"
  fi
}
# check_settled <description> <seconds> <expected> <command...>: the command's output is
# <expected> within the seconds (a window is resized, a key answered, a frame drawn a
# little later); else it fails with the output at the deadline.
prints() { local expected=$1; shift; [ "$("$@")" == "$expected" ]; }
check_settled() { wait_for "$2" prints "${@:3}"; check "$1" "$3" "$("${@:4}")"; }
# check_that <description> <command...>: the command succeeds.
check_that() { local what=$1; shift; if "$@"; then check "$what" yes yes; else check "$what" yes no; fi; }

# The show's files by their one list: every name, in the order the show loads them, and
# the title picture's.
show_list=$(dirname "${BASH_SOURCE[0]}")/../../assets/show_files.txt
mapfile -t show_files < <(awk '!/^#/ && NF {print $2}' "$show_list")
title_file=$(awk '!/^#/ && $1 == "title" {print $2}' "$show_list")
# names_each_file <what>: the show's stderr names each of its files on one line.
names_each_file() {
  local file
  for file in "${show_files[@]}"; do
    check "$1 stderr names $file once" 1 "$(grep -c "^kessivar: $file: " "$work/err")"
  done
}

# Prints the tally; the script's exit status is 0 only without failures.
finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
  exit
}

# start_server <log> <server> [arguments...]: an X server of our own on a free display,
# exported as DISPLAY. A server's lock file makes a second one on the same number give
# up, so numbers are tried until ours is the one that answers.
server_settled() { gone "$1" || timeout 5 xdpyinfo >/dev/null 2>&1; }
start_server() {
  local log=$1 n pid; shift
  for _ in $(seq 20); do
    n=$(( 100 + RANDOM % 800 ))
    "$1" ":$n" "${@:2}" >"$log" 2>&1 &
    pid=$!
    if DISPLAY=":$n" wait_for 10 server_settled "$pid" && ! gone "$pid"; then
      pids+=("$pid"); export DISPLAY=":$n"; return 0
    fi
    kill -9 "$pid" 2>/dev/null
  done
  echo "FAILED: no $1 server could be started"; tail -20 "$log"; exit 1
}
# Xvfb; -noreset: by default the server resets when its last client leaves, and a show
# started during that reset cannot open the display.
start_x() { start_server "$work/xvfb.log" Xvfb -screen 0 "${screen:-1024x768}x24" -nolisten tcp -noreset; }

# [AUDIO=driver] [WRAPPER=program] [STREAMS=redirections] start_show <folder> [arguments...]:
# runs the show in the folder (ending one still running first). AUDIO picks SDL's audio
# driver (default dummy; disk writes into $work/sound.raw); WRAPPER runs it under another
# program (valgrind, wine: its window then gets 60 s, not 10); STREAMS are the shell redirections
# of its standard streams (default: stdout into $work/out, stderr into $work/err).
start_show() {
  local folder=$1 streams='>"$work/out" 2>"$work/err"'; shift
  stop_show
  window_seconds=10
  [ -n "${WRAPPER:-}" ] && window_seconds=60
  eval '(cd "$folder" && exec env SDL_AUDIODRIVER="${AUDIO:-dummy}" SDL_DISKAUDIOFILE="$work/sound.raw" \
         ${WRAPPER:-} "$program" "$@" '"${STREAMS:-$streams}"') &'
  show_pid=$!
}
# Kills the show when it still runs (after a failed quit).
stop_show() {
  [ -n "$show_pid" ] || return 0
  { kill -CONT "$show_pid"; kill -9 "$show_pid"; wait "$show_pid"; } 2>/dev/null
  show_pid=""
}
running() { [ -n "$show_pid" ] && ! gone "$show_pid"; }

# Sets id to the show's window once it is mapped and viewable, or ends the case when none
# comes (10 s, 60 s under a WRAPPER; at once when the show has ended). One tree query per
# try: it cannot hang on windows that come and go meanwhile.
find_window() {
  running || { id=""; return 0; }
  id=$(timeout 5 xwininfo -root -tree 2>/dev/null |
       awk -v t="\"$title\"" 'index($0, t) || /\("kessivar" /{print $1; exit}')
  [ -n "$id" ] && timeout 5 xwininfo -id "$id" 2>/dev/null | grep -q IsViewable
}
wait_window() {
  id=""
  wait_for "${window_seconds:-10}" find_window && [ -n "$id" ] && return
  running || { wait "$show_pid"; echo "  (the show ended first, with status $?)"; }
  check "the show's window appears" yes no
  finish
}

# "x y width height" of a window: the one reader of a window's place and size.
geometry() {
  timeout 5 xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}

# Sends keys and returns at once: the X server hands the show its events in order, so a
# caller waits on the answer (an output line, the exit), and a space answered after other
# keys means those were taken too.
press() { timeout 60 xdotool key --window "$@"; }
show_output() { cat "$work/out"; }
lines_over() { [ "$(wc -l <"$work/out")" -gt "$1" ]; }
# answers_space <id>: once a space is answered by one more output line, within 3 s. Two in
# a row prove a frame was drawn between them: the show draws after each round of events,
# and the second key is sent only once the first was answered.
answers_space() {
  local before; before=$(wc -l <"$work/out")
  press "$1" space
  wait_for 3 lines_over "$before"
}
# The show's "nofade" lines alternate from "nofade 1" (one per space), in <file>.
alternating() { awk '{ if ($2 != NR % 2) bad = 1 } END { exit bad }' "${1:-$work/out}"; }

# What a viewer sees of the window (or of a region of the root: pixels root WxH+X+Y), as
# measured by xpicture; `measure <name> <arguments of pixels>` gives one of its lines.
pixels() { timeout 10 "$xpicture" "$@" 2>/dev/null; }
measure() { pixels "${@:2}" | awk -v n="$1" '$1 == n { $1 = ""; print substr($0, 2) }'; }
# The picture differs from the one hashed <hash> (a window that has gone is no frame).
hash_differs() { last_hash=$(measure hash "$1"); [ -n "$last_hash" ] && [ "$last_hash" != "$2" ]; }
# new_frame <id> [seconds]: "a new frame came": twice in a row, within 5 s each, the window
# shows other pixels than before (the first change may be a show's first frame, drawn
# after its window was mapped), and the show still runs.
new_frame() {
  last_hash=$(measure hash "$1")
  for _ in 1 2; do
    [ -n "$last_hash" ] && wait_for "${2:-5}" hash_differs "$1" "$last_hash" || return 1
  done
  running
}
# The window shows the show's pictures, neither the white of untextured layers (the
# pictures not found: 90 % and more) nor the black before the first frame; or it is all
# white, as those untextured layers make it. Within 5 s. The title and the scene both
# pass (the brightest scene frames are 15 % white), so a slow start that misses the
# show's 10 s title fails nothing.
picture_is() {
  local white black
  read -r white black < <(pixels "$2" | awk '/^white/{w = $2} /^black/{b = $2} END{print w, b}')
  case $1 in
    shown) [ "${white:-100}" -lt 50 ] && [ "${black:-100}" -lt 90 ] ;;
    white) [ "${white:-0}" -ge 90 ] ;;
  esac
}
pictures_show() { wait_for 5 picture_is shown "$1"; }
white_shows() { wait_for 5 picture_is white "$1"; }

# The music is heard within 3 s: SDL's disk driver (AUDIO=disk) has written a sample that
# is not silence.
sound_heard() { [ -n "$(tr -d '\0' <"$work/sound.raw" 2>/dev/null | head -c 1)" ]; }
music_plays() { wait_for 3 sound_heard; }
# silent_for <seconds>: nothing but silence comes out for that long.
silent_for() { ! wait_for "$1" sound_heard; }

# wait_exit [seconds]: waits (5 s by default) for the show to end; sets status to its exit
# status, or "running".
wait_exit() {
  status=running
  wait_for "${1:-5}" gone "$show_pid" || return 0
  wait "$show_pid"; status=$?; show_pid=""
}
quit() {  # quit <id> <what>: Escape, then the exit status is 0
  press "$1" Escape
  wait_exit; check "$2: Escape exits with 0" 0 "$status"
}
