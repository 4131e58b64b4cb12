#!/usr/bin/env bash
# vostel-tool.exe under Wine gives what the Linux build's vostel-tool gives:
# the same output (lines ended by CR LF on Windows, compared without the CR;
# a message's last words in parentheses are the system's own reason, worded
# by each system), the same exit status, and library files with the same bytes.
set -euo pipefail
: "${VOSTEL_TOOL:?}" "${VOSTEL_TOOL_EXE:?}" "${WINEPREFIX:?}" "${VOSTEL_SAMPLES:?}"
"$VOSTEL_WINE_RUN" "$WINEPREFIX"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
dir=$(mktemp -d "${TMPDIR:-/tmp}/vostel-wintool.XXXXXX")
trap 'wineserver -k 2>/dev/null || true; rm -rf "$dir"' EXIT
cd "$dir"
cp "$VOSTEL_SAMPLES/remote-capture.bin" "$VOSTEL_SAMPLES/remote-capture.hex" .
failures=0

# Runs ARGS with both programs in this folder; their output, status and the files they write must agree.
same() {
  local status_linux=0 status_windows=0
  rm -rf linux windows && mkdir linux windows
  cp ./*.bin ./*.json linux/ 2>/dev/null || true
  cp ./*.bin ./*.json windows/ 2>/dev/null || true
  (cd linux && "$VOSTEL_TOOL" "$@" >../out.linux 2>../err.linux) || status_linux=$?
  (cd windows && wine "$VOSTEL_TOOL_EXE" "$@" >../out.windows 2>../err.windows) || status_windows=$?
  tr -d '\r' <out.windows >out.windows.lf
  tr -d '\r' <err.windows | sed 's/ ([^()]*)$//' >err.windows.lf
  sed -i 's/ ([^()]*)$//' err.linux
  if ! cmp -s out.linux out.windows.lf || ! cmp -s err.linux err.windows.lf ||
     [ "$status_linux" != "$status_windows" ] || ! diff -r linux windows >/dev/null; then
    echo "FAIL: vostel-tool $* differs (status $status_linux / $status_windows)"
    diff out.linux out.windows.lf | head -n 5 || true
    diff err.linux err.windows.lf | head -n 5 || true
    diff -r linux windows | head -n 5 || true
    failures=$((failures + 1))
  fi
}

# A library written by the Linux build, with IDs beyond ASCII.
cat >lib.json <<'JSON'
{"records": [{"id": "power", "packet": [225, 112, 14, 42, 14]}, {"id": "Lautstärke +", "packet": [225, 112, 42, 42, 14]}, {"id": "sendkeys:€ Š", "packet": [10, 200, 35]}]}
JSON
"$VOSTEL_TOOL" import lib.json lib.bin

same list lib.bin
same export lib.bin
same match --library lib.bin 225 112 30 42 14
same match --library lib.bin 20 190 50
same match --library lib.bin 1 2 3
same rename 1 "leiser ä" lib.bin
same delete 0 lib.bin
same import lib.json new.bin
same decode remote-capture.bin
same decode --hex --chunk 5 remote-capture.hex
same list missing.bin
same check lib.bin
same check --json lib.bin
same match --explain --library lib.bin 225 112 30 42 14
same match --explain --library lib.bin 225 112 90 42 14
same match --explain --library lib.bin 1 2
same nonsense

[ "$failures" = 0 ] || exit 1
echo ok
