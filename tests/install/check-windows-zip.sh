#!/usr/bin/env bash
# Unpacks the Windows package and runs its program under Wine on a virtual display, started
# in the unpacked folder with the sample OrvelAX9.ini (port 1, mapped here to an adapter that
# is not plugged in): the program must say so in its message box, show its window after OK,
# and end with status 0 when the window is closed.
#   tests/install/check-windows-zip.sh ZIP [WINEPREFIX]
#     ZIP         the package (dist/OrvelAX9-<version>-win64.zip)
#     WINEPREFIX  the Wine prefix to run it in (default build/package-win64/wineprefix)
# With ORVEL_SHARED_WINE=1 the display ($DISPLAY) and the prefix's wineserver are the
# caller's, already running (the Windows test suite's): they are used and left running.
set -euo pipefail
zip=$(realpath "$1")
prefix=$(realpath -m "${2:-build/package-win64/wineprefix}")
shared=${ORVEL_SHARED_WINE:-}

if [ -z "$shared" ] && [ -z "${CHECK_ZIP_INNER:-}" ]; then
  CHECK_ZIP_INNER=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$zip" "$prefix"
fi

wine=/usr/lib/wine/wine64
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
run=$(mktemp -d)
prog=
com1=$WINEPREFIX/dosdevices/com1
com1_was=$(readlink "$com1" 2>/dev/null || true)
cleanup() {
  [ -n "$prog" ] && kill "$prog" 2>/dev/null || true
  if [ -n "$com1_was" ]; then ln -sfn "$com1_was" "$com1"; else rm -f "$com1"; fi
  [ -n "$shared" ] || /usr/lib/wine/wineserver -k || true
  rm -rf "$run"
}
trap cleanup EXIT
if [ -z "$shared" ]; then
  /usr/lib/wine/wineserver -p
  "$wine" wineboot -i >/dev/null 2>&1
fi
# Without a link Wine would try /dev/ttyS0: the port's link leads nowhere instead.
ln -sfn "$run/unplugged-adapter" "$com1"

unzip -q "$zip" -d "$run"
folder=$(find "$run" -mindepth 1 -maxdepth 1 -type d)
for f in OrvelAX9.exe OrvelAX9.ini README.txt; do
  [ -f "$folder/$f" ] || { echo "check-windows-zip: $f is not in the package" >&2; exit 1; }
done
(cd "$folder" && exec "$wine" OrvelAX9.exe) >"$run/prog.log" 2>&1 &
prog=$!

# Waits for a top-level window whose name matches $1; prints its id.
window() {
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return 0; }
    kill -0 "$prog" 2>/dev/null || { echo "check-windows-zip: the program ended early" >&2; return 1; }
    sleep 0.1
  done
  echo "check-windows-zip: no window \"$1\"" >&2
  return 1
}

box=$(window "^OrvelAX9\$")
xdotool windowfocus --sync "$box" key Return
main=$(window "^Orvel KQ3 AX9")
echo "check-windows-zip: the window is up: $(xwininfo -id "$main" | sed -n 's/.*-geometry //p')"
xdotool windowfocus --sync "$main" key alt+F4
for _ in $(seq 100); do kill -0 "$prog" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$prog" 2>/dev/null; then
  echo "check-windows-zip: the program did not end when its window was closed" >&2
  exit 1
fi
status=0
wait "$prog" || status=$?
prog=
[ "$status" -eq 0 ] || { echo "check-windows-zip: the program ended with status $status" >&2; exit 1; }
echo "check-windows-zip: OrvelAX9.exe from $(basename "$zip") started, showed its window and ended with status 0"
