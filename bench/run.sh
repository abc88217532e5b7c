#!/usr/bin/env bash
# Measures tarnelle.exe against the floor (bench/floor.cpp, the least code that shows the same
# window and does the same work) side by side in one Wine session, and prints the table.
#
#   bash bench/run.sh                              # the full run, a few minutes
#   bash bench/run.sh --smoke                      # a handful of presses, 1 s idle: keeps it working
#   bash bench/run.sh --presses 50 --leak-presses 1000 --idle 5 --starts 5
#   bash bench/run.sh --smoke --build build/windows   # reuse a Windows build folder
#
# Every option but --build goes to bench.exe. It builds in build/bench by default, runs in the
# caller's Wine session if there is one (scripts/wine-session.sh), else in a private one, and
# exits with bench.exe's status: 0 when every figure was measured.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
build=build/bench
args=()
while [[ $# -gt 0 ]]; do
  if [[ $1 == --build && $# -ge 2 ]]; then
    build=$2
    shift 2
  else
    args+=("$1")
    shift
  fi
done

[[ -n ${TARNELLE_SESSION_DIR:-} ]] || bash scripts/deps.sh
log=$(mktemp -t tarnelle-bench.XXXXXX)
trap 'rm -f "$log"' EXIT
if ! { [[ -f $build/CMakeCache.txt ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTARNELLE_BUILD_TESTS=OFF -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake; } >"$log" 2>&1 ||
  ! cmake --build "$build" --target bench >>"$log" 2>&1; then
  cat "$log" >&2
  exit 2
fi

# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
wine_session_start
# The figures mean little without the machine they were taken on.
echo "machine: $(nproc) CPUs, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
  "$(wine --version), load $(cut -d ' ' -f 1-3 /proc/loadavg), $(date -u '+%Y-%m-%d %H:%M UTC')"
# A file, not a pipe: the programs bench.exe starts inherit its handles.
set +e
wine "$build/bench/bench.exe" "${args[@]}" >"$log" 2>&1
rc=$?
set -e
grep -v ':fixme:' "$log"
exit "$rc"
