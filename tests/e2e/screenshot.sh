#!/usr/bin/env bash
# Saves a picture of the running main window as docs/screenshot.png (for the README): the
# program is started with a few hotkeys set and one of them switched on.
#
#   TARNELLE_BUILD=build-win tests/e2e/screenshot.sh [OUT.png]
#
# Uses the Wine session named by DISPLAY and WINEPREFIX, or makes one (tests/rig/with-wine.sh).
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/../.." && pwd)
out=${1:-$repo/docs/screenshot.png}

if [[ -z ${TARNELLE_BUILD:-} ]] || ! build=$(cd "$TARNELLE_BUILD" 2>/dev/null && pwd); then
  echo "screenshot.sh: set TARNELLE_BUILD to the Windows build folder" >&2
  exit 2
fi
tests_exe=$build/tests/e2e/tarnelle_e2e_tests.exe
if [[ ! -f $tests_exe || ! -f $build/tarnelle.exe ]]; then
  echo "screenshot.sh: build the Windows folder first" >&2
  exit 2
fi
if [[ -z ${DISPLAY:-} || -z ${WINEPREFIX:-} ]]; then
  TARNELLE_BUILD=$build exec bash "$repo/tests/rig/with-wine.sh" bash "$here/screenshot.sh" "$@"
fi

export WINEDEBUG=${WINEDEBUG:--all}
TARNELLE_EXE=$(winepath -w "$build/tarnelle.exe" 2>/dev/null | tr -d '\r')
# The tests move the X pointer with xdotool when it is there (see MoveMouseTo in harness.cpp).
TARNELLE_XDOTOOL=
if command -v xdotool >/dev/null; then
  TARNELLE_XDOTOOL=$(winepath -w "$(command -v xdotool)" 2>/dev/null | tr -d '\r')
fi
export TARNELLE_XDOTOOL
export TARNELLE_EXE
work=$(mktemp -d -t tarnelle-shot.XXXXXX)
trap 'rm -rf "$work"' EXIT
bmp=$(winepath -w "$work/window.bmp" 2>/dev/null | tr -d '\r')
if ! (cd "$work" && wine "$tests_exe" "--screenshot=$bmp" >"$work/log.txt" 2>&1); then
  cat "$work/log.txt" >&2
  echo "screenshot.sh: no picture taken" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
convert "$work/window.bmp" "png:$out" && echo "screenshot.sh: wrote $out"
