#!/usr/bin/env bash
# The real vostel under a headless sway, as a native Wayland client: a
# "sendkeys:" ID recognised from vostel-sim types through the compositor's
# virtual keyboard into a focused Qt line edit (vostel-keytarget).
# Shift, Ctrl, characters beyond ASCII, Enter, a repeat count and a media key.
#
# sway refuses to run as root: under root, everything this test starts runs
# as nobody (who must also be able to open vostel-sim's pseudo-terminal).
set -euo pipefail
source "$(dirname "$0")/../e2e/lib.sh"
source "$(dirname "$0")/description.sh"
for tool in sway swaymsg wtype; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed (scripts/setup)" >&2; exit 1; }
done
e2e_init
unset DISPLAY
as_user=()
if [ "$(id -u)" = 0 ]; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chown -R 65534:65534 "$E2E_DIR"
fi
export HOME=$E2E_DIR XDG_CONFIG_HOME XDG_RUNTIME_DIR QT_QPA_PLATFORM=wayland

# sway headless, software rendering, no input devices, no XWayland.
printf 'xwayland disable\n' >"$E2E_DIR/sway.conf"
WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  "${as_user[@]}" sway -c "$E2E_DIR/sway.conf" >"$E2E_DIR/sway.log" 2>&1 &
E2E_PIDS+=($!)
sway_socket() { ls "$XDG_RUNTIME_DIR"/wayland-[0-9] 2>/dev/null | head -n 1; }
sway_ipc() { ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1; }
e2e_wait_for "$E2E_TIMEOUT" eval '[ -n "$(sway_socket)" ] && [ -n "$(sway_ipc)" ]' ||
  e2e_fail "sway did not start: $(tail -n 5 "$E2E_DIR/sway.log")"
export WAYLAND_DISPLAY=$(basename "$(sway_socket)") SWAYSOCK=$(sway_ipc)
sway() { "${as_user[@]}" swaymsg "$@"; }
# Whether the focused window's title is TITLE.
focused_is() {
  [ "$(sway -t get_tree | python3 -c '
import json, sys
def focused(node):
    if node.get("focused"):
        return node.get("name") or ""
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        found = focused(child)
        if found is not None:
            return found
print(focused(json.load(sys.stdin)) or "")')" = "$1" ]
}
# Types with wtype, after a pause in which the window settles.
type_keys() { "${as_user[@]}" wtype -s 300 "$@"; }
# The headless seat has no keyboard of its own, and the keys of a keyboard
# that has just appeared are lost until the window has taken it: a wtype that
# only waits keeps one there, as a desktop has one.
"${as_user[@]}" wtype -s 600000 &
E2E_PIDS+=($!)

# The emulator and the library: one record, the vol- button bound to the description.
packet=$("$VOSTEL_SIM" --list | awk '$1 == "vol-" { $1 = ""; gsub(/^ /, ""); gsub(/ /, ","); print }')
work=$E2E_DIR/work
mkdir -p "$work"
printf '{"records": [{"id": "%s", "packet": [%s]}]}\n' "$KEYS_ID" "$packet" >"$E2E_DIR/library.json"
"$VOSTEL_TOOL" import "$E2E_DIR/library.json" "$work/irdata.txt"
[ -z "${as_user[*]}" ] || chown -R 65534:65534 "$E2E_DIR"

mkfifo "$E2E_DIR/sim.in"
"${as_user[@]}" "$VOSTEL_SIM" --play - --jitter 0 <"$E2E_DIR/sim.in" >"$E2E_DIR/sim.log" 2>&1 &
E2E_PIDS+=($!)
exec 8>"$E2E_DIR/sim.in"
e2e_wait_for "$E2E_TIMEOUT" grep -q 'at the program.s port prompt' "$E2E_DIR/sim.log" || e2e_fail "vostel-sim did not start"
port=$(sed -n 's/.*type \([0-9]*\) at the program.s port prompt.*/\1/p' "$E2E_DIR/sim.log" | head -n 1)
# A program killed earlier (another test, as root) may have left Qt's lock file
# for this pseudo-terminal; its owner is gone, but the unprivileged user may not
# remove it and would find the port "in use".
pty=$(sed -n 's/.* -> \/dev\/pts\/\([0-9]*\)).*/\1/p' "$E2E_DIR/sim.log" | head -n 1)
lock=/run/lock/LCK..pts_$pty
if [ -n "$pty" ] && [ -f "$lock" ] && ! kill -0 "$(head -n 1 "$lock")" 2>/dev/null; then rm -f "$lock"; fi

# vostel: the port prompt answered, then LoadIRData (the picture area has the
# focus; Shift+Tab reaches the button) pressed from the keyboard.
(cd "$work" && exec "${as_user[@]}" "$VOSTEL") >"$E2E_DIR/vostel.log" 2>&1 &
VOSTEL_PID=$!
E2E_PIDS+=("$VOSTEL_PID")
# A busy machine may lose a try: the next one selects what it left and types again.
initialised() { grep -q '^received the initialisation command$' "$E2E_DIR/sim.log"; }
for try in 1 2 3 4; do
  initialised && break
  e2e_wait_for "$E2E_TIMEOUT" focused_is 'Welchen Com-Port wollen sie benutzen?' || break
  [ "$try" = 1 ] || echo "the port prompt lost the keys of try $((try - 1)); typing again" >&2
  type_keys -M ctrl -k a -m ctrl "$port" -k Return
  e2e_wait_for 5 initialised || true
done
e2e_wait_sim '^received the initialisation command$'
e2e_wait_for "$E2E_TIMEOUT" focused_is Vostel || e2e_fail "the main window has not the focus"
type_keys -M shift -k Tab -m shift -k space

# The key target, a second window, gets the focus.
keys=$E2E_DIR/keys.txt
mkfifo "$E2E_DIR/keytarget.in"
"${as_user[@]}" "$VOSTEL_KEYTARGET" "$keys" 0<>"$E2E_DIR/keytarget.in" >"$E2E_DIR/keytarget.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for "$E2E_TIMEOUT" test -s "$keys" || e2e_fail "the key target did not get the focus"

e2e_sim vol-
keys_arrived "$keys"
e2e_vostel_running || e2e_fail "vostel ended"
echo "ok (typed '$KEYS_TEXT' and XF86AudioRaiseVolume through sway's virtual keyboard)"
