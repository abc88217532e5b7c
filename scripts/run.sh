#!/usr/bin/env bash
# The run command: installs what is missing, builds the Release program with MinGW-w64 and
# starts it under Wine.
#   bash scripts/run.sh                    # on your display, or on a private one if you have none
#   bash scripts/run.sh --screenshot-only  # private display; save build/screenshot.png and stop
# With a reachable $DISPLAY the program runs in your own Wine prefix, inside a virtual desktop
# with a taskbar (the tray icon needs one). Without a display it runs on a private Xvfb screen
# with a throwaway prefix, and a screenshot shows what it looks like.
# TARNELLE_SCREENSHOT_DELAY: seconds to wait before the screenshot (default 5).
set -euo pipefail

screenshot_only=0
case ${1:-} in
  '') ;;
  --screenshot-only) screenshot_only=1 ;;
  *)
    echo "usage: $0 [--screenshot-only]" >&2
    exit 2
    ;;
esac

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=$root/build/windows

bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
cmake --build "$build" --target tarnelle

# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh

if [[ $screenshot_only == 0 && -n ${DISPLAY:-} ]] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Tarnelle on display $DISPLAY, Wine prefix ${WINEPREFIX:-\$HOME/.wine}"
  # The windows ask for 微软雅黑 and 宋体; a prefix that cannot find them shows empty boxes.
  if ! WINEDEBUG=-all wine reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' >/dev/null 2>&1; then
    echo "Mapping 微软雅黑 and 宋体 to WenQuanYi Micro Hei in this prefix (HKCU\Software\Wine\Fonts\Replacements)"
    WINEDEBUG=-all wine_map_fonts
  fi
  cd "$build"
  exec wine explorer /desktop=shell,1024x768 tarnelle.exe
fi

app_pid=
trap '[[ -z $app_pid ]] || kill -TERM "$app_pid" 2>/dev/null; exit 130' INT
trap '[[ -z $app_pid ]] || kill -TERM "$app_pid" 2>/dev/null; exit 143' TERM
if [[ $screenshot_only == 1 ]]; then
  echo "Starting a private X display (Xvfb) and a throwaway Wine prefix for the screenshot..."
else
  echo "No usable display (\$DISPLAY is unset or unreachable): starting a private X display (Xvfb)"
  echo "and a throwaway Wine prefix. You will not see the window; a screenshot shows it."
fi
wine_session_start
echo "Private display $DISPLAY, prefix $WINEPREFIX"

log=$TARNELLE_SESSION_DIR/tarnelle.log
env -C "$build" wine tarnelle.exe >"$log" 2>&1 &
app_pid=$!
sleep "${TARNELLE_SCREENSHOT_DELAY:-5}"
wine_session_screenshot "$root/build/screenshot.png"
echo "Screenshot saved: $root/build/screenshot.png"
if ! kill -0 "$app_pid" 2>/dev/null; then
  wait "$app_pid" && status=0 || status=$?
  echo "Tarnelle has already ended (exit status $status)."
  cat "$log"
  exit "$status"
fi
if [[ $screenshot_only == 1 ]]; then
  exit 0
fi
echo "Tarnelle is running on $DISPLAY; press Ctrl+C to stop it."
wait "$app_pid" && status=0 || status=$?
app_pid=
echo "Tarnelle ended (exit status $status)."
exit "$status"
