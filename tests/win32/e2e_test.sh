#!/usr/bin/env bash
# vostel.exe under Wine and Xvfb, end to end: the port prompt answered, the
# initialisation bytes received by vostel-sim through Wine's COMN (the link
# comN in the prefix's dosdevices folder, pointed at the emulator's
# pseudo-terminal), rows drawn, a signal recorded into irdata.txt with the
# bytes the Linux build writes, recognised and logged, and a sendkeys: ID
# typing into a separate Wine window.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
: "${VOSTEL_TOOL:?}"
wine_setup

# Start-up: the port prompt, then the initialisation command on the line.
work=$E2E_DIR/work
wine_connect "$work"
[ "$(e2e_received_bytes)" = "41 54 56 31 51 30 0d" ] || e2e_fail "bytes received: $(e2e_received_bytes)"

# Two packets drawn as the first two rows.
e2e_sim power
e2e_wait_drawn "$E2E_DIR/shot.ppm" 0
e2e_sim vol+
e2e_wait_drawn "$E2E_DIR/shot.ppm" 1
e2e_check_row "$E2E_DIR/shot.ppm" 0 "$(e2e_durations power)"
e2e_check_row "$E2E_DIR/shot.ppm" 1 "$(e2e_durations vol+)"
[ -z "$(probe_log)" ] || e2e_fail "the log is not empty before anything was recorded"

# Record: the next packet named in the dialog and written to irdata.txt,
# byte for byte as the Linux build writes the same record.
e2e_record power "power on"
e2e_wait_for "$E2E_TIMEOUT" test -s "$work/irdata.txt" || e2e_fail "no irdata.txt after recording"
printf '{"records": [{"id": "power on", "packet": [%s]}]}\n' "$(e2e_durations power | sed 's/ /, /g')" \
  >"$E2E_DIR/power.json"
"$VOSTEL_TOOL" import "$E2E_DIR/power.json" "$E2E_DIR/linux.bin"
cmp "$E2E_DIR/linux.bin" "$work/irdata.txt" ||
  e2e_fail "irdata.txt differs from the Linux build's: $(od -An -tx1 "$work/irdata.txt" | head -n 3)"
wait_log_top "power on"

# The same signal again: recognised and logged on top.
sleep 0.5
e2e_sim power
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(probe_log | grep -c "^power on$")" = 2 ]' ||
  e2e_fail "the second power was not logged: $(probe_log)"

# A library written by the Linux build, loaded with LoadIRData; a sendkeys: ID
# types into the window that has the focus, here a separate Wine program.
keys='sendkeys:Zä€Š+(ab)x{LEFT}y'
printf '{"records": [{"id": "%s", "packet": [%s]}]}\n' "$keys" "$(e2e_durations mute | sed 's/ /, /g')" \
  >"$E2E_DIR/keys.json"
"$VOSTEL_TOOL" import "$E2E_DIR/keys.json" "$work/irdata.txt" --replace
e2e_click_main "$E2E_LOAD_X" "$E2E_LOAD_Y"
(exec wine "$VOSTEL_PROBE" keytarget "$E2E_DIR/typed") >"$E2E_DIR/keytarget.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for 30 grep -q ready "$E2E_DIR/typed" 2>/dev/null || e2e_fail "the key target did not get the focus"
sleep 0.5
e2e_sim mute
wait_log_top "$keys"
want=$(printf 'text:Zä€ŠAByx\n')
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(cat "$E2E_DIR/typed")" = "$want" ]' ||
  e2e_fail "typed into the key target: '$(cat "$E2E_DIR/typed")', expected '$want'"
echo "ok"
