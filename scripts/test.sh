#!/usr/bin/env bash
# The test command. On a fresh Debian 12 machine, as root or with sudo, no display needed:
#   bash scripts/test.sh
# Layers, in order:
#   rig     the checks this script relies on (tests/rig/selftest.sh)
#   native  tests/native on the host compiler, Debug, AddressSanitizer + UBSan, through ctest
#   pe      the Windows programs (Release, MinGW-w64): 64-bit, subsystem, system DLLs only,
#           ASLR/DEP/high-entropy VA
#   session the private Wine session (Xvfb + throwaway prefix) is what the Wine tests expect
#   wine    tarnelle_wine_tests.exe in that session
#   e2e     tests/e2e/run.sh, if present, in the same session
#   reliability  tests/reliability/run.sh, if present, in the same session
#   bench   bench/run.sh --smoke, once, to keep the benchmark working
#   fuzz    tests/fuzz/run.sh 5, if present
# Build folders: build/native, build/windows, build/fuzz; logs in build/logs. Ends with the line
# "N passed, N failed"; exits non-zero if anything failed or the Wine tests did not run.
#
# Environment: TARNELLE_WINE_TIMEOUT, TARNELLE_E2E_TIMEOUT, TARNELLE_FUZZ_TIMEOUT (seconds; a
# layer that runs longer is stopped and counts as failed), TARNELLE_DISPLAY_FIRST (see
# tests/rig/wine-session.sh).
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
native_build=$root/build/native
windows_build=$root/build/windows
logs=$root/build/logs
rm -rf "$logs"
mkdir -p "$logs"

total_passed=0
total_failed=0
summary=()
stage_times=()
wine_ran=0

# Long layers run in the background under a time limit, so that INT and TERM sent to this script
# stop them at once (a shell runs its traps only after a foreground command ends). timeout puts
# the layer in a process group of its own and passes the signal on to all of it.
layer_pid=
trap '[[ -z $layer_pid ]] || kill -TERM "$layer_pid" 2>/dev/null; exit 130' INT
trap '[[ -z $layer_pid ]] || kill -TERM "$layer_pid" 2>/dev/null; exit 143' TERM
bounded() {  # bounded SECONDS COMMAND...; status 124 when the time ran out
  local limit=$1 rc
  shift
  timeout -k 30 "$limit" "$@" &
  layer_pid=$!
  wait "$layer_pid"
  rc=$?
  layer_pid=
  return "$rc"
}

banner() { printf '\n===== %s =====\n' "$*"; }

now() { date +%s; }

# Runs a named stage and remembers how long it took.
timed() {
  local name=$1 start rc
  shift
  start=$(now)
  "$@"
  rc=$?
  stage_times+=("$(printf '%-16s %5ss' "$name" "$(($(now) - start))")")
  return "$rc"
}

# Adds a layer's counts to the summary: layer, passed, failed, skipped, note.
record() {
  local layer=$1 passed=$2 failed=$3 skipped=$4 note=${5:-}
  total_passed=$((total_passed + passed))
  total_failed=$((total_failed + failed))
  summary+=("$(printf '%-8s %6d passed %6d failed %6d skipped  %s' "$layer" "$passed" "$failed" "$skipped" "$note")")
}

# Counts a layer's log (see tests/rig/count-results.sh); a non-zero exit status with no failure
# in the log still counts as one failure.
record_log() {
  local layer=$1 log=$2 rc=$3 note=${4:-}
  local passed failed skipped runs incomplete
  read -r passed failed skipped runs incomplete < <(tests/rig/count-results.sh "$log")
  if [[ $runs -eq 0 ]]; then
    # No test report at all: the layer counts as one test, decided by its exit status.
    if [[ $rc -eq 0 ]]; then passed=1; else failed=1; fi
    note="${note:+$note; }no test report in the log"
  elif [[ $rc -ne 0 && $failed -eq 0 ]]; then
    failed=1
    note="${note:+$note; }exit status $rc"
  fi
  [[ $incomplete -eq 0 ]] || note="${note:+$note; }$incomplete run(s) ended early"
  record "$layer" "$passed" "$failed" "$skipped" "$note"
}

show() {
  cat "$1"
  echo "(log: ${1#"$root"/})"
}

