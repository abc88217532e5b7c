#!/bin/sh
# Builds the fuzzers with clang in a build folder of their own and runs each one for the given
# number of seconds (default 10); exits non-zero when a fuzzer finds a fault.
#
#   tests/fuzz/run.sh            # quick check, 10 seconds each
#   tests/fuzz/run.sh 1800       # a longer search, half an hour each
#
# The corpus grows in <build>/corpus/<fuzzer> and is kept between runs; a failing input is
# written to <build>/artifacts/. Set TARNELLE_FUZZ_BUILD to use another build folder, and
# TARNELLE_FUZZ_JOBS to run several processes per fuzzer in a long search.
set -eu

seconds=${1:-10}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${TARNELLE_FUZZ_BUILD:-$root/build-fuzz}
jobs=${TARNELLE_FUZZ_JOBS:-1}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C "$build" fuzz_key_capture fuzz_parse_decimal

status=0
cd "$build"  # libFuzzer writes its job logs to the working folder
for fuzzer in key_capture parse_decimal; do
  corpus=$build/corpus/$fuzzer
  artifacts=$build/artifacts/$fuzzer/
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz_$fuzzer for ${seconds}s"
  if [ "$jobs" -gt 1 ]; then
    set -- -jobs="$jobs" -workers="$jobs"
  else
    set --
  fi
  if ! "$build/tests/fuzz/fuzz_$fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$artifacts" "$@" "$corpus"; then
    echo "fuzz_$fuzzer failed; the input is in $artifacts" >&2
    status=1
  fi
done
exit $status
