#!/usr/bin/env bash
# Start-up: the port prompt over a visible main window; a number below 1 ends
# the program after the warning box; a valid number opens the emulator's line
# and sends exactly the initialisation command.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
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
e2e_wait_for 10 e2e_window_gone Vostel || e2e_fail "the main window stayed after the warning"
e2e_wait_for 10 eval '! e2e_vostel_running' || e2e_fail "the program did not end after the warning"
[ -z "$(e2e_received_bytes)" ] || e2e_fail "bytes were sent although no port was chosen: $(e2e_received_bytes)"

e2e_connect "$E2E_DIR/work"
sleep 0.5
[ "$(e2e_received_bytes)" = "41 54 56 31 51 30 0d" ] ||
  e2e_fail "the emulator received $(e2e_received_bytes), expected ATV1Q0 and a carriage return"
e2e_vostel_running || e2e_fail "the program ended"
echo "ok"
