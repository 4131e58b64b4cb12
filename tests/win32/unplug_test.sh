#!/usr/bin/env bash
# The receiver unplugged and plugged in again under Wine: vostel.exe reports
# the lost COMN once, keeps running, opens the port again when it is back,
# sends the initialisation command again and draws what comes next.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_setup
wine_connect "$E2E_DIR/work"

e2e_sim power
e2e_wait_drawn "$E2E_DIR/shot.ppm" 0
wine_unplug
e2e_wait_sim '^unplugged'
e2e_wait_for 10 eval '[ -n "$(e2e_other_windows)" ]' || e2e_fail "no message box about the lost port"
sleep 2
e2e_vostel_running || e2e_fail "the program ended when the receiver was unplugged"
boxes=$(e2e_other_windows)
[ "$(echo "$boxes" | grep -c .)" = 1 ] || e2e_fail "expected one message box about the lost port, found: $boxes"
e2e_sim plug
e2e_wait_sim '^plugged in again'
wine_relink
e2e_wait_sim '^received the initialisation command$' 2 15
e2e_focus "$boxes"
xdotool key Return
e2e_wait_for 5 eval '[ -z "$(e2e_other_windows)" ]' || e2e_fail "the message box did not close"
e2e_sim vol+
e2e_wait_drawn "$E2E_DIR/shot.ppm" 1
e2e_check_row "$E2E_DIR/shot.ppm" 1 "$(e2e_durations vol+)"
e2e_vostel_running || e2e_fail "the program ended"
echo "ok"
