#!/usr/bin/env bash
# Runs the end-to-end tests: tarnelle_e2e_tests.exe starts the real tarnelle.exe under Wine and
# drives it with real input. Builds nothing; the caller has built the Windows build folder.
#
#   TARNELLE_BUILD=build-win tests/e2e/run.sh [--screenshot] [GTEST ARGS...]
#
# DISPLAY and WINEPREFIX name a prepared Wine session (a desktop with a taskbar, see
# tests/rig/with-wine.sh); when they are not set, the script runs itself inside that fixture.
# --screenshot also refreshes docs/screenshot.png (tests/e2e/screenshot.sh).
# Each pass's output is kept in <build>/tests/e2e/e2e-<pass>.txt and printed, with the screen of
# every failed test beside it (failed-<test>.bmp); the exit code is the tests' result.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)

if [[ -z ${TARNELLE_BUILD:-} ]]; then
  echo "run.sh: set TARNELLE_BUILD to the Windows build folder" >&2
  exit 2
fi
if ! build=$(cd "$TARNELLE_BUILD" 2>/dev/null && pwd); then
  echo "run.sh: no folder $TARNELLE_BUILD" >&2
  exit 2
fi
tests_exe=$build/tests/e2e/tarnelle_e2e_tests.exe
for needed in "$tests_exe" "$build/tests/e2e/url_recorder.exe" "$build/tarnelle.exe"; do
  if [[ ! -f $needed ]]; then
    echo "run.sh: $needed is missing; build the Windows folder first" >&2
    exit 2
  fi
done

if [[ -z ${DISPLAY:-} || -z ${WINEPREFIX:-} ]]; then
  fixture=$repo/tests/rig/with-wine.sh
  if [[ ! -f $fixture ]]; then
    echo "run.sh: DISPLAY and WINEPREFIX are not set, and there is no $fixture to make a session" >&2
    exit 2
  fi
  TARNELLE_BUILD=$build exec bash "$fixture" bash "$here/run.sh" "$@"
fi

screenshot=0
args=()
filtered=0
for arg in "$@"; do
  case $arg in
    --screenshot) screenshot=1 ;;
    --gtest_filter=*) filtered=1; args+=("$arg") ;;
    *) args+=("$arg") ;;
  esac
done

export WINEDEBUG=${WINEDEBUG:--all}
# The program under test, and the host's wine for the stand-in browser (Wine's browser launcher
# starts host programs).
TARNELLE_EXE=$(winepath -w "$build/tarnelle.exe" 2>/dev/null | tr -d '\r')
# The tests move the X pointer with xdotool when it is there (see MoveMouseTo in harness.cpp).
TARNELLE_XDOTOOL=
if command -v xdotool >/dev/null; then
  TARNELLE_XDOTOOL=$(winepath -w "$(command -v xdotool)" 2>/dev/null | tr -d '\r')
fi
export TARNELLE_XDOTOOL
TARNELLE_WINE=$(command -v wine)
export TARNELLE_EXE TARNELLE_WINE

out_dir=$build/tests/e2e
# A failed test leaves the screen as it was in failed-<test>.bmp; start without old ones.
rm -f "$out_dir"/failed-*.bmp
run_pass() {
  local name=$1
  shift
  local out=$out_dir/e2e-$name.txt
  echo "== e2e pass: $name"
  # Files, not pipes: the programs the tests start inherit the output handles.
  (cd "$out_dir" && wine "$tests_exe" "$@" >"$out" 2>&1)
  local rc=$?
  cat "$out"
  return "$rc"
}

result=0
if ((filtered)); then
  run_pass custom "${args[@]}" || result=1
else
  # Logging off ends every process that has windows, the tests' own included; that test gets a
  # test process of its own that never makes one.
  run_pass main "${args[@]}" --gtest_filter=-EndSession.* || result=1
  run_pass session "${args[@]}" --gtest_filter=EndSession.* || result=1
fi

if ((screenshot)); then
  bash "$here/screenshot.sh" || result=1
fi
exit "$result"
