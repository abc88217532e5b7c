#!/usr/bin/env bash
# Measures tarnelle.exe against the floor (bench/floor.cpp, the least a program can do for the
# same work) side by side in one Wine session, and prints the table.
#
#   bash bench/run.sh                    # the full run, about three minutes
#   bash bench/run.sh --smoke            # a handful of presses, idle 1 s: keeps the driver working
#   bash bench/run.sh --presses 20 --leak-presses 200 --idle 2 --starts 2
#   bash bench/run.sh --smoke --build build/windows   # reuse a Windows build folder
#
# Options (passed to bench_driver.exe): --presses N (per program and case), --warmup N,
# --leak-presses N (between the two memory readings), --idle S, --starts N, --smoke, --verbose.
# --build DIR builds in DIR (default build/bench). Exits with the driver's status: 0 when every
# figure was measured. Runs in the caller's Wine session if there is one (tests/rig), else in a
# private one; TARNELLE_DISPLAY_FIRST picks the first X display tried.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/.." && pwd)
cd "$root"

usage() {
  sed -n '2,14p' "$here/run.sh" | sed 's/^# \{0,1\}//'
}

args=()
build=build/bench
verbose=0
while [[ $# -gt 0 ]]; do
  case $1 in
    --build)
      if [[ $# -lt 2 ]]; then
        echo "run.sh: --build needs a folder" >&2
        exit 2
      fi
      build=$2
      shift 2
      ;;
    -h | --help)
      usage
      exit 0
      ;;
    --smoke | --verbose)
      [[ $1 == --verbose ]] && verbose=1
      args+=("$1")
      shift
      ;;
    --presses | --warmup | --leak-presses | --idle | --starts)
      if [[ $# -lt 2 || ! $2 =~ ^[0-9]+$ ]]; then
        echo "run.sh: $1 needs a number" >&2
        exit 2
      fi
      args+=("$1" "$2")
      shift 2
      ;;
    *)
      echo "run.sh: unknown option $1" >&2
      usage >&2
      exit 2
      ;;
  esac
done

if [[ -f scripts/deps.sh ]]; then
  bash scripts/deps.sh
fi

log_dir=$(mktemp -d -t tarnelle-bench.XXXXXX)
trap 'rm -rf "$log_dir"' EXIT

echo "run.sh: building tarnelle, floor and bench_driver in $build"
if [[ ! -f $build/CMakeCache.txt ]] &&
  ! cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >"$log_dir/cmake.log" 2>&1; then
  cat "$log_dir/cmake.log" >&2
  exit 2
fi
if ! cmake --build "$build" --target tarnelle floor bench_driver >"$log_dir/build.log" 2>&1; then
  cat "$log_dir/build.log" >&2
  exit 2
fi

echo "run.sh: measuring under Wine (the full run takes about three minutes)"
case $build in
  /*) BENCH_BUILD=$build ;;
  *) BENCH_BUILD=$root/$build ;;
esac
export BENCH_BUILD BENCH_LOG="$log_dir"
set +e
# Output goes to files, not pipes: the session's Wine processes inherit the driver's handles.
# shellcheck disable=SC2016  # expanded by the inner shell, inside the session
tests/rig/with-wine.sh bash -c '
  windows_path() { winepath -w "$1" 2>/dev/null || echo "Z:${1//\//\\}"; }
  wine "$BENCH_BUILD/bench/bench_driver.exe" \
    --tarnelle "$(windows_path "$BENCH_BUILD/tarnelle.exe")" \
    --floor "$(windows_path "$BENCH_BUILD/bench/floor.exe")" "$@" \
    >"$BENCH_LOG/table.txt" 2>"$BENCH_LOG/driver.log"
' bench "${args[@]}"
rc=$?
set -e

echo
# Where the figures come from: they mean little without the machine they were taken on.
cpu_model=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo 2>/dev/null | head -n 1)
echo "machine: $(nproc) CPUs, ${cpu_model:-unknown CPU}, $(wine --version 2>/dev/null || echo 'Wine ?'), $(date -u '+%Y-%m-%d %H:%M UTC')"
cat "$log_dir/table.txt"
if [[ $rc -ne 0 ]]; then
  echo "run.sh: the driver ended with status $rc; its log:" >&2
  grep -v ':fixme:' "$log_dir/driver.log" >&2 || true
elif [[ $verbose == 1 ]]; then
  echo
  grep -v ':fixme:' "$log_dir/driver.log" || true
fi
exit "$rc"
