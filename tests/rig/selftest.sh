#!/usr/bin/env bash
# Checks the checkers scripts/test.sh relies on: the result counter must see every failure,
# crash and missing report, and the PE check must turn down programs a stock Windows would not
# run as intended. Prints "ok"/"not ok" lines and a final "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d -t tarnelle-rig.XXXXXX)
trap 'rm -rf "$work"' EXIT

passed=0
failed=0
check() {  # check DESCRIPTION EXPECTED ACTUAL
  if [[ $2 == "$3" ]]; then
    echo "ok - $1"
    passed=$((passed + 1))
  else
    echo "not ok - $1: expected '$2', got '$3'"
    failed=$((failed + 1))
  fi
}

# ---- count-results.sh: "PASSED FAILED SKIPPED RUNS INCOMPLETE" ----------------------------------
counts() { "$here/count-results.sh" "$work/log"; }

cat >"$work/log" <<'EOF'
[==========] Running 3 tests from 2 test suites.
[ RUN      ] A.One
[       OK ] A.One (0 ms)
[ RUN      ] A.Two
[       OK ] A.Two (1 ms)
[ RUN      ] B.Three
[       OK ] B.Three (0 ms)
[==========] 3 tests from 2 test suites ran. (1 ms total)
[  PASSED  ] 3 tests.
EOF
check "count: all passed" "3 0 0 1 0" "$(counts)"

cat >"$work/log" <<'EOF'
[==========] Running 3 tests from 1 test suite.
[ RUN      ] A.One
[       OK ] A.One (0 ms)
[ RUN      ] A.Two
x.cpp(3): error: Expected equality
[  FAILED  ] A.Two (0 ms)
[ RUN      ] A.Three
[  SKIPPED ] A.Three (0 ms)
[==========] 3 tests from 1 test suite ran. (0 ms total)
[  PASSED  ] 1 test.
[  SKIPPED ] 1 test, listed below:
[  SKIPPED ] A.Three
[  FAILED  ] 1 test, listed below:
[  FAILED  ] A.Two

 1 FAILED TEST
EOF
check "count: a failure is counted once, a skip apart" "1 1 1 1 0" "$(counts)"

cat >"$work/log" <<'EOF'
[==========] Running 4 tests from 1 test suite.
[ RUN      ] A.One
[       OK ] A.One (0 ms)
[ RUN      ] A.Two
[  FAILED  ] A.Two (0 ms)
[ RUN      ] A.Three
wine: Unhandled page fault on read access to 0000000000000000
EOF
check "count: a run that ends early fails" "1 2 0 1 1" "$(counts)"

cat >"$work/log" <<'EOF'
test 1
1: [==========] Running 2 tests from 1 test suite.
1: [ RUN      ] A.One
1: [       OK ] A.One (0 ms)
1: [ RUN      ] A.Two
1: [       OK ] A.Two (0 ms)
1: [==========] 2 tests from 1 test suite ran. (0 ms total)
1: [  PASSED  ] 2 tests.
1: =================================================================
1: ==42==ERROR: LeakSanitizer: detected memory leaks
1/3 Test #1: native ...........................***Failed    0.20 sec
test 2
2/3 Test #2: fuzz_smoke .......................   Passed    0.01 sec
test 3
3/3 Test #3: other ............................***Failed    0.01 sec
EOF
check "count: ctest, sanitizer failure after passing tests, plain ctest tests" "3 2 0 3 0" "$(counts)"

cat >"$work/log" <<'EOF'
1: [==========] Running 2 tests from 1 test suite.
1: [ RUN      ] A.One
1: [       OK ] A.One (0 ms)
1: [ RUN      ] A.Two
1/1 Test #1: native ...........................Exception: SegFault  0.20 sec
EOF
check "count: ctest, crash inside a test" "1 1 0 1 1" "$(counts)"

printf 'scenario a ... ok\nscenario b ... FAILED\n4 passed, 1 failed\n' >"$work/log"
check "count: plain report line" "4 1 0 1 0" "$(counts)"

printf 'Segmentation fault\n' >"$work/log"
check "count: no report" "0 0 0 0 0" "$(counts)"

# ---- check-pe.sh ----------------------------------------------------------------------------------
pe_failures() {  # the descriptions of the failed checks, comma-separated
  "$here/check-pe.sh" "$@" | sed -n 's/^not ok - [^:]*: \([^(]*[^ (]\).*/\1/p' | paste -sd, -
}
if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
  cxx=x86_64-w64-mingw32-g++-posix
else
  cxx=x86_64-w64-mingw32-g++
fi
cat >"$work/app.cpp" <<'EOF'
#include <windows.h>
#include <string>
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmd, int) {
  std::wstring s(cmd);
  return ::MessageBoxW(nullptr, s.c_str(), L"t", MB_OK) == 0;
}
EOF
build() {  # build NAME EXTRA-FLAGS...
  local name=$1
  shift
  "$cxx" -O1 -municode -mwindows "$work/app.cpp" -o "$work/$name.exe" "$@"
}
secure=(-static -static-libgcc -static-libstdc++ "-Wl,--dynamicbase,--nxcompat,--high-entropy-va")
if build good "${secure[@]}" && build runtime_dlls -Wl,--dynamicbase,--nxcompat,--high-entropy-va &&
  build no_aslr -static -static-libgcc -static-libstdc++ -Wl,--disable-dynamicbase,--disable-high-entropy-va &&
  build no_relocs "${secure[@]}" -Wl,--disable-reloc-section; then
  check "pe: a static, hardened GUI program passes" "" "$(pe_failures "$work/good.exe" gui)"
  check "pe: the subsystem must match" "console subsystem" "$(pe_failures "$work/good.exe" console)"
  check "pe: MinGW runtime DLLs are refused" "imports system DLLs only" \
    "$(pe_failures "$work/runtime_dlls.exe" gui)"
  check "pe: ASLR and high-entropy VA are required" "HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT" \
    "$(pe_failures "$work/no_aslr.exe" gui)"
  check "pe: ASLR without relocations is refused" \
    "HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT,relocation table present" "$(pe_failures "$work/no_relocs.exe" gui)"
  printf 'MZ not really\n' >"$work/text.exe"
  check "pe: a file that is no PE fails" "readable PE" "$(pe_failures "$work/text.exe" gui)"
else
  check "pe: sample programs build" "built" "not built"
fi

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
