#!/usr/bin/env bash
# Saves the whole screen of $DISPLAY (such as a wine-session display) as a PNG.
#   tests/rig/screenshot.sh FILE.png
set -euo pipefail
if [[ $# -ne 1 || -z ${DISPLAY:-} ]]; then
  echo "usage: DISPLAY=:N $0 FILE.png" >&2
  exit 2
fi
if command -v import >/dev/null; then
  import -display "$DISPLAY" -window root "png:$1"
else
  xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$1"
fi
