#!/usr/bin/env bash
# The description the sway test types, here through XTest under Xvfb: the
# real vostel types a recognised "sendkeys:" ID into a focused X11 window,
# media key included.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/../wayland/description.sh"
e2e_init
e2e_start_xvfb
e2e_start_sim --jitter 0
work=$E2E_DIR/work
mkdir -p "$work"
packet=$(e2e_durations vol- | tr ' ' ',')
printf '{"records": [{"id": "%s", "packet": [%s]}]}\n' "$KEYS_ID" "$packet" >"$E2E_DIR/library.json"
"$VOSTEL_TOOL" import "$E2E_DIR/library.json" "$work/irdata.txt"
e2e_connect "$work"
e2e_click_main "$E2E_LOAD_X" "$E2E_LOAD_Y"

keys=$E2E_DIR/keys.txt
e2e_start_keytarget "$keys"
e2e_sim vol-
keys_arrived "$keys"
echo "ok (typed '$KEYS_TEXT' and XF86AudioRaiseVolume through XTest)"
