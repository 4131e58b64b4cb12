#!/usr/bin/env bash
# vostel-tool monitor on vostel-sim's pseudo-terminal: the demo buttons' IDs
# with --ids, a held button logged as the program's hold-off allows, a port in
# use refused, an unplug and replug survived, Ctrl+C ending it cleanly.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
lib=$E2E_DIR/irdata.txt
names=$("$VOSTEL_SIM" --list | awk '{ print $1 }')
e2e_demo_library "$lib"
e2e_start_sim

# Starts the monitor with ARGS on the emulator's port; output in OUT and OUT.err.
start_monitor() {
  local out=$1
  shift
  "$VOSTEL_TOOL" monitor --port "$SIM_PORT" --library "$lib" "$@" >"$out" 2>"$out.err" &
  MONITOR_PID=$!
  E2E_PIDS+=("$MONITOR_PID")
}
# Ctrl+C; the monitor must end at once with status 0.
stop_monitor() {
  kill -INT "$MONITOR_PID"
  local status=0
  wait "$MONITOR_PID" || status=$?
  [ "$status" = 0 ] || e2e_fail "monitor ended with status $status after Ctrl+C"
}
lines() { grep -cxF "$2" "$1" || true; }
shown_at_least() { [ "$(grep -c -- "$2" "$1")" -ge "$3" ]; }

# Every demo button once: their IDs, one a line, in order, written at once.
ids=$E2E_DIR/ids
start_monitor "$ids" --ids
e2e_wait_sim 'received the initialisation command' 1
e2e_sim "all"
e2e_wait_sim '^sent: 3$' 1
e2e_wait_for "$E2E_TIMEOUT" grep -qx 3 "$ids" || e2e_fail "no ID 3 from the monitor: $(cat "$ids")"
[ "$(cat "$ids")" = "$names" ] || e2e_fail "IDs printed: $(cat "$ids" | tr '\n' ' '), expected: $(echo $names)"
[ ! -s "$ids.err" ] || e2e_fail "--ids printed to standard error: $(cat "$ids.err")"
stop_monitor

# A held button: 10 packets in about a second. Every one is shown, and only
# those more than 0.35 s after the last logged one are logged: at most 4.
out=$E2E_DIR/monitor
start_monitor "$out"
e2e_wait_sim 'received the initialisation command' 2
e2e_sim "mutex10"
e2e_wait_sim '^sent: mute$' 10
e2e_wait_for "$E2E_TIMEOUT" shown_at_least "$out" '-> mute' 10 || e2e_fail "not every packet shown: $(cat "$out")"
logged=$(lines "$out" "  -> mute")
[ "$logged" -ge 1 ] && [ "$logged" -le 4 ] || e2e_fail "a held button was logged $logged times in a second"
[ "$(lines "$out" "  -> mute (not logged: within 0.35 s of the last)")" = $((10 - logged)) ] ||
  e2e_fail "the packets not logged are not marked so"
grep -qE '^  [#_]+$' "$out" || e2e_fail "no pulse-train picture"

# A second monitor on the same port is refused with a clear message.
status=0
"$VOSTEL_TOOL" monitor --port "$SIM_PORT" --library "$lib" >"$E2E_DIR/second" 2>&1 || status=$?
[ "$status" = 2 ] || e2e_fail "a second monitor on the port gave status $status"
grep -q 'in use by another program' "$E2E_DIR/second" || e2e_fail "no clear message: $(cat "$E2E_DIR/second")"

# Unplugged and plugged in again: reported once, reopened, recognising again.
e2e_sim "unplug"
e2e_wait_sim '^unplugged' 1
sleep 1.5
e2e_sim "plug"
e2e_wait_sim 'received the initialisation command' 3
e2e_sim "power"
e2e_wait_for "$E2E_TIMEOUT" grep -qx '  -> power' "$out" || e2e_fail "nothing recognised after the replug"
[ "$(grep -c 'was lost' "$out.err")" = 1 ] || e2e_fail "the loss was not reported once: $(cat "$out.err")"
grep -q 'is back' "$out.err" || e2e_fail "the return was not reported: $(cat "$out.err")"
stop_monitor
echo "ok"
