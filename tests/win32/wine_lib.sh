# vostel.exe under Wine, driven like the Linux program by ../e2e/lib.sh:
#   wine_setup          a private X server, vostel-sim, and Wine's COMN led to
#                       the emulator's pseudo-terminal; clean-up on exit
#   wine_connect DIR    vostel.exe in working folder DIR, the port prompt
#                       answered, the initialisation command received
#   wine_unplug         COMN taken away, then the emulator's device unplugged
#   wine_relink         COMN led to the emulator's current pseudo-terminal
#   probe_log           the text of vostel.exe's log
# Needs VOSTEL_EXE, VOSTEL_PROBE, VOSTEL_WINE_RUN, WINEPREFIX, VOSTEL_SIM.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"

wine_setup() {
  VOSTEL=$VOSTEL_EXE
  e2e_init
  : "${WINEPREFIX:?}" "${VOSTEL_PROBE:?}"
  "$VOSTEL_WINE_RUN" "$WINEPREFIX" || e2e_fail "no Wine prefix" || return 1
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  trap wine_cleanup EXIT
  e2e_start_xvfb || return 1
  e2e_start_sim --jitter 0 || return 1
  # Wine's mount manager makes the dosdevices links of the serial ports anew
  # whenever Wine starts, from the ports it finds and those named in the
  # registry; so the pseudo-terminal is named there, for the next start.
  WINE_PTY=$(readlink -f "$XDG_CONFIG_HOME/vostel/ports/com$SIM_PORT")
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$SIM_PORT" /t REG_SZ /d "$WINE_PTY" /f >/dev/null 2>&1 ||
    e2e_fail "could not name COM$SIM_PORT in Wine's registry" || return 1
  wineserver -k 2>/dev/null || true
  COM_LINK=$WINEPREFIX/dosdevices/com$SIM_PORT
}

wine_cleanup() {
  if [ -n "${COM_LINK:-}" ]; then
    wine reg delete 'HKLM\Software\Wine\Ports' /v "COM$SIM_PORT" /f >/dev/null 2>&1 || true
  fi
  wineserver -k 2>/dev/null || true
  e2e_cleanup
}

wine_connect() {
  local work=$1
  mkdir -p "$work"
  (cd "$work" && exec wine "$VOSTEL_EXE") >"$E2E_DIR/vostel.log" 2>&1 &
  VOSTEL_PID=$!
  E2E_PIDS+=("$VOSTEL_PID")
  e2e_answer_port_prompt "$SIM_PORT" || return 1
  [ "$(readlink "$COM_LINK")" = "$WINE_PTY" ] ||
    e2e_fail "$COM_LINK leads to '$(readlink "$COM_LINK")', not $WINE_PTY" || return 1
  e2e_wait_sim '^received the initialisation command$' || return 1
  E2E_MAIN_WID=$(e2e_window Vostel)
}

# On Windows, COMN goes away with an unplugged adapter; here its link goes
# before the emulator closes its pseudo-terminal. Once closed, that
# pseudo-terminal's number is free, and another program's new one may get it:
# a stale link would lead vostel.exe's reopening to that stranger's device.
wine_unplug() {
  rm -f "$COM_LINK"
  e2e_sim unplug
}

# While Wine runs, the link itself is what leads COMN to a device.
wine_relink() {
  WINE_PTY=$(readlink -f "$XDG_CONFIG_HOME/vostel/ports/com$SIM_PORT")
  ln -sfn "$WINE_PTY" "$COM_LINK"
}

probe_log() { wine "$VOSTEL_PROBE" log; }
log_top_is() { [ "$(probe_log | head -n 1)" = "$1" ]; }
wait_log_top() {
  e2e_wait_for "$E2E_TIMEOUT" log_top_is "$1" ||
    e2e_fail "the log does not start with '$1': $(probe_log | head -n 3)"
}
