#!/usr/bin/env bash
# The test command. On a fresh Debian 12 machine, as root or with sudo, no display needed:
#   bash scripts/test.sh
# It installs what is missing, builds the native tests (Debug, AddressSanitizer + UBSan) and the
# Windows programs (Release, MinGW-w64) side by side while a private Wine session comes up, checks
# tarnelle.exe's PE file, runs the native tests, then in the session the Windows test program
# (twice: everything but the log-off case, then that case alone in a process that owns no window)
# and one smoke run of the benchmark. Beside them it builds the fuzz targets (clang, natively) and
# runs each for a few seconds, and builds the program and the native tests with clang for Windows:
# that tarnelle.exe has its PE file checked, those tests run under Wine. It prints a summary
# (passed, failed and skipped per layer; a skipped test counts as failed), the time of each stage,
# the size of the tests against the program, and last "N passed, N failed". Logs stay in
# build/logs.
#
# TARNELLE_DISPLAY_FIRST: the first X display tried for the session (scripts/wine-session.sh).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
logs=build/logs
rm -rf "$logs"
mkdir -p "$logs"
passed=0
failed=0
summary=()
times=()

stage() {  # stage NAME COMMAND...: runs it and remembers how long it took
  local name=$1 start=$SECONDS rc
  shift
  "$@"
  rc=$?
  times+=("$(printf '%-14s %4ss' "$name" $((SECONDS - start)))")
  return "$rc"
}

record() {  # record LAYER PASSED FAILED SKIPPED [NOTE]
  passed=$((passed + $2))
  failed=$((failed + $3 + $4))
  summary+=("$(printf '%-8s %4d passed %4d failed %4d skipped  %s' "$1" "$2" "$3" "$4" "${5:-}")")
}

# Counts a GoogleTest log; a run that ended without its summary, or with a non-zero status and no
# failure in the log, counts one failure more.
record_gtest() {  # record_gtest LAYER LOG STATUS
  local ok bad skip
  # Wine ends each line of a Windows program with a carriage return.
  ok=$(grep -c '^\[       OK \]' "$2")
  bad=$(grep -c $'^\\[  FAILED  \\] .*(.* ms)\r\\?$' "$2")
  skip=$(grep -c $'^\\[  SKIPPED \\] .*(.* ms)\r\\?$' "$2")
  if ! grep -q '^\[==========\] .* ran\.' "$2" || [[ $3 -ne 0 && $bad -eq 0 ]]; then
    record "$1" "$ok" $((bad + 1)) "$skip" "ended with status $3"
  else
    record "$1" "$ok" "$bad" "$skip"
  fi
}

pe_check() {  # pe_check LAYER EXE: the PE checks of one build's program
  echo "== PE check ($1)"
  bash scripts/check-pe.sh "$2" gui | tee "$logs/$1.txt"
  record "$1" "$(grep -c '^ok ' "$logs/$1.txt")" "$(grep -c '^not ok ' "$logs/$1.txt")" 0
}

echo "== dependencies"
if ! stage deps bash scripts/deps.sh; then
  echo "0 passed, 1 failed"
  exit 1
fi

echo "== builds, and the Wine session meanwhile"
(cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNELLE_SANITIZE=ON &&
  cmake --build build/native) >"$logs/native-build.txt" 2>&1 &
native_build=$!
(cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake && cmake --build build/windows) \
  >"$logs/windows-build.txt" 2>&1 &
windows_build=$!
(cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DTARNELLE_FUZZ=ON -DTARNELLE_SANITIZE=ON && cmake --build build/fuzz) \
  >"$logs/fuzz-build.txt" 2>&1 &
fuzz_build=$!
(cmake -S . -B build/clang -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-w64-x86_64.cmake -DTARNELLE_BUILD_BENCH=OFF \
  -DTARNELLE_NATIVE_TESTS_ONLY=ON && cmake --build build/clang) >"$logs/clang-build.txt" 2>&1 &
clang_build=$!
trap 'kill "$native_build" "$windows_build" "$fuzz_build" "$clang_build" 2>/dev/null; exit 130' INT TERM
# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh
stage session wine_session_start >"$logs/session.txt" 2>&1
session=$?
stage builds wait "$native_build"
native_ok=$?
wait "$windows_build"
windows_ok=$?
stage fuzz-build wait "$fuzz_build"
fuzz_ok=$?
stage clang-build wait "$clang_build"
clang_ok=$?
trap - INT TERM

