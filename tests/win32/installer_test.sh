#!/usr/bin/env bash
# The installer under Wine: a silent install (/S) puts the programs and the
# how-to into %LOCALAPPDATA%\Programs\Vostel, a Start-menu shortcut that starts
# vostel.exe in Documents\Vostel, and the uninstall key of the current user;
# the shortcut's program, started in its working folder, records a button into
# irdata.txt there; a silent uninstall takes away what was installed and
# leaves the library.
set -euo pipefail
source "$(dirname "$0")/wine_lib.sh"
: "${VOSTEL_SETUP:?}"
[ -f "$VOSTEL_SETUP" ] || { echo "no $VOSTEL_SETUP: make it with scripts/windows" >&2; exit 1; }
wine_setup

unix_path() { winepath -u "$1" 2>/dev/null | tr -d '\r'; }
expand() { wine cmd /c echo "$1" | tr -d '\r"'; }
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vostel'
programs=$(unix_path "$(expand '%LOCALAPPDATA%\Programs\Vostel')")
documents=$(expand '%USERPROFILE%\Documents')
# Wine leads Documents to the home folder; the test's files stay in the prefix.
if [ -L "$(unix_path "$documents")" ]; then
  rm "$(unix_path "$documents")"
  mkdir "$(unix_path "$documents")"
fi
shortcut_win=$(expand '%APPDATA%\Microsoft\Windows\Start Menu\Programs\Vostel.lnk')
shortcut=$(unix_path "$shortcut_win")
library_dir=$(unix_path "$documents\\Vostel")
# Whatever an earlier run may have left in this prefix.
rm -rf "$programs" "$shortcut" "$library_dir"
wine reg delete "$key" /f >/dev/null 2>&1 || true

wine "$VOSTEL_SETUP" /S
wineserver -w
for f in vostel.exe vostel-tool.exe README.txt LICENSE.txt uninstall.exe; do
  [ -f "$programs/$f" ] || e2e_fail "the installer put no $f into $programs"
done
cmp "$programs/README.txt" <(sed 's/$/\r/' "$(dirname "$0")/../../packaging/windows/README.txt") ||
  e2e_fail "the installed how-to differs from packaging/windows/README.txt"
[ -d "$library_dir" ] || e2e_fail "the installer did not make $documents\\Vostel"
[ -f "$shortcut" ] || e2e_fail "no Start-menu shortcut $shortcut_win"
mapfile -t link < <(wine "$VOSTEL_PROBE" shortcut "$shortcut_win" | tr -d '\r')
[ "$(unix_path "${link[0]}")" = "$programs/vostel.exe" ] || e2e_fail "the shortcut starts '${link[0]}'"
[ "$(unix_path "${link[1]}")" = "$library_dir" ] || e2e_fail "the shortcut starts in '${link[1]}'"
uninstall=$(wine reg query "$key" /v UninstallString | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
[ "$(unix_path "$(tr -d '"' <<<"$uninstall")")" = "$programs/uninstall.exe" ] ||
  e2e_fail "the uninstall key names '$uninstall'"
wine reg query "$key" /v DisplayVersion | grep -q "REG_SZ *$VOSTEL_VERSION" ||
  e2e_fail "the uninstall key has no DisplayVersion $VOSTEL_VERSION"

# The installed program in the shortcut's working folder: a recorded button
# lands in irdata.txt there.
VOSTEL_EXE=$programs/vostel.exe
wine_connect "$library_dir"
e2e_record power "power on"
e2e_wait_for "$E2E_TIMEOUT" test -s "$library_dir/irdata.txt" || e2e_fail "no irdata.txt in $library_dir"
wait_log_top "power on"
wineserver -k
wait "$VOSTEL_PID" 2>/dev/null || true
cp "$library_dir/irdata.txt" "$E2E_DIR/recorded.txt"

wine "$programs/uninstall.exe" /S
wineserver -w  # the uninstaller goes on from a copy of itself
[ ! -e "$programs" ] || e2e_fail "the uninstaller left $(ls -A "$programs")"
[ ! -e "$shortcut" ] || e2e_fail "the uninstaller left the Start-menu shortcut"
! wine reg query "$key" >/dev/null 2>&1 || e2e_fail "the uninstaller left the uninstall key"
cmp "$library_dir/irdata.txt" "$E2E_DIR/recorded.txt" || e2e_fail "the uninstaller did not leave irdata.txt"
rm -rf "$library_dir"
echo "ok"
