#!/usr/bin/env bash
# Start-up: the port prompt over a visible main window; a number below 1 ends
# the program after the warning box; a valid number opens the emulator's line
# and sends exactly the initialisation command. Arguments change nothing, and
# the keyboard reaches every control by Tab. Without a display it says so in
# one line; --help and --version, each alone, answer without a window.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init

headless() { env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$VOSTEL" "$@"; }
no_display="vostel: needs a graphical session, but neither DISPLAY nor WAYLAND_DISPLAY is set"
for args in "" "--help x" "--bogus"; do
  rc=0
  out=$(headless $args 2>&1) || rc=$?
  [ "$rc" = 1 ] && [ "$out" = "$no_display" ] || e2e_fail "vostel $args without a display: status $rc, '$out'"
done
headless --help | grep -q '^usage: vostel \[--help | --version\]$' || e2e_fail "vostel --help: $(headless --help)"
[ "$(headless --version)" = "vostel $("$VOSTEL_TOOL" --version | cut -d' ' -f2)" ] ||
  e2e_fail "vostel --version: $(headless --version)"

e2e_start_xvfb
e2e_start_sim

e2e_start_vostel "$E2E_DIR/below1"
e2e_window 'Welchen Com-Port wollen sie benutzen\?' 30 >/dev/null
e2e_window Vostel >/dev/null || e2e_fail "the main window is not shown while the port prompt is open"
e2e_answer_port_prompt 0
box=$(e2e_window 'Fehlerhafte Portnummer eingegeben')
e2e_vostel_running || e2e_fail "the program ended before the warning was closed"
e2e_focus "$box"
xdotool key Return
e2e_wait_for "$E2E_TIMEOUT" e2e_window_gone Vostel || e2e_fail "the main window stayed after the warning"
e2e_wait_for "$E2E_TIMEOUT" eval '! e2e_vostel_running' || e2e_fail "the program did not end after the warning"
[ -z "$(e2e_received_bytes)" ] || e2e_fail "bytes were sent although no port was chosen: $(e2e_received_bytes)"

# Arguments are ignored, Qt's own options and --version beside others
# included: the caption stays "Vostel" (e2e_connect looks for it).
e2e_connect "$E2E_DIR/work" --version -qwindowtitle Other -reverse -style fusion
sleep 0.5
[ "$(e2e_received_bytes)" = "41 54 56 31 51 30 0d" ] ||
  e2e_fail "the emulator received $(e2e_received_bytes), expected ATV1Q0 and a carriage return"
e2e_vostel_running || e2e_fail "the program ended"

# Tab and Shift+Tab go round picture area, log, Record, LoadIRData from every
# control, the log included: from the log, five Tabs and four Shift+Tabs end
# on Record, and Space there arms recording.
e2e_click_main "$E2E_LOG_X" "$E2E_LOG_Y"
xdotool key --delay 50 Tab Tab Tab Tab Tab shift+Tab shift+Tab shift+Tab shift+Tab space
e2e_sim power
e2e_window "Enter ID for Signal-Packet" >/dev/null || e2e_fail "Record did not get the focus by Tab"
e2e_click "$E2E_DLG_CANCEL_X" "$E2E_DLG_CANCEL_Y"
e2e_wait_for "$E2E_TIMEOUT" e2e_window_gone 'Enter ID for Signal-Packet' || e2e_fail "the naming dialog stayed open"
echo "ok"
