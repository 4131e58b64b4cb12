#!/usr/bin/env bash
# vostel.exe at 144 DPI under Wine (LogPixels set in the prefix): the window
# and its controls laid out at 10 twips a pixel, half as large again as at 96.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
E2E_SCREEN=1600x1000x24  # room for the window, 1137 pixels wide
wine_setup
desktop='HKCU\Control Panel\Desktop'
restore_dpi() { wine reg delete "$desktop" /v LogPixels /f >/dev/null 2>&1 || true; wine_cleanup; }
trap restore_dpi EXIT
wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
wineserver -k 2>/dev/null || true

wine_connect "$E2E_DIR/work"
# The client area 11370 x 5730 twips, the picture area 10095 x 5535.
layout=$(wine "$VOSTEL_PROBE" layout | tr -d '\r')
[ "$layout" = "1137 573 1010 554" ] || e2e_fail "at 144 DPI the window and picture area measure $layout"
echo "ok"
