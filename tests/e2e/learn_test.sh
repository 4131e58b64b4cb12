#!/usr/bin/env bash
# vostel-tool learn on vostel-sim's pseudo-terminal, with the receiver's timing
# wandering by up to 6 units: power pressed 7 times, vol+ once in between.
# learn --packets 7 leaves vol+ out, stores the element-wise lower median of the
# power presses, and that template recognises every jittered press. The same
# seed sends the same presses again, which the monitor shows.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
lib=$E2E_DIR/irdata.txt
presses="power,400ms,power,400ms,power,400ms,vol+,400ms,power,400ms,power,400ms,power,400ms,power"
seed=21

# Waits for the initialisation command from a program that opened the port, then presses.
play() {
  e2e_wait_sim 'received the initialisation command' 1 || return 1
  e2e_sim "$presses"
}

e2e_start_sim --jitter 6 --seed "$seed"
status=0
(play) &
"$VOSTEL_TOOL" learn --port "$SIM_PORT" --packets 7 --library "$lib" power >"$E2E_DIR/learn" 2>&1 || status=$?
wait $!
[ "$status" = 0 ] || e2e_fail "learn ended with status $status: $(cat "$E2E_DIR/learn")"
grep -qx 'packet 4 differs from the median by [0-9]* at element [0-9]* (over 20): left out' "$E2E_DIR/learn" ||
  e2e_fail "the vol+ press is not named as left out: $(cat "$E2E_DIR/learn")"

# The packets learn saw, one a line (durations only), and the lower median of all but the fourth.
sed -n 's/^packet [0-9]* ([0-9]*): //p' "$E2E_DIR/learn" >"$E2E_DIR/seen"
[ "$(wc -l <"$E2E_DIR/seen")" = 7 ] || e2e_fail "learn did not show 7 packets: $(cat "$E2E_DIR/learn")"
median=$(sed 4d "$E2E_DIR/seen" | awk '
  { for (i = 1; i <= NF; i++) v[i, NR] = $i; n = NR; width = NF }
  END {
    for (i = 1; i <= width; i++) {
      for (j = 1; j <= n; j++) {  # insertion sort of the column
        x = v[i, j]
        for (k = j - 1; k >= 1 && c[k] > x; k--) c[k + 1] = c[k]
        c[k + 1] = x
      }
      printf "%s%d", (i > 1 ? " " : ""), c[int((n + 1) / 2)]
    }
  }')
stored=$("$VOSTEL_TOOL" list "$lib")
[ "$stored" = "0 \"power\" 67: $median" ] || e2e_fail "stored: $stored; the median of the presses: $median"
grep -qxF "$stored" "$E2E_DIR/learn" || e2e_fail "learn did not print the stored record: $(cat "$E2E_DIR/learn")"

# The same seed again: the monitor shows the same presses, the seventh power too.
kill "$E2E_SIM_PID"
wait "$E2E_SIM_PID" 2>/dev/null || true
e2e_start_sim --jitter 6 --seed "$seed"
"$VOSTEL_TOOL" monitor --port "$SIM_PORT" --library "$lib" >"$E2E_DIR/monitor" 2>/dev/null &
monitor=$!
E2E_PIDS+=("$monitor")
play
e2e_wait_sim '^sent: power$' 7
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(grep -c "^67: " "$E2E_DIR/monitor")" = 8 ]' ||
  e2e_fail "the monitor did not show 8 packets: $(cat "$E2E_DIR/monitor")"
kill -INT "$monitor"
wait "$monitor" || true
sed -n 's/^67: //p' "$E2E_DIR/monitor" >"$E2E_DIR/again"
[ "$(head -n 7 "$E2E_DIR/again")" = "$(cat "$E2E_DIR/seen")" ] ||
  e2e_fail "the same seed sent other durations: $(diff "$E2E_DIR/seen" <(head -n 7 "$E2E_DIR/again"))"

# The presses wander by up to 6 units from the button's durations, and do wander.
widest=$(sed 4d "$E2E_DIR/again" | awk -v listed="$(e2e_durations power)" '
  BEGIN { split(listed, d, " ") }
  { for (i = 1; i <= NF; i++) { x = $i - d[i]; if (x < 0) x = -x; if (x > w) w = x } }
  END { print w + 0 }')
[ "$widest" -gt 2 ] && [ "$widest" -le 6 ] || e2e_fail "the presses lie up to $widest from the listed durations"

# Every jittered power press is recognised by the learned template; vol+ is not.
n=0
while read -r -a durations; do
  n=$((n + 1))
  want=power
  [ $n = 4 ] && want="<not found>"
  got=$("$VOSTEL_TOOL" match --library "$lib" "${durations[@]}") || true
  [ "$got" = "$want" ] || e2e_fail "press $n matched '$got', expected '$want'"
done <"$E2E_DIR/again"
echo ok
