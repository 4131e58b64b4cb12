#!/usr/bin/env bash
# Runs the command with DISPLAY set to an X server of its own (Xvfb), ended afterwards.
set -uo pipefail
dir=$(mktemp -d "${TMPDIR:-/tmp}/vostel-xvfb.XXXXXX")
Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$dir/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$dir"' EXIT
for _ in $(seq 100); do [ -s "$dir/display" ] && break; sleep 0.1; done
[ -s "$dir/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$dir/display")"
"$@"