# ---------------------------------------------------------------------------------------------
banner "dependencies"
if ! timed deps bash scripts/deps.sh; then
  echo "scripts/deps.sh failed; nothing can be built"
  echo "0 passed, 1 failed"
  exit 1
fi

banner "rig self-test"
timed rig bash tests/rig/selftest.sh >"$logs/rig.txt" 2>&1
rc=$?
show "$logs/rig.txt"
record_log rig "$logs/rig.txt" "$rc"

# ---------------------------------------------------------------------------------------------
banner "native build (Debug, sanitizers)"
build_native() {
  cmake -S . -B "$native_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARNELLE_SANITIZE=ON &&
    cmake --build "$native_build"
}
if timed native-build build_native; then
  banner "native tests"
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
  timed native-tests bounded 900 ctest --test-dir "$native_build" -V --timeout 600 >"$logs/native.txt" 2>&1
  rc=$?
  show "$logs/native.txt"
  record_log native "$logs/native.txt" "$rc"
else
  record native 0 1 0 "build failed"
fi

# ---------------------------------------------------------------------------------------------
banner "Windows build (Release, MinGW-w64)"
# The program and its Wine tests first, so that a break in another target (the end-to-end suite,
# the benchmark) does not hold back the layers that do not need it.
build_windows() {
  cmake -S . -B "$windows_build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake &&
    cmake --build "$windows_build" --target tarnelle tarnelle_wine_tests
}
windows_ok=0
windows_rest_ok=0
if timed windows-build build_windows; then
  windows_ok=1
  banner "Windows build, other targets"
  if timed windows-rest cmake --build "$windows_build"; then
    windows_rest_ok=1
  else
    record windows 0 1 0 "build of the other targets failed"
  fi
else
  record windows 0 1 0 "build failed"
fi

if [[ $windows_ok == 1 ]]; then
  banner "PE checks"
  check_pe() {
    local status=0
    tests/rig/check-pe.sh "$windows_build/tarnelle.exe" gui || status=1
    tests/rig/check-pe.sh "$windows_build/tarnelle_wine_tests.exe" console || status=1
    return "$status"
  }
  timed pe check_pe >"$logs/pe.txt" 2>&1
  show "$logs/pe.txt"
  record pe "$(grep -c '^ok ' "$logs/pe.txt")" "$(grep -c '^not ok ' "$logs/pe.txt")" 0
fi

