# Drives the real vostel program from outside: an X server of its own (Xvfb),
# vostel-sim on a pseudo-terminal, xdotool for typing and clicking, screenshots
# for what is drawn. Sourced by the end-to-end tests and by scripts/demo.
#
#   e2e_init [BUILD_DIR]     temp folder, private ports folder, clean-up on exit;
#                            programs from $VOSTEL, $VOSTEL_SIM, $VOSTEL_TOOL,
#                            $VOSTEL_KEYTARGET when set, else from BUILD_DIR
#   e2e_start_xvfb           a new X server on a free display
#   e2e_start_sim [ARGS]     vostel-sim taking steps from e2e_sim; sets SIM_PORT
#   e2e_start_vostel DIR [ARGS]  the program, in working folder DIR; sets VOSTEL_PID
#   e2e_answer_port_prompt N, e2e_record ID, e2e_name_signal ID, e2e_log_text,
#   e2e_screenshot FILE, e2e_pic_pixel FILE X Y, e2e_demo_library FILE, ...
#
# Every wait is bounded; a failed step prints a message and returns non-zero.

# Bounds every wait for something to happen; generous, since a loaded machine
# is slow and a passing run never waits for it.
E2E_TIMEOUT=${E2E_TIMEOUT:-30}

# Layout of the main window's client area, in pixels.
E2E_LOAD_X=36 E2E_LOAD_Y=20       # btnLoadIRData (0,8) 73x25
E2E_RECORD_X=36 E2E_RECORD_Y=52   # butRec (0,40) 73x25
E2E_LOG_X=36 E2E_LOG_Y=200        # txt1 (0,72) 73x305
E2E_PIC_X=82 E2E_PIC_Y=10         # inside of picMain (80,8) 673x369, 2-pixel frame
# The naming dialog's client area is at (184,250) on the screen.
E2E_DLG_TEXT_X=$((184 + 8 + 60)) E2E_DLG_TEXT_Y=$((250 + 8 + 12))
E2E_DLG_OK_X=$((184 + 8 + 40)) E2E_DLG_OK_Y=$((250 + 40 + 12))
E2E_DLG_CANCEL_X=$((184 + 96 + 40)) E2E_DLG_CANCEL_Y=$((250 + 40 + 12))
# Colours on screen.
E2E_GREEN="192 255 192" E2E_BLUE="0 0 255" E2E_ORANGE="255 224 192"

e2e_fail() {
  echo "FAIL: $*" >&2
  if [ -n "${E2E_DIR:-}" ] && [ -f "$E2E_DIR/sim.log" ]; then
    echo "--- last lines of vostel-sim's output:" >&2
    tail -n 15 "$E2E_DIR/sim.log" >&2
  fi
  if [ -n "${VOSTEL_PID:-}" ]; then
    if kill -0 "$VOSTEL_PID" 2>/dev/null; then echo "--- vostel is running" >&2; else echo "--- vostel has ended" >&2; fi
  fi
  if [ -n "${E2E_DIR:-}" ] && [ -s "$E2E_DIR/vostel.log" ]; then
    echo "--- vostel's output:" >&2
    tail -n 15 "$E2E_DIR/vostel.log" >&2
  fi
  if [ -n "${DISPLAY:-}" ] && [ -n "${E2E_DIR:-}" ] && [ -n "${E2E_XVFB_PID:-}" ]; then
    import -silent -window root "$E2E_DIR/failure.png" 2>/dev/null && echo "--- screen: $E2E_DIR/failure.png" >&2
  fi
  return 1
}

