#!/usr/bin/env bash
# The size of the tests against the program: non-blank lines of every file under tests/ (any
# language) and of the program's C++ sources and resource scripts (everything outside tests/,
# bench/, docs/, scripts/, cmake/ and .ci/), and their ratio. The house keeps it between 0.35
# and 0.50.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
nonblank() { xargs -r cat | grep -c -v -E '^\s*$'; }
tests=$(git ls-files -- tests | nonblank)
program=$(git ls-files | grep -v -E '^(tests|bench|docs|scripts|cmake|\.ci)/' |
  grep -E '\.(c|cc|cpp|cxx|h|hh|hpp|hxx|rc)$' | nonblank)
echo "tests: $tests lines, program: $program lines, ratio $(awk -v t="$tests" -v p="$program" 'BEGIN { printf "%.2f", t / p }')"
