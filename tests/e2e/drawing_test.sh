#!/usr/bin/env bash
# Received packets are drawn as pulse-train rows: row 0, then row 1, blue and
# pale orange segments of 0.3 pixels per duration unit on the light green area.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim --jitter 0
e2e_connect "$E2E_DIR/work"

# The window is shown before it is first painted.
shot=$E2E_DIR/empty.ppm
e2e_wait_for "$E2E_TIMEOUT" e2e__pic_is "$shot" 0 0 "$E2E_GREEN" || e2e_fail "the picture area was never painted"
for x in 0 30 300 600; do
  [ "$(e2e_pic_pixel "$shot" $x 0)" = "$E2E_GREEN" ] || e2e_fail "the picture area is not empty at ($x, 0)"
done

e2e_sim "power, 300ms, vol+"
e2e_wait_sim '^sent: vol\+$'
shot=$E2E_DIR/drawn.ppm
e2e_wait_drawn "$shot" 1
e2e_check_row "$shot" 0 "$(e2e_durations power)"
e2e_check_row "$shot" 1 "$(e2e_durations vol+)"
for x in 0 30 300; do
  [ "$(e2e_pic_pixel "$shot" $x 2)" = "$E2E_GREEN" ] || e2e_fail "row 2 is not empty at x $x"
done
echo "ok"
