#!/usr/bin/env bash
# vostel-tool.exe monitor under Wine on vostel-sim's pseudo-terminal, reached
# as COMN: the demo buttons' IDs from a library written by the Linux build,
# a missing port refused, an unplug and replug survived, a framing error
# counted, Ctrl+C ending it. Then learn through the same port: a button stored.
set -euo pipefail
VOSTEL=$VOSTEL_TOOL_EXE
source "$(dirname "$0")/../e2e/lib.sh"
e2e_init
"$VOSTEL_WINE_RUN" "$WINEPREFIX" || e2e_fail "no Wine prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  [ -z "${SIM_PORT:-}" ] || wine reg delete 'HKLM\Software\Wine\Ports' /v "COM$SIM_PORT" /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  e2e_cleanup
}
trap cleanup EXIT
lib=$E2E_DIR/irdata.txt
names=$("$VOSTEL_SIM" --list | awk '{ print $1 }')
e2e_demo_library "$lib"
printf 'ab\377' >"$E2E_DIR/junk.bin"  # bytes outside a packet: a framing error
e2e_start_sim --jitter 0 --raw "$E2E_DIR/junk.bin"
# COMN named in Wine's registry, made a dosdevices link when Wine starts.
pty() { readlink -f "$XDG_CONFIG_HOME/vostel/ports/com$SIM_PORT"; }
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$SIM_PORT" /t REG_SZ /d "$(pty)" /f >/dev/null 2>&1 ||
  e2e_fail "could not name COM$SIM_PORT in Wine's registry"
wineserver -k 2>/dev/null || true

cd "$E2E_DIR"
wine "$VOSTEL_TOOL_EXE" monitor --port "$SIM_PORT" --library irdata.txt --ids >ids 2>ids.err &
MONITOR_PID=$!
E2E_PIDS+=("$MONITOR_PID")
e2e_wait_sim 'received the initialisation command' 1 15

# Every demo button once: their IDs, one a line, in order. A second apart, not
# the 500 ms of "all": while Wine starts its services a cycle can come late,
# and two packets read in one cycle are within the hold-off.
e2e_sim "$(echo $names | sed 's/ /,1s,/g')"
e2e_wait_sim '^sent: 3$' 1
e2e_wait_for "$E2E_TIMEOUT" grep -q '^3' ids || e2e_fail "no ID 3 from the monitor: $(cat ids)"
[ "$(tr -d '\r' <ids)" = "$names" ] || e2e_fail "IDs printed: $(tr '\r\n' '  ' <ids), expected: $(echo $names)"

# A port that cannot be opened ends it with status 2 and the system's reason.
# (A port in use cannot be shown here: Wine lets a second program open a
# serial device that another holds, where Windows refuses with access denied.)
status=0
wine "$VOSTEL_TOOL_EXE" monitor --port 57 --library irdata.txt >second 2>&1 || status=$?
[ "$status" = 2 ] || e2e_fail "a monitor on a missing port gave status $status: $(cat second)"
grep -q 'port 57 (\\\\.\\COM57) does not exist' second || e2e_fail "no clear message: $(cat second)"

# Unplugged and plugged in again: reported once, reopened, recognising again.
e2e_sim unplug
e2e_wait_sim '^unplugged' 1
e2e_wait_for "$E2E_TIMEOUT" grep -q 'was lost' ids.err || e2e_fail "the loss was not reported: $(cat ids.err)"
e2e_sim plug
e2e_wait_sim '^plugged in again' 1
ln -sfn "$(pty)" "$WINEPREFIX/dosdevices/com$SIM_PORT"  # while Wine runs, the link leads COMN to a device
e2e_wait_sim 'received the initialisation command' 2 15
e2e_sim power
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(tr -d "\r" <ids | tail -n 1)" = power ]' ||
  e2e_fail "nothing recognised after the replug: $(cat ids)"
[ "$(grep -c 'was lost' ids.err)" = 1 ] || e2e_fail "the loss was not reported once: $(cat ids.err)"

# A framing error, counted; Ctrl+C ends the monitor cleanly, with the count
# (Wine's own answer to Ctrl+C would end it with status 0 but without it).
e2e_sim raw,1s,vol+
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(tr -d "\r" <ids | tail -n 1)" = vol+ ]' ||
  e2e_fail "nothing recognised after the framing error: $(cat ids)"
kill -INT "$MONITOR_PID"
status=0
wait "$MONITOR_PID" || status=$?
[ "$status" = 0 ] || e2e_fail "monitor ended with status $status after Ctrl+C"
grep -q '^vostel-tool: monitor: 1 framing error ' ids.err || e2e_fail "no count at the end: $(cat ids.err)"

# learn on the same port: three presses of power (without jitter here) stored as they were sent.
wine "$VOSTEL_TOOL_EXE" learn --port "$SIM_PORT" --packets 3 --library learned.txt power >learn 2>&1 &
LEARN_PID=$!
E2E_PIDS+=("$LEARN_PID")
e2e_wait_sim 'received the initialisation command' 3 15
e2e_sim power,1s,power,1s,power
status=0
wait "$LEARN_PID" || status=$?
[ "$status" = 0 ] || e2e_fail "learn ended with status $status: $(cat learn)"
[ "$("$VOSTEL_TOOL" list learned.txt)" = "0 \"power\" 67: $(e2e_durations power)" ] ||
  e2e_fail "learn stored $("$VOSTEL_TOOL" list learned.txt)"
echo ok
