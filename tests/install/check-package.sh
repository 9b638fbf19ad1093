#!/usr/bin/env bash
# Checks what a user installs: the Debian package's files and dependencies, the desktop
# files and the package itself against Debian's validators, and the installed program
# running against the installed simulator (the end-to-end test that compares the screen
# with the readings sent, run on the installed executables).
#   tests/install/check-package.sh DEB BUILD E2E_TEST
#     DEB        the package (dist/orvelax9_<version>_<arch>.deb)
#     BUILD      the build folder the package was made from (installed again, under a
#                temporary prefix, with cmake --install)
#     E2E_TEST   the end-to-end test program of a test build
set -uo pipefail
deb=$(realpath "$1") build=$(realpath "$2") e2e=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
passed=0 failed=0
check() {  # name, then the command; its output is shown only when it fails
  local name=$1
  shift
  if "$@" >"$tmp/out" 2>&1; then
    passed=$((passed + 1)); echo "ok      $name"
  else
    failed=$((failed + 1)); echo "FAILED  $name"; sed 's/^/        /' "$tmp/out"
  fi
}

dpkg-deb -x "$deb" "$tmp/deb"
files() { (cd "$tmp/deb" && find . -type f -o -type l | sort); }
check "the package holds exactly the expected files" diff -u "$here/expected-files.txt" <(files)
check "the executables are executable" test -x "$tmp/deb/usr/bin/OrvelAX9" -a -x "$tmp/deb/usr/bin/orvelax9-sim"
depends=$(dpkg-deb -f "$deb" Depends)
has_dependency() { grep -Eq "(^|, )$1( |,|$)" <<<"$depends" || { echo "Depends: $depends"; return 1; }; }
for d in libc6 libsdl2-2.0-0 libfreetype6 libfontconfig1 libjpeg62-turbo libx11-6 fonts-liberation2; do
  check "the package depends on $d" has_dependency "$d"
done
check "the desktop entry is valid" desktop-file-validate "$tmp/deb/usr/share/applications/example.orvel.OrvelAX9.desktop"
check "the metainfo is valid" appstreamcli validate --no-net "$tmp/deb/usr/share/metainfo/example.orvel.OrvelAX9.metainfo.xml"
check "the manual pages read without errors" bash -c \
  "for p in '$tmp'/deb/usr/share/man/man1/*.gz; do LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l \"\$p\" 2>&1 >/dev/null | grep . && exit 1; done; exit 0"
# lintian's errors and warnings fail the check; its notes are only shown.
lintian_clean() { lintian --suppress-tags running-with-root-privileges "$deb" | tee /dev/stderr | grep -Eq '^[EW]:' && return 1 || return 0; }
check "lintian reports no errors or warnings" lintian_clean

prefix=$tmp/prefix
check "cmake --install into a temporary prefix" cmake --install "$build" --prefix "$prefix"
installed_program_runs() {  # the test must really run: a skipped one (no X server) fails here
  env ORVEL_PROGRAM="$prefix/bin/OrvelAX9" ORVEL_SIMULATOR="$prefix/bin/orvelax9-sim" \
    "$e2e" --gtest_filter='ProgramWithSimulator.TheScreenShowsTheLastReadingsTheSimulatorSent' | tee "$tmp/e2e"
  grep -q '^\[  PASSED  \] 1 test' "$tmp/e2e" && ! grep -q SKIPPED "$tmp/e2e"
}
check "the installed program shows the readings the installed simulator sends" installed_program_runs

echo "install: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
