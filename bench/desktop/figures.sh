#!/usr/bin/env bash
# Measures the desktop program as a user runs it, under Xvfb: the time from
# start to the port prompt, then, with a pseudo-terminal as port 5, the
# processor time used while idle with Timer1 running and the resident memory.
# Usage: bench/desktop/figures.sh [BUILD_DIR] [IDLE_SECONDS]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
seconds=${2:-60}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

display=90
while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
Xvfb :$display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:$display
until xdpyinfo >/dev/null 2>&1; do sleep 0.05; done

export XDG_CONFIG_HOME=$work/config
# The receiver emulator as port 5, sending nothing: steps come from standard input, which is empty.
"$build/tools/vostel-sim/vostel-sim" --port 5 --play - </dev/null >/dev/null &
pids+=($!)
until [ -L "$XDG_CONFIG_HOME/vostel/ports/com5" ]; do sleep 0.05; done

cd "$work"
start=$(date +%s%N)
"$build/src/qt/vostel" &
app=$!
pids+=($app)
until xdotool search --onlyvisible --name 'Welchen Com-Port' >/dev/null 2>&1; do sleep 0.002; done
shown=$(date +%s%N)
echo "start to port prompt: $(((shown - start) / 1000000)) ms"

prompt=$(xdotool search --onlyvisible --name 'Welchen Com-Port' | head -1)
xdotool windowfocus --sync "$prompt" type 5
xdotool key Return
sleep 3
ticks() { awk '{print $14 + $15}' "/proc/$app/stat"; }
before=$(ticks)
sleep "$seconds"
after=$(ticks)
hz=$(getconf CLK_TCK)
awk -v d=$((after - before)) -v hz="$hz" -v s="$seconds" \
  'BEGIN { printf "idle processor use over %d s: %.2f%% of one core\n", s, 100 * d / hz / s }'
grep -E 'VmRSS|VmHWM' "/proc/$app/status"
