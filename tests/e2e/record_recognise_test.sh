#!/usr/bin/env bash
# Record, the naming dialog and irdata.txt; the same signal recognised and
# logged; a held button logged at most once per 0.35 s.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim --jitter 0
work=$E2E_DIR/work
e2e_connect "$work"

# Nothing is recognised before anything is recorded.
e2e_sim power
e2e_wait_sim '^sent: power$'
sleep 0.5
[ -z "$(e2e_log_text)" ] || e2e_fail "the log is not empty before anything was recorded"

e2e_record power "power on"
e2e_wait_log_top "power on"

# irdata.txt: last index 0, one record: 1 dimension, n elements, lower bound 0,
# the 16-bit durations, the ID's length and bytes.
le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }
durations=$(e2e_durations power)
{
  le32 0
  le16 1
  le32 "$(echo $durations | wc -w)"
  le32 0
  for d in $durations; do le16 "$d"; done
  le16 8
  printf 'power on'
} >"$E2E_DIR/expected.bin"
cmp "$E2E_DIR/expected.bin" "$work/irdata.txt" ||
  e2e_fail "irdata.txt differs: $(od -An -tx1 "$work/irdata.txt" | head -n 3)"

# The same signal again: recognised, logged on top.
sleep 0.5
e2e_sim power
e2e_wait_sim '^sent: power$' 3
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(e2e_log_text | grep -c "^power on$")" = 2 ]' ||
  e2e_fail "the second power was not logged: $(e2e_log_text)"

# Another signal is recorded and logged above the first.
e2e_record vol+ "vol up"
e2e_wait_log_top "vol up"
[ "$(e2e_log_text)" = "$(printf 'vol up\npower on\npower on')" ] || e2e_fail "log: $(e2e_log_text)"

# A held button: ten packets, 110 ms apart (about 1.1 s). With a hold-off of
# 0.35 s at most four of them can be logged; without one all ten would be.
sleep 0.5
e2e_sim "vol+x10"
e2e_wait_sim '^sent: vol\+$' 11
held=$(($(e2e_settled 5 e2e_log_text | grep -c '^vol up$') - 1))
[ "$held" -ge 2 ] && [ "$held" -le 4 ] || e2e_fail "a held button was logged $held times in 1.1 s"
echo "ok (held button logged $held times)"
