#!/usr/bin/env bash
# vostel.exe's start-up under Wine: a port number below 1 gives the warning
# box and ends the program; a port that does not exist gives the run-time
# error box with the device and the system's reason, and ends it too.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_setup

start() {
  mkdir -p "$E2E_DIR/work"
  (cd "$E2E_DIR/work" && exec wine "$VOSTEL_EXE") >"$E2E_DIR/vostel.log" 2>&1 &
  VOSTEL_PID=$!
  E2E_PIDS+=("$VOSTEL_PID")
  e2e_answer_port_prompt "$1"
}

# Closes the box TITLE with Enter and waits for the program to end.
close_box_and_end() {
  local wid
  wid=$(e2e_window "$1")
  e2e_focus "$wid"
  xdotool key Return
  e2e_wait_for "$E2E_TIMEOUT" eval '! e2e_vostel_running' || e2e_fail "the program did not end"
}

start 0
e2e_window 'Fehlerhafte Portnummer eingegeben' >/dev/null
[ "$(wine "$VOSTEL_PROBE" text 'Fehlerhafte Portnummer eingegeben')" = "Das Programm wird beendet" ] ||
  e2e_fail "warning box: $(wine "$VOSTEL_PROBE" text 'Fehlerhafte Portnummer eingegeben')"
close_box_and_end 'Fehlerhafte Portnummer eingegeben'
[ "$(e2e_sim_count '^received')" = 0 ] || e2e_fail "the emulator received bytes"

start 99
e2e_wait_for "$E2E_TIMEOUT" eval 'wine "$VOSTEL_PROBE" text Vostel | grep -q "Run-time error"' ||
  e2e_fail "no run-time error box"
text=$(wine "$VOSTEL_PROBE" text Vostel | tr '\n' ' ')
case $text in
  *"Run-time error '8002':"*'Invalid Port Number: port 99 (\\.\COM99) does not exist ('*) ;;
  *) e2e_fail "error box: $text" ;;
esac
close_box_and_end Vostel
status=0
wait "$VOSTEL_PID" || status=$?
[ "$status" = 1 ] || e2e_fail "the program ended with status $status after the error, not 1"
echo "ok"