if [[ $native_ok -eq 0 ]]; then
  echo "== native tests"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    stage native timeout 300 build/native/tests/tarnelle_native_tests >"$logs/native.txt" 2>&1
  rc=$?
  cat "$logs/native.txt"
  record_gtest native "$logs/native.txt" "$rc"
else
  tail -n 30 "$logs/native-build.txt"
  record native 0 1 0 "the build failed"
fi

# Each fuzz target for a few seconds from its seeds; what it finds goes to build/fuzz/found, not to
# the seeds, and the input of a crash to the logs. A crash, a hang or a run without libFuzzer's
# closing "Done N runs" counts as a failed target.
fuzz_seconds=5
fuzz_all() {
  local target name runs rc ok=0 bad=0 note=
  for target in build/fuzz/tests/fuzz/fuzz_*; do
    name=${target##*/fuzz_}
    rm -rf "build/fuzz/found/$name"
    mkdir -p "build/fuzz/found/$name"
    timeout $((fuzz_seconds + 60)) "$target" "build/fuzz/found/$name" "tests/fuzz/corpus/$name" \
      -max_total_time=$fuzz_seconds -timeout=10 -artifact_prefix="$logs/fuzz-$name-" >"$logs/fuzz-$name.txt" 2>&1
    rc=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$logs/fuzz-$name.txt")
    if [[ $rc -eq 0 && -n $runs ]]; then
      ok=$((ok + 1))
      note+="${note:+, }$name $runs runs"
    else
      sed -n '/not so:\|ERROR:/,/^SUMMARY/p' "$logs/fuzz-$name.txt" | head -n 40
      grep 'Test unit written' "$logs/fuzz-$name.txt"
      bad=$((bad + 1))
      note+="${note:+, }$name failed"
    fi
    echo "$name: ${runs:-no} runs in ${fuzz_seconds}s, status $rc"
  done
  record fuzz "$ok" "$bad" 0 "$note"
}
if [[ $fuzz_ok -eq 0 ]]; then
  echo "== fuzzing, ${fuzz_seconds}s a target"
  stage fuzz fuzz_all
else
  tail -n 30 "$logs/fuzz-build.txt"
  record fuzz 0 1 0 "the build failed"
fi

if [[ $windows_ok -ne 0 ]]; then
  tail -n 30 "$logs/windows-build.txt"
  record windows 0 1 0 "the build failed"
else
  pe_check pe build/windows/tarnelle.exe
  if [[ $session -ne 0 ]]; then
    cat "$logs/session.txt"
    record windows 0 1 0 "the Wine session did not start"
  else
    # Output goes to files, not pipes: the programs the tests start inherit the handles.
    echo "== Windows tests (display $DISPLAY)"
    stage windows timeout 900 wine build/windows/tests/tarnelle_tests.exe --gtest_filter=-*LoggingOff* \
      >"$logs/windows.txt" 2>&1
    rc=$?
    grep -v ':fixme:' "$logs/windows.txt"
    record_gtest windows "$logs/windows.txt" "$rc"
    echo "== benchmark, smoke run"
    stage bench timeout 300 bash bench/run.sh --smoke --build build/windows >"$logs/bench.txt" 2>&1
    rc=$?
    cat "$logs/bench.txt"
    if [[ $rc -eq 0 ]]; then record bench 1 0 0; else record bench 0 1 0 "status $rc"; fi
    echo "== Windows tests: the log-off"
    stage logoff timeout 300 wine build/windows/tests/tarnelle_tests.exe --gtest_filter=*LoggingOff* \
      >"$logs/logoff.txt" 2>&1
    rc=$?
    grep -v ':fixme:' "$logs/logoff.txt"
    record_gtest logoff "$logs/logoff.txt" "$rc"
  fi
fi
# The second compiler's tarnelle.exe, and its Windows build of the native tests, where wchar_t is
# 16 bits.
if [[ $clang_ok -ne 0 ]]; then
  tail -n 30 "$logs/clang-build.txt"
  record clang 0 1 0 "the build failed"
else
  pe_check clang-pe build/clang/tarnelle.exe
  if [[ $session -ne 0 ]]; then
    record clang 0 1 0 "the Wine session did not start"
  else
    echo "== native tests, clang's Windows build, under Wine"
    stage clang timeout 300 wine build/clang/tests/tarnelle_native_tests.exe >"$logs/clang.txt" 2>&1
    rc=$?
    grep -v ':fixme:' "$logs/clang.txt"
    record_gtest clang "$logs/clang.txt" "$rc"
  fi
fi
wine_session_stop

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
echo "time per stage:"
printf '  %s\n' "${times[@]}"
bash scripts/test-figure.sh
echo
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
