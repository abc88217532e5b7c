#!/usr/bin/env bash
# Runs one command inside a private Wine session (display, prefix; see wine-session.sh) and
# tears the session down afterwards, whatever the command's fate.
#
#   tests/rig/with-wine.sh wine build/windows/tarnelle_wine_tests.exe
#   tests/rig/with-wine.sh bash -c 'wine prog.exe >out.txt 2>&1; tests/rig/screenshot.sh shot.png'
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/rig/wine-session.sh
source "$here/wine-session.sh"

if [[ $# -eq 0 ]]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi
# The command runs in the background so that INT and TERM reach this script at once (a shell
# runs its traps only after a foreground command ends); it still reads our standard input.
child=
trap '[[ -z $child ]] || kill -TERM "$child" 2>/dev/null; exit 130' INT
trap '[[ -z $child ]] || kill -TERM "$child" 2>/dev/null; exit 143' TERM
wine_session_start || exit 1
"$@" <&0 &
child=$!
wait "$child"
rc=$?
child=
exit "$rc"
