#!/usr/bin/env bash
# Counts the test results in a log: GoogleTest runs (also as printed by `ctest -V`, whose lines
# carry a "N: " prefix), ctest tests that are not GoogleTest programs, and otherwise a final
# "N passed, N failed" line. A GoogleTest run that never reached its summary (a crash, a hang
# cut short) counts its finished tests plus one failure.
#
#   tests/rig/count-results.sh LOG   ->   "PASSED FAILED SKIPPED RUNS INCOMPLETE"
# RUNS is the number of test programs (or "N passed, N failed" reports) seen; 0 means the log
# holds no results at all.
set -euo pipefail
if [[ $# -ne 1 ]]; then
  echo "usage: $0 LOG" >&2
  exit 2
fi
awk '
  function close_run() {
    if (in_run) { passed += ok; failed += bad + 1; incomplete++; if (run_idx != "") bad_in[run_idx]++ }
    in_run = 0
  }
  {
    idx = ""
    if (match($0, /^[0-9]+: /)) { idx = substr($0, 1, RLENGTH - 2); $0 = substr($0, RLENGTH + 1) }
  }
  /^\[==========\] Running [0-9]+ tests? from / {
    close_run(); in_run = 1; ok = 0; bad = 0; runs++; run_idx = idx
    if (idx != "") gtest_in[idx] = 1
    next
  }
  /^\[==========\] [0-9]+ tests? from .* ran\./ { in_run = 0; next }
  /^\[       OK \] / { if (in_run) ok++; next }
  /^\[  FAILED  \] / {
    if (in_run) bad++
    else if ($4 ~ /^[0-9]+$/ && $5 ~ /^tests?,/) { failed += $4; if (idx != "") bad_in[idx] += $4 }
    next
  }
  /^\[  PASSED  \] [0-9]+ tests?\./ { passed += $4; next }
  /^\[  SKIPPED \] [0-9]+ tests?,/ { skipped += $4; next }
  # ctest: "1/2 Test #1: name ......   Passed    0.01 sec"
  /^ *[0-9]+\/[0-9]+ +Test +#[0-9]+: / {
    close_run()
    n = $0; sub(/^[^#]*#/, "", n); sub(/:.*/, "", n)
    ok_here = ($0 ~ / Passed +[0-9.]+ sec/)
    if (!(n in gtest_in)) {
      runs++
      if (ok_here) passed++; else failed++
    } else if (!ok_here && bad_in[n] == 0) {
      # Every test passed, yet the program failed: a sanitizer report at exit, say.
      failed++
    }
    next
  }
  /^[0-9]+ passed, [0-9]+ failed$/ { plain_passed = $1; plain_failed = $3; plain = 1; next }
  END {
    close_run()
    if (runs == 0 && plain) { passed = plain_passed; failed = plain_failed; runs = 1 }
    printf "%d %d %d %d %d\n", passed, failed, skipped, runs, incomplete
  }
' "$1"
