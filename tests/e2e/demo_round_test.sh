#!/usr/bin/env bash
# The round that scripts/demo runs when there is no display: it completes and
# leaves a screenshot showing the drawn rows.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim
shot=$E2E_DIR/round.png
e2e_full_round "$E2E_DIR/work" "$shot"
[ -s "$shot" ] || e2e_fail "no screenshot"
e2e_screenshot "$E2E_DIR/round.ppm"
[ "$(e2e_pic_pixel "$E2E_DIR/round.ppm" 30 0)" = "$E2E_BLUE" ] || e2e_fail "row 0 is not drawn"
echo "ok"
