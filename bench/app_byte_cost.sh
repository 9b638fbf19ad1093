#!/usr/bin/env bash
# What a received byte costs the program: its processor time with the line at its real rate
# (1920 bytes/s, attitude and heading frames back to back, every reading changing) written in
# pieces of 1, 8, 24 and 64 bytes, 15 s each after start-up, beside the floor (a reader that
# only waits and reads, fed the same writes at the same moments); then its resident memory,
# and the time from a frame's last byte written to its counter drawn by the X server, at
# 8-byte writes. Under a virtual display.
#   bench/app_byte_cost.sh [seconds]      (default 15; build: $BUILD_DIR, default build/release)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-15}
build=$(realpath -m "${BUILD_DIR:-build/release}")

if [ -z "${COST_INNER:-}" ]; then
  scripts/setup libxdamage-dev
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j 2 --target OrvelAX9
  cc -O2 -Wall -Wextra -pthread -o "$build/pty_pace" bench/pty_pace.c -lXdamage -lX11
  COST_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$seconds"
fi

run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
export XDG_CONFIG_HOME="$run/config"
link="$XDG_CONFIG_HOME/orvelax9/dosdevices/com1"
mkdir -p "$(dirname "$link")"
echo 1 > "$run/OrvelAX9.ini"
cd "$run"
echo "OrvelAX9 ($build) at 1920 bytes/s, $seconds s a row, processor time in % of one core"
"$build/pty_pace" --link "$link" --seconds "$seconds" --chunks 1,8,24,64 --latency-chunk 8 -- "$build/OrvelAX9"