e2e_init() {
  local build=${1:-build}
  VOSTEL=${VOSTEL:-$build/src/qt/vostel}
  VOSTEL_SIM=${VOSTEL_SIM:-$build/tools/vostel-sim/vostel-sim}
  VOSTEL_TOOL=${VOSTEL_TOOL:-$build/tools/vostel-tool/vostel-tool}
  VOSTEL_KEYTARGET=${VOSTEL_KEYTARGET:-$build/tests/x11/vostel-keytarget}
  [ -x "$VOSTEL" ] || { echo "no vostel program in $build" >&2; return 1; }
  [ -x "$VOSTEL_SIM" ] || { echo "no vostel-sim in $build" >&2; return 1; }
  E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/vostel-e2e.XXXXXX")
  export XDG_CONFIG_HOME=$E2E_DIR/config  # a private ports folder
  export XDG_RUNTIME_DIR=$E2E_DIR/runtime
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  E2E_PIDS=()
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  E2E_PIDS=()
  [ -n "${E2E_KEEP:-}" ] || rm -rf "$E2E_DIR"
}

# Waits until the command succeeds, for at most SECONDS.
e2e_wait_for() {
  local seconds=$1
  shift
  local end=$((SECONDS + seconds + 1)) i=0
  while ! "$@" 2>/dev/null; do
    [ $SECONDS -lt $end ] || return 1
    sleep 0.05
  done
}

# -noreset: otherwise the server resets each time its last client leaves (an
# xdotool call, the program before it is started again), and a client that
# connects during the reset is dropped ("could not connect to display").
e2e_start_xvfb() {
  rm -f "$E2E_DIR/display"
  Xvfb -displayfd 9 -noreset -screen 0 1024x768x24 -nolisten tcp 9>"$E2E_DIR/display" 2>"$E2E_DIR/xvfb.log" &
  E2E_XVFB_PID=$!
  E2E_PIDS+=("$E2E_XVFB_PID")
  e2e_wait_for "$E2E_TIMEOUT" e2e__display_written || e2e_fail "Xvfb did not start: $(tail -n 3 "$E2E_DIR/xvfb.log")" ||
    return 1
  export DISPLAY=":$(head -n 1 "$E2E_DIR/display")"
  unset WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb
  e2e_wait_for "$E2E_TIMEOUT" xdotool getmouselocation >/dev/null || e2e_fail "display $DISPLAY unusable"
}

# Xvfb writes the number and the newline separately: the whole line, from a
# server still running.
e2e__display_written() {
  kill -0 "$E2E_XVFB_PID" || return 1
  grep -qx '[0-9][0-9]*' "$E2E_DIR/display" && [ -z "$(tail -c 1 "$E2E_DIR/display")" ]
}

# vostel-sim reading its steps from a pipe that e2e_sim writes to.
e2e_start_sim() {
  rm -f "$E2E_DIR/sim.in"
  mkfifo "$E2E_DIR/sim.in"
  "$VOSTEL_SIM" --play - "$@" <"$E2E_DIR/sim.in" >"$E2E_DIR/sim.log" 2>&1 &
  E2E_PIDS+=($!)
  E2E_SIM_PID=$!
  exec 8>"$E2E_DIR/sim.in"
  e2e_wait_for "$E2E_TIMEOUT" grep -q 'at the program.s port prompt' "$E2E_DIR/sim.log" ||
    e2e_fail "vostel-sim did not start" || return 1
  SIM_PORT=$(sed -n 's/.*type \([0-9]*\) at the program.s port prompt.*/\1/p' "$E2E_DIR/sim.log" | head -n 1)
}

# Sends steps (for example "power" or "vol+x5") to vostel-sim.
e2e_sim() { echo "$*" >&8; }

# How many lines of vostel-sim's output match PATTERN (grep -E).
e2e_sim_count() { grep -cE "$1" "$E2E_DIR/sim.log" || true; }

# Waits until at least N lines of vostel-sim's output match PATTERN.
e2e_wait_sim() {
  local pattern=$1 n=${2:-1} seconds=${3:-$E2E_TIMEOUT}
  e2e_wait_for "$seconds" e2e__at_least "$n" "$pattern" || e2e_fail "vostel-sim never printed '$pattern' ($n times)"
}
e2e__at_least() { [ "$(e2e_sim_count "$2")" -ge "$1" ]; }

e2e_start_vostel() {
  local dir=$1
  mkdir -p "$dir"
  (cd "$dir" && exec "$VOSTEL" "${@:2}") >"$E2E_DIR/vostel.log" 2>&1 &
  VOSTEL_PID=$!
  E2E_PIDS+=("$VOSTEL_PID")
}

