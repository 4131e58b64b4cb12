#!/usr/bin/env bash
# The receiver unplugged and plugged in again (the emulator's pseudo-terminal
# closed, a new one linked under the same port): the program survives, opens
# the port again, sends the initialisation command and draws what comes next.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim --jitter 0
e2e_connect "$E2E_DIR/work"

e2e_sim power
e2e_wait_sim '^sent: power$'
sleep 0.5
e2e_sim unplug
e2e_wait_sim '^unplugged'
# The loss is reported once, in a message box, however often reopening fails
# in the two seconds after it appeared.
e2e_wait_for "$E2E_TIMEOUT" eval '[ -n "$(e2e_other_windows)" ]' || e2e_fail "no message box about the lost port"
sleep 2
e2e_vostel_running || e2e_fail "the program ended when the receiver was unplugged"
boxes=$(e2e_other_windows)
[ "$(echo "$boxes" | grep -c .)" = 1 ] || e2e_fail "expected one message box about the lost port, found: $boxes"
e2e_sim plug
e2e_wait_sim '^plugged in again'
e2e_wait_sim '^received the initialisation command$' 2 15
# The box blocks the receive cycle while it is open; the user closes it.
e2e_focus "$boxes"
xdotool key Return
e2e_wait_for "$E2E_TIMEOUT" eval '[ -z "$(e2e_other_windows)" ]' || e2e_fail "the message box did not close"
e2e_sim vol+
e2e_wait_sim '^sent: vol\+$'
shot=$E2E_DIR/after.ppm
e2e_wait_drawn "$shot" 1
e2e_check_row "$shot" 0 "$(e2e_durations power)"
e2e_check_row "$shot" 1 "$(e2e_durations vol+)"
e2e_vostel_running || e2e_fail "the program ended"
echo "ok"
