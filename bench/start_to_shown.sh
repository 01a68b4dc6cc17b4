#!/usr/bin/env bash
# Start-up of a window program, for farm-bench: starts PROGRAM in an empty
# folder on $DISPLAY (an X server with no other window, such as Xvfb), ends
# it once xdotool first finds a window of it shown, and waits for that window
# to go, so that runs in turn do not see each other's.
#
#   Xvfb :57 & export DISPLAY=:57
#   farm-bench -n 15 --vs 'bash bench/start_to_shown.sh build/bench/hyt-bench-minimal-dialog' \
#     -- bash bench/start_to_shown.sh build/src/app/hyt
set -euo pipefail
program="$(realpath "$1")"
empty="$(mktemp -d)"
trap 'rm -rf "$empty"' EXIT
shown() { [ -n "$(xdotool search --onlyvisible --name . 2>/dev/null)" ]; }
cd "$empty"
"$program" >/dev/null 2>&1 &
pid=$!
for _ in $(seq 2000); do # 10 s at most
  shown && break
  sleep 0.005
done
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
while shown; do sleep 0.01; done