e2e_vostel_running() { kill -0 "$VOSTEL_PID" 2>/dev/null; }

# The separate window that receives keystrokes: a line edit that writes
# "<generation> <enters>" and then its text to FILE once it has the focus, and
# after every change. Sets KEYTARGET_WID.
e2e_start_keytarget() {
  local file=$1
  rm -f "$E2E_DIR/keytarget.in" "$file"
  mkfifo "$E2E_DIR/keytarget.in"
  # Opened for reading and writing, its input never ends while it runs.
  "$VOSTEL_KEYTARGET" "$file" 0<>"$E2E_DIR/keytarget.in" >"$E2E_DIR/keytarget.log" 2>&1 &
  E2E_PIDS+=($!)
  KEYTARGET_WID=$(e2e_window vostel-keytarget) || return 1
  xdotool windowmove --sync "$KEYTARGET_WID" 20 650 2>/dev/null || true  # below the main window
  e2e_focus "$KEYTARGET_WID"
  e2e_wait_for "$E2E_TIMEOUT" test -s "$file" || e2e_fail "the key target did not get the focus"
}

# What has been typed into the key target.
e2e_typed() { tail -n +2 "$1"; }

# The id of a visible window whose title is exactly TITLE, waiting for it.
e2e_window() {
  local title=$1 seconds=${2:-$E2E_TIMEOUT} wid
  local end=$((SECONDS + seconds + 1))
  while [ $SECONDS -lt $end ]; do
    wid=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1) || true
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    sleep 0.05
  done
  e2e_fail "no window '$title'"
}

e2e_window_gone() {
  ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1
}

# Screen position of a window's client area: "X Y".
e2e_origin() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}'
}

# Gives WID the input focus and waits until the server has it there, so that
# keys typed next go to it.
e2e_focus() {
  xdotool windowactivate "$1" 2>/dev/null || true
  e2e_wait_for "$E2E_TIMEOUT" e2e__focus_on "$1" || e2e_fail "window $1 did not get the focus"
}
e2e__focus_on() {
  [ "$(xdotool getwindowfocus -f)" = "$1" ] || { xdotool windowfocus "$1"; return 1; }
}

e2e_click() {
  # One connection, so the click comes after the move. (mousemove --sync would
  # wait for a motion that never comes when the pointer is already there.)
  xdotool mousemove "$1" "$2" click 1
  sleep 0.1
}

# The main window: the one found by e2e_connect (message boxes are titled
# "Vostel" too), else the only window of that title.
e2e_main() {
  if [ -n "${E2E_MAIN_WID:-}" ]; then echo "$E2E_MAIN_WID"; else e2e_window Vostel; fi
}

# Visible windows other than the main window and the key target, one id a line.
e2e_other_windows() {
  local w
  for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
    [ "$w" != "$(e2e_main)" ] && [ "$w" != "${KEYTARGET_WID:-}" ] && echo "$w"
  done
  return 0
}

