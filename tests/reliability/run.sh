#!/usr/bin/env bash
# Runs the reliability suite: the real tarnelle.exe under Wine, through bad settings, faults and
# load (tests/reliability/*_test.cpp).
#
#   TARNELLE_BUILD=build/windows bash tests/reliability/run.sh [extra GoogleTest arguments]
#
# TARNELLE_BUILD is the Windows build folder (default build/windows). With DISPLAY and WINEPREFIX
# set (a session prepared by tests/rig/wine-session.sh, as scripts/test.sh does) the suite runs in
# that session; without them it starts a private one with tests/rig/with-wine.sh and ends it after.
# Two runs: everything but the log-off case, then the log-off case alone (it needs a test process
# that owns no window; extra arguments go to the first run only). Each run's output goes to a file
# in TARNELLE_RELIABILITY_LOGS (default: the suite's build folder), which is then printed.
# TARNELLE_RELIABILITY_TIMEOUT (seconds, default 1800) stops a run that hangs; it counts as failed.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${TARNELLE_BUILD:-$root/build/windows}
if ! build=$(cd "$build" 2>/dev/null && pwd); then
  echo "reliability: no build folder ${TARNELLE_BUILD:-$root/build/windows}" >&2
  exit 1
fi
exe=$build/tests/reliability/tarnelle_reliability_tests.exe
if [[ ! -f $exe || ! -f $build/tarnelle.exe ]]; then
  echo "reliability: build $exe and $build/tarnelle.exe first" >&2
  exit 1
fi

if [[ -z ${DISPLAY:-} || -z ${WINEPREFIX:-} ]]; then
  if [[ -n ${_TARNELLE_RELIABILITY_SESSION:-} ]]; then
    echo "reliability: the private Wine session did not set DISPLAY and WINEPREFIX" >&2
    exit 1
  fi
  _TARNELLE_RELIABILITY_SESSION=1 TARNELLE_BUILD=$build exec "$root/tests/rig/with-wine.sh" bash "$here/run.sh" "$@"
fi

logs=${TARNELLE_RELIABILITY_LOGS:-$build/tests/reliability}
mkdir -p "$logs"
limit=${TARNELLE_RELIABILITY_TIMEOUT:-1800}

# A run in the background under a time limit, so that INT and TERM reach it at once.
run_pid=
trap '[[ -z $run_pid ]] || kill -TERM "$run_pid" 2>/dev/null; exit 130' INT
trap '[[ -z $run_pid ]] || kill -TERM "$run_pid" 2>/dev/null; exit 143' TERM
run() {  # run LOG GTEST-ARGS...
  local log=$1 rc
  shift
  # The working folder takes the pictures the harness saves of failures.
  (cd "$logs" && exec timeout -k 30 "$limit" wine "$exe" "$@") >"$log" 2>&1 &
  run_pid=$!
  wait "$run_pid"
  rc=$?
  run_pid=
  cat "$log"
  echo "(log: $log)"
  if [[ $rc -eq 124 ]]; then
    echo "reliability: stopped after ${limit}s"
  fi
  return "$rc"
}

status=0
run "$logs/reliability-main.txt" --gtest_filter='-EndSession.*' "$@" || status=1
run "$logs/reliability-session.txt" --gtest_filter='EndSession.*' || status=1

# What was tried, over both runs.
read -r inputs faults presses < <(
  cat "$logs/reliability-main.txt" "$logs/reliability-session.txt" | tr -d '\r' |
    sed -n 's/^reliability: tried \([0-9]*\) bad inputs, \([0-9]*\) faults, \([0-9]*\) hotkey presses$/\1 \2 \3/p' |
    awk '{ i += $1; f += $2; p += $3 } END { print i + 0, f + 0, p + 0 }'
)
echo
echo "reliability: tried $inputs bad inputs, $faults faults, $presses hotkey presses in all"
exit "$status"
