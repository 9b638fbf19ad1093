#!/usr/bin/env bash
# The program's processor time and memory under the heaviest line it can get: the simulator
# sending attitude and heading frames back to back at 19200 baud (--rate max), for 30 s,
# under a virtual display. Reads /proc and prints the figures.
#   bench/app_load.sh [seconds]          (default 30; build: $BUILD_DIR, default build/release)
#   GDK_SCALE=2 bench/app_load.sh        the same with the window at twice its size
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
build=$(realpath -m "${BUILD_DIR:-build/release}")

if [ -z "${LOAD_INNER:-}" ]; then
  scripts/setup
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" -j "$(nproc)" --target OrvelAX9 orvelax9-sim
  LOAD_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$seconds"
fi

run=$(mktemp -d)
export XDG_CONFIG_HOME="$run/config"
link="$XDG_CONFIG_HOME/orvelax9/dosdevices/com1"
mkdir -p "$(dirname "$link")"
"$build/orvelax9-sim" --link "$link" --rate max >/dev/null 2>"$run/sim.log" &
sim=$!
prog=
stop() {  # asks a process to end, then makes it
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq 30); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
cleanup() {
  [ -n "$prog" ] && stop "$prog"
  stop "$sim"
  wait 2>/dev/null
  rm -rf "$run"
}
trap cleanup EXIT
for _ in $(seq 50); do [ -L "$link" ] && break; sleep 0.1; done
echo 1 > "$run/OrvelAX9.ini"
(cd "$run" && exec "$build/OrvelAX9") &
prog=$!
for _ in $(seq 100); do
  xdotool search --pid "$prog" --name "Orvel KQ3 AX9" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 2  # start-up over, the stream running

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }   # user + system, in clock ticks
hz=$(getconf CLK_TCK)
cpu0=$(ticks "$prog")
t0=$(date +%s.%N)
rss_max=0
for _ in $(seq "$seconds"); do
  sleep 1
  rss=$(awk '/^VmRSS/ {print $2}' "/proc/$prog/status")
  [ "$rss" -gt "$rss_max" ] && rss_max=$rss
done
cpu1=$(ticks "$prog")
t1=$(date +%s.%N)
hwm=$(awk '/^VmHWM/ {print $2}' "/proc/$prog/status")

stop "$sim"
wait "$sim" 2>/dev/null || true
summary=$(grep 'stopping:' "$run/sim.log" || true)
awk -v scale="${GDK_SCALE:-1}" -v c0="$cpu0" -v c1="$cpu1" -v t0="$t0" -v t1="$t1" -v hz="$hz" -v rss="$rss_max" -v hwm="$hwm" 'BEGIN {
  wall = t1 - t0
  printf "OrvelAX9 against orvelax9-sim --rate max, %.1f s, desktop scale %s\n", wall, scale
  printf "  processor: %.2f %% of one core (%d ticks of %d Hz)\n", 100 * (c1 - c0) / hz / wall, c1 - c0, hz
  printf "  resident memory: %.1f MB at most over the run (sampled each second), peak %.1f MB\n", rss / 1024, hwm / 1024
}'
echo "  simulator:${summary#*stopping:}"