# Clicks at X Y in the main window's client area.
e2e_click_main() {
  local origin
  origin=$(e2e_origin "$(e2e_main)") || return 1
  e2e_click $((${origin% *} + $1)) $((${origin#* } + $2))
}

# Answers the port prompt with TEXT (typed as is, then Enter).
e2e_answer_port_prompt() {
  local wid
  wid=$(e2e_window 'Welchen Com-Port wollen sie benutzen\?' 30) || return 1
  e2e_focus "$wid"
  [ -z "$1" ] || xdotool type --delay 30 "$1"
  xdotool key Return
  e2e_wait_for "$E2E_TIMEOUT" e2e_window_gone 'Welchen Com-Port wollen sie benutzen\?' ||
    e2e_fail "the port prompt stayed open"
}

# Starts the program (with ARGS after DIR, if any) and connects it to
# vostel-sim: the port prompt answered, the initialisation command received by
# the emulator.
e2e_connect() {
  local dir=$1 before
  before=$(e2e_sim_count '^received the initialisation command$')
  E2E_MAIN_WID=
  e2e_start_vostel "$dir" "${@:2}"
  e2e_answer_port_prompt "$SIM_PORT" || return 1
  e2e_wait_sim '^received the initialisation command$' $((before + 1)) || return 1
  E2E_MAIN_WID=$(e2e_window Vostel) || return 1
}

# All bytes the program has sent to the emulator so far, in hex.
e2e_received_bytes() {
  sed -n 's/^received: //p' "$E2E_DIR/sim.log" | tr '\n' ' ' | sed 's/ $//'
}

# Types ID into the open naming dialog and clicks OK.
e2e_name_signal() {
  local wid
  wid=$(e2e_window 'Enter ID for Signal-Packet') || return 1
  e2e_focus "$wid"
  e2e_click "$E2E_DLG_TEXT_X" "$E2E_DLG_TEXT_Y"
  xdotool key ctrl+a BackSpace
  xdotool type --delay 20 "$1"
  e2e_click "$E2E_DLG_OK_X" "$E2E_DLG_OK_Y"
  e2e_wait_for "$E2E_TIMEOUT" e2e_window_gone 'Enter ID for Signal-Packet' || e2e_fail "the naming dialog stayed open"
}

# Records the next packet of BUTTON under ID: Record clicked, the button
# pressed on the emulator, the dialog answered.
e2e_record() {
  local button=$1 id=$2
  e2e_click_main "$E2E_RECORD_X" "$E2E_RECORD_Y"
  e2e_sim "$button"
  e2e_name_signal "$id"
}

# The text of the log, read through the clipboard.
e2e_log_text() {
  e2e_focus "$(e2e_main)"
  e2e_click_main "$E2E_LOG_X" "$E2E_LOG_Y" || return 1
  xdotool key ctrl+a ctrl+c
  sleep 0.2
  timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r'
  xdotool key ctrl+Home  # the selection goes again
}

# Waits until the log's first line is ID.
e2e_wait_log_top() {
  local id=$1 seconds=${2:-$E2E_TIMEOUT}
  e2e_wait_for "$seconds" e2e__log_top_is "$id" || e2e_fail "the log does not start with '$id': $(e2e_log_text | head -n 3)"
}
e2e__log_top_is() { [ "$(e2e_log_text | head -n 1)" = "$1" ]; }

e2e_screenshot() {
  import -silent -window root -depth 8 "ppm:$1"
}

# "R G B" of the pixel at X Y of a screenshot.
e2e_pixel() {
  local file=$1 x=$2 y=$3 width header
  width=$(head -c 20 "$file" | sed -n 2p | cut -d' ' -f1)
  header=$(head -n 3 "$file" | wc -c)
  od -An -tu1 -j $((header + (y * width + x) * 3)) -N3 "$file" | awk '{print $1, $2, $3}'
}

# "R G B" at X Y of the picture area's inside, in a screenshot.
e2e_pic_pixel() {
  local origin
  origin=$(e2e_origin "$(e2e_main)") || return 1
  e2e_pixel "$1" $((${origin% *} + E2E_PIC_X + $2)) $((${origin#* } + E2E_PIC_Y + $3))
}

# Prints the output of the command once it has stayed the same for 0.6 s
# (at most SECONDS), for things that trickle in, such as typed keys.
e2e_settled() {
  local seconds=$1 before now
  shift
  local end=$((SECONDS + seconds + 1))
  before=$("$@")
  while [ $SECONDS -lt $end ]; do
    sleep 0.6
    now=$("$@")
    [ "$now" = "$before" ] && break
    before=$now
  done
  printf '%s\n' "$before"
}

# Takes screenshots into FILE until row ROW of the picture area has been
# drawn (its first segment is blue), for at most SECONDS.
e2e_wait_drawn() {
  local file=$1 row=$2 seconds=${3:-$E2E_TIMEOUT}
  e2e_wait_for "$seconds" e2e__drawn "$file" "$row" || e2e_fail "row $row was not drawn"
}
e2e__pic_is() { e2e_screenshot "$1" && [ "$(e2e_pic_pixel "$1" "$2" "$3")" = "$4" ]; }
e2e__drawn() { e2e_screenshot "$1" && [ "$(e2e_pic_pixel "$1" 10 "$2")" = "$E2E_BLUE" ]; }

# Checks the pulse train of DURATIONS (space-separated) on row ROW of a
# screenshot: each segment's colour in its middle, the background after it.
e2e_check_row() {
  local file=$1 row=$2 durations=$3
  local origin width header x=0 blue=1 d end mid want got
  local -a px
  origin=$(e2e_origin "$(e2e_main)") || return 1
  width=$(head -c 20 "$file" | sed -n 2p | cut -d' ' -f1)
  header=$(head -n 3 "$file" | wc -c)
  # The row's pixels inside the picture area, three numbers each.
  read -r -a px < <(od -An -v -tu1 -w100000 \
    -j $((header + ((${origin#* } + E2E_PIC_Y + row) * width + ${origin% *} + E2E_PIC_X) * 3)) -N $((669 * 3)) "$file")
  for d in $durations; do
    end=$((x + d * 3 / 10))
    if [ $((end - x)) -ge 3 ] && [ $end -lt 669 ]; then
      mid=$(((x + end) / 2))
      if [ $blue = 1 ]; then want=$E2E_BLUE; else want=$E2E_ORANGE; fi
      got="${px[mid * 3]} ${px[mid * 3 + 1]} ${px[mid * 3 + 2]}"
      [ "$got" = "$want" ] || { e2e_fail "row $row, x $mid: colour $got, expected $want"; return 1; }
    fi
    x=$end
    blue=$((1 - blue))
  done
  [ $((x + 5)) -lt 669 ] || return 0
  got="${px[(x + 5) * 3]} ${px[(x + 5) * 3 + 1]} ${px[(x + 5) * 3 + 2]}"
  [ "$got" = "$E2E_GREEN" ] || e2e_fail "row $row, x $((x + 5)): colour $got after the row's end, expected background"
}

# The durations of a button of the emulator, as --list prints them.
e2e_durations() {
  "$VOSTEL_SIM" --list "${@:2}" | awk -v name="$1" '$1 == name { $1 = ""; print substr($0, 2) }'
}

# A library file FILE holding the emulator's demo buttons, written by vostel-tool.
e2e_demo_library() {
  {
    printf '{"records": ['
    "$VOSTEL_SIM" --list | awk '{ id = $1; $1 = ""; gsub(/^ /, ""); gsub(/ /, ", ");
                                  printf "%s{\"id\": \"%s\", \"packet\": [%s]}", sep, id, $0; sep = ", " }'
    printf ']}\n'
  } >"$E2E_DIR/demo.json"
  "$VOSTEL_TOOL" import "$E2E_DIR/demo.json" "$1"
}

# One whole round, as the demo shows it without a display: the port prompt
# answered, packets drawn, a signal recorded under ID and recognised, and a
# screenshot left in SHOT (PNG). Expects Xvfb and vostel-sim to be running.
e2e_full_round() {
  local dir=$1 shot=$2 before
  e2e_connect "$dir" || return 1
  e2e_sim "power, 300ms, vol+x3, 300ms, 1, 300ms, 2, 300ms, 3"
  e2e_wait_sim '^sent: 3$' 1 || return 1
  sleep 0.5
  e2e_record power power || return 1
  [ -s "$dir/irdata.txt" ] || { e2e_fail "no irdata.txt after recording"; return 1; }
  e2e_wait_log_top power || return 1
  before=$(e2e_sim_count '^sent: power')
  sleep 0.5
  e2e_sim "vol-, 400ms, power, 400ms, vol-"
  e2e_wait_sim '^sent: vol-$' 2 || return 1
  e2e_wait_log_top power || return 1
  [ "$(e2e_log_text | grep -c '^power$')" -ge 2 ] || { e2e_fail "the second power was not logged"; return 1; }
  sleep 0.3
  import -silent -window "$(e2e_main)" "$shot" || { e2e_fail "no screenshot"; return 1; }
}
