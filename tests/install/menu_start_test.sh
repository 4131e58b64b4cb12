#!/usr/bin/env bash
# The installed desktop entry's command line starts vostel in the data folder
# ${XDG_DATA_HOME:-$HOME/.local/share}/vostel, made at first start, and a
# signal recorded there lands in that folder's library, whatever folder the
# menu started it from. A data folder that cannot be made gives a message.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
tests=$INSTALL_TESTS
prefix=$TMP/prefix
install_into "" "$prefix"
command=$(sed -n 's/^Exec=//p' "$prefix/share/applications/org.vostel.Vostel.desktop")
source "$tests/../e2e/lib.sh"
VOSTEL=$command VOSTEL_SIM=$prefix/bin/vostel-sim VOSTEL_TOOL=$prefix/bin/vostel-tool
e2e_init
trap 'e2e_cleanup; rm -rf "$TMP"' EXIT

export HOME=$E2E_DIR/home
unset XDG_DATA_HOME
mkdir -p "$HOME"
e2e_start_xvfb
e2e_start_sim
elsewhere=$E2E_DIR/elsewhere
e2e_connect "$elsewhere"
data=$HOME/.local/share/vostel
[ "$(readlink "/proc/$VOSTEL_PID/cwd")" = "$data" ] ||
  fail "vostel runs in '$(readlink "/proc/$VOSTEL_PID/cwd")', not in $data"
e2e_sim power
e2e_wait_sim '^sent: power$'
e2e_record power menu-power
[ -f "$elsewhere/irdata.txt" ] && fail "the library went to the folder the menu started from"
"$VOSTEL_TOOL" list "$data/irdata.txt" | grep -q '"menu-power"' ||
  fail "the data folder's library does not hold the recorded signal"
kill "$VOSTEL_PID"

# XDG_DATA_HOME, when set, holds the data folder.
export XDG_DATA_HOME=$E2E_DIR/xdg-data
VOSTEL_PID=
e2e_start_vostel "$elsewhere"
e2e_window 'Welchen Com-Port wollen sie benutzen\?' 30 >/dev/null
[ "$(readlink "/proc/$VOSTEL_PID/cwd")" = "$XDG_DATA_HOME/vostel" ] ||
  fail "with XDG_DATA_HOME set, vostel runs in '$(readlink "/proc/$VOSTEL_PID/cwd")'"
kill "$VOSTEL_PID"

# A relative XDG_DATA_HOME is ignored, as the XDG rules say.
export XDG_DATA_HOME=relative/data
VOSTEL_PID=
e2e_start_vostel "$elsewhere"
e2e_window 'Welchen Com-Port wollen sie benutzen\?' 30 >/dev/null
[ "$(readlink "/proc/$VOSTEL_PID/cwd")" = "$data" ] ||
  fail "with a relative XDG_DATA_HOME, vostel runs in '$(readlink "/proc/$VOSTEL_PID/cwd")'"
kill "$VOSTEL_PID"

# A data folder that cannot be made: a message and a failure, not a silent start elsewhere.
export XDG_DATA_HOME=$E2E_DIR/a-file
touch "$XDG_DATA_HOME"
if out=$("$command" 2>&1); then fail "the launcher succeeded without a data folder"; fi
[[ $out == *"cannot use the data folder $XDG_DATA_HOME/vostel"* ]] || fail "the launcher said '$out'"
finish
