#!/usr/bin/env bash
# vostel.exe's keyboard under Wine and Xvfb, with real keys (xdotool): Enter in
# the log starts a new line and Escape there neither ends the program nor
# changes the text; Ctrl+A then Ctrl+C copies the whole text of the log and of
# the naming dialog's text box; after OK in the naming dialog the main window
# is the foreground window again with the focus where it was; switching back
# to Vostel from another program gives the focus back to the control that had it.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
wine_setup
work=$E2E_DIR/work
wine_connect "$work"

clipboard() { timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r'; }
foreground() { wine "$VOSTEL_PROBE" foreground | tr -d '\r' | paste -sd ' '; }
foreground_is() { [ "$(foreground)" = "$1" ]; }
wait_foreground() {
  e2e_wait_for "$E2E_TIMEOUT" foreground_is "$1" || e2e_fail "$2: the foreground is '$(foreground)', expected '$1'"
}
log_is() { [ "$(probe_log)" = "$1" ]; }

e2e_focus "$E2E_MAIN_WID"
e2e_click_main "$E2E_LOG_X" "$E2E_LOG_Y"
xdotool type --delay 30 "first"
xdotool key Return
xdotool type --delay 30 "second"
xdotool key Escape
xdotool type --delay 30 " third"  # reaches the log only if the program still runs
e2e_wait_for "$E2E_TIMEOUT" log_is $'first\nsecond third' ||
  e2e_fail "the log holds '$(probe_log 2>&1)' after Enter and Escape"

xdotool key ctrl+Home ctrl+a ctrl+c
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(clipboard)" = "$(probe_log)" ]' ||
  e2e_fail "Ctrl+A, Ctrl+C in the log copied '$(clipboard)'"

# The naming dialog, opened by Record: its whole text copied, then OK.
e2e_click_main "$E2E_RECORD_X" "$E2E_RECORD_Y"
e2e_sim power
dialog=$(e2e_window 'Enter ID for Signal-Packet')
e2e_focus "$dialog"
xdotool type --delay 30 "power on"
xdotool key Home ctrl+a ctrl+c
e2e_wait_for "$E2E_TIMEOUT" eval '[ "$(clipboard)" = "power on" ]' ||
  e2e_fail "Ctrl+A, Ctrl+C in the naming dialog copied '$(clipboard)'"
e2e_click "$E2E_DLG_OK_X" "$E2E_DLG_OK_Y"
e2e_wait_for "$E2E_TIMEOUT" e2e_window_gone 'Enter ID for Signal-Packet' || e2e_fail "the naming dialog stayed open"
wait_foreground "VostelMain focus butRec" "after OK in the naming dialog"
wait_log_top "power on"

# Another program's window comes to the front and goes again.
e2e_click_main "$E2E_LOG_X" "$E2E_LOG_Y"
wait_foreground "VostelMain focus txt1" "after a click into the log"
(exec wine "$VOSTEL_PROBE" keytarget "$E2E_DIR/other") >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_wait_for "$E2E_TIMEOUT" grep -q ready "$E2E_DIR/other" || e2e_fail "the other window did not get the focus"
wait_foreground "VostelKeyTarget" "with the other window open"
e2e_click_main 76 200  # the window's own background, between the log and the picture area
wait_foreground "VostelMain focus txt1" "back in Vostel"
echo "ok"