# ---------------------------------------------------------------------------------------------
if [[ $windows_ok == 1 && -f $windows_build/tarnelle_wine_tests.exe ]]; then
  banner "Wine session"
  # shellcheck source=tests/rig/wine-session.sh
  source tests/rig/wine-session.sh
  if timed wine-session wine_session_start; then
    echo "display $DISPLAY, prefix $WINEPREFIX"

    # What the Wine tests take for granted: the desktop, its taskbar, the fonts.
    probe_session() {
      local cxx=x86_64-w64-mingw32-g++-posix
      command -v "$cxx" >/dev/null || cxx=x86_64-w64-mingw32-g++
      mkdir -p "$windows_build/rig" &&
        "$cxx" -std=c++20 -O1 -municode -static -Wall -Wextra -Wpedantic -Wconversion -Wshadow -Werror \
          -DUNICODE -D_UNICODE tests/rig/session_probe.cpp -o "$windows_build/rig/session_probe.exe" \
          -lgdi32 -lshell32 &&
        bounded 120 wine "$windows_build/rig/session_probe.exe"
    }
    timed session-probe probe_session >"$logs/session.txt" 2>&1
    rc=$?
    show "$logs/session.txt"
    passed=$(grep -c '^ok ' "$logs/session.txt")
    failed=$(grep -c '^not ok ' "$logs/session.txt")
    [[ $rc -ne 0 && $failed -eq 0 ]] && failed=1
    record session "$passed" "$failed" 0

    banner "Wine tests"
    # Output goes to a file: a pipe would stay open as long as any program the tests start.
    timed wine-tests bounded "${TARNELLE_WINE_TIMEOUT:-1800}" env -C "$windows_build" \
      wine tarnelle_wine_tests.exe >"$logs/wine.txt" 2>&1
    rc=$?
    # Start the next layer on a quiet desktop.
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w
    show "$logs/wine.txt"
    read -r _ _ _ runs _ < <(tests/rig/count-results.sh "$logs/wine.txt")
    [[ $runs -gt 0 ]] && wine_ran=1
    note=
    [[ $rc -eq 124 ]] && note="stopped after ${TARNELLE_WINE_TIMEOUT:-1800}s"
    record_log wine "$logs/wine.txt" "$rc" "$note"

    # The suites that drive the real program get the session ready-made: DISPLAY and
    # WINEPREFIX (with WINEDEBUG and WINEDLLOVERRIDES) exported, TARNELLE_BUILD the Windows
    # build folder.
    for suite in e2e:tests/e2e/run.sh reliability:tests/reliability/run.sh; do
      name=${suite%%:*}
      script=${suite#*:}
      [[ -f $script ]] || continue
      if [[ $windows_rest_ok == 0 ]]; then
        # Whatever the suite would find in the build folder is older than its sources.
        record "$name" 0 1 0 "not run: the Windows build failed"
        continue
      fi
      banner "$name tests"
      TARNELLE_BUILD=$windows_build TARNELLE_SOURCE=$root \
        timed "$name" bounded "${TARNELLE_E2E_TIMEOUT:-1800}" bash "$script" >"$logs/$name.txt" 2>&1
      rc=$?
      wineserver -k >/dev/null 2>&1
      timeout 30 wineserver -w
      show "$logs/$name.txt"
      note=
      [[ $rc -eq 124 ]] && note="stopped after ${TARNELLE_E2E_TIMEOUT:-1800}s"
      record_log "$name" "$logs/$name.txt" "$rc" "$note"
    done
    if [[ -f bench/run.sh && $windows_rest_ok == 1 ]]; then
      # Once, with a handful of presses, so that the benchmark keeps working; no figure is judged.
      banner "benchmark smoke run"
      timed bench bounded 600 bash bench/run.sh --smoke --build "$windows_build" >"$logs/bench.txt" 2>&1
      rc=$?
      wineserver -k >/dev/null 2>&1
      timeout 30 wineserver -w
      show "$logs/bench.txt"
      if [[ $rc -eq 0 ]]; then record bench 1 0 0 ""; else record bench 0 1 0 "the smoke run failed"; fi
    fi
    wine_session_stop
  else
    record wine 0 1 0 "the Wine session did not start"
  fi
else
  record wine 0 1 0 "tarnelle_wine_tests.exe was not built"
fi

# ---------------------------------------------------------------------------------------------
if [[ -f tests/fuzz/run.sh ]]; then
  banner "fuzzing"
  TARNELLE_FUZZ_BUILD=$root/build/fuzz \
    timed fuzz bounded "${TARNELLE_FUZZ_TIMEOUT:-900}" bash tests/fuzz/run.sh 5 >"$logs/fuzz.txt" 2>&1
  rc=$?
  show "$logs/fuzz.txt"
  read -r _ _ _ runs _ < <(tests/rig/count-results.sh "$logs/fuzz.txt")
  fuzzers=$(grep -c '^== fuzz_' "$logs/fuzz.txt")
  if [[ $runs -eq 0 && $fuzzers -gt 0 ]]; then
    # One test per fuzzer: "== fuzz_NAME for Ns" starts it, "fuzz_NAME failed" reports a find.
    found=$(grep -c '^fuzz_[A-Za-z0-9_]* failed' "$logs/fuzz.txt")
    [[ $rc -ne 0 && $found -eq 0 ]] && found=1
    record fuzz "$((fuzzers - found < 0 ? 0 : fuzzers - found))" "$found" 0
  else
    record_log fuzz "$logs/fuzz.txt" "$rc"
  fi
fi

# ---------------------------------------------------------------------------------------------
banner "summary"
printf '%s\n' "${summary[@]}"
echo
echo "time per stage:"
printf '  %s\n' "${stage_times[@]}"
if [[ $wine_ran == 0 ]]; then
  echo "the Wine tests did not run"
fi
echo
echo "$total_passed passed, $total_failed failed"
[[ $total_failed -eq 0 && $wine_ran == 1 ]]
