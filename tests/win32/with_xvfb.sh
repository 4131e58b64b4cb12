#!/usr/bin/env bash
# Runs the command with DISPLAY set to an X server of its own (Xvfb), ended afterwards.
set -uo pipefail
dir=$(mktemp -d "${TMPDIR:-/tmp}/vostel-xvfb.XXXXXX")
# -noreset: a server that resets when its last client leaves drops a client
# connecting meanwhile. The number and its newline come in separate writes.
Xvfb -displayfd 9 -noreset -screen 0 1024x768x24 -nolisten tcp 9>"$dir/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
written() { grep -qx '[0-9][0-9]*' "$dir/display" && [ -z "$(tail -c 1 "$dir/display")" ]; }
for _ in $(seq 300); do written && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.1; done
written || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"
"$@"
