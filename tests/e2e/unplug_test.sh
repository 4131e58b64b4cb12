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
sleep 2
e2e_vostel_running || e2e_fail "the program ended when the receiver was unplugged"
# The loss is reported once in a message box; close it.
box=$(xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r w; do
  name=$(xdotool getwindowname "$w" 2>/dev/null)
  case $name in Vostel|vostel-keytarget|'') ;; *) echo "$w"; break ;; esac
done)
if [ -n "$box" ]; then
  e2e_focus "$box"
  xdotool key Return
fi
e2e_sim plug
e2e_wait_sim '^plugged in again'
e2e_wait_sim '^received the initialisation command$' 2 15
e2e_sim vol+
e2e_wait_sim '^sent: vol\+$'
sleep 0.5
shot=$E2E_DIR/after.ppm
e2e_screenshot "$shot"
e2e_check_row "$shot" 0 "$(e2e_durations power)"
e2e_check_row "$shot" 1 "$(e2e_durations vol+)"
e2e_vostel_running || e2e_fail "the program ended"
echo "ok"
