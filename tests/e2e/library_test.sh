#!/usr/bin/env bash
# LoadIRData in a folder without a library: an error box, and the program goes on.
# LoadIRData on a library written by vostel-tool import, then recognition of
# its signals; a "sendkeys:" ID types into a separate focused window, also
# while its button is held, at most once per 0.35 s. vostel-tool warns when it
# changes the library of the folder a running Vostel works in.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim
work=$E2E_DIR/work
mkdir -p "$work"
e2e_connect "$work"

e2e_click_main "$E2E_LOAD_X" "$E2E_LOAD_Y"
e2e_wait_for "$E2E_TIMEOUT" eval '[ -n "$(e2e_other_windows)" ]' || e2e_fail "LoadIRData without a library showed nothing"
e2e_focus "$(e2e_other_windows)"
xdotool key Return
e2e_wait_for "$E2E_TIMEOUT" eval '[ -z "$(e2e_other_windows)" ]' || e2e_fail "the box did not close"

packet() { e2e_durations "$1" | tr ' ' ','; }
cat >"$E2E_DIR/library.json" <<JSON
{"records": [
  {"id": "power", "packet": [$(packet power)]},
  {"id": "sendkeys:abc", "packet": [$(packet vol-)]},
  {"id": "eins", "packet": [$(packet 1)]}
]}
JSON
"$VOSTEL_TOOL" import "$E2E_DIR/library.json" "$work/irdata.txt"

# A change to the library of a running Vostel is lost at its next recording: vostel-tool warns,
# but only for the folder Vostel runs in.
mkdir -p "$E2E_DIR/elsewhere" && cp "$work/irdata.txt" "$E2E_DIR/elsewhere/"
warned=$("$VOSTEL_TOOL" rename 2 eins "$work/irdata.txt" 2>&1)
[ "$warned" = "vostel-tool: Vostel is running in this folder: press LoadIRData there, or its next recording overwrites this change" ] ||
  e2e_fail "rename beside a running Vostel says '$warned'"
warned=$(cd "$E2E_DIR/elsewhere" && "$VOSTEL_TOOL" delete 0 2>&1)
[ -z "$warned" ] || e2e_fail "delete in another folder says '$warned'"

keys=$E2E_DIR/keys.txt
e2e_start_keytarget "$keys"
target=$KEYTARGET_WID
typed() { e2e_typed "$keys"; }

# Not loaded yet: nothing is recognised.
e2e_sim power
e2e_wait_sim '^sent: power$'
sleep 0.5
[ -z "$(e2e_log_text)" ] || e2e_fail "recognised before the library was loaded"

e2e_click_main "$E2E_LOAD_X" "$E2E_LOAD_Y"
e2e_sim "power, 400ms, 1"
e2e_wait_sim '^sent: 1$'
e2e_wait_log_top eins
[ "$(e2e_log_text)" = "$(printf 'eins\npower')" ] || e2e_fail "log: $(e2e_log_text)"

# The sendkeys ID types "abc" into the focused key target.
e2e_focus "$target"
e2e_sim vol-
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(typed)" = abc ]' || e2e_fail "the key target holds '$(typed)', expected abc"

# Held: ten packets in about 1.1 s give two to four actions, never ten. A busy
# machine stretches the sending, so the upper bound follows the time it took.
sleep 0.5
e2e_focus "$target"
start=$(date +%s%N)
e2e_sim "vol-x10"
e2e_wait_sim '^sent: vol-$' 11
most=$(( ($(date +%s%N) - start) / 350000000 + 1 ))
[ "$most" -ge 4 ] || most=4
text=$(e2e_settled 5 typed)
held=$((${#text} / 3 - 1))
[ "$text" = "$(printf 'abc%.0s' $(seq $((held + 1))))" ] || e2e_fail "the key target holds '$text'"
[ "$held" -ge 2 ] && [ "$held" -le "$most" ] || e2e_fail "a held button acted $held times (at most $most)"
logged=$(e2e_log_text | grep -c '^sendkeys:abc$')
[ "$logged" = $((held + 1)) ] || e2e_fail "$logged log entries for $((held + 1)) actions"
echo "ok (held button acted $held times)"
