# shellcheck shell=bash
# A private Wine session for tests and demos: a display of its own (Xvfb, 1024x768x24) and a
# throwaway prefix in which every program shares one virtual desktop with a taskbar, so tray
# icons have a shell to live in. Nothing of the developer's own display, prefix or home is used.
#
#   source scripts/wine-session.sh
#   wine_session_start                    # exports DISPLAY, WINEPREFIX, WINEDEBUG, WINEDLLOVERRIDES
#                                         # and the tools the tests' driver may use (below)
#   wine prog.exe >out.txt 2>&1           # files, not pipes: children of prog inherit its handles
#   wine_session_screenshot shot.png
#   wine_session_stop                     # also runs by itself on EXIT, INT and TERM; puts the
#                                         # variables above back as they were
#
# Knobs (environment):
#   TARNELLE_DISPLAY_FIRST  first X display number tried (default 100); the next free one is used
#   TARNELLE_KEEP_SESSION   1 keeps the session folder (prefix, logs) for a post-mortem
#
# Set after wine_session_start: TARNELLE_SESSION_DIR (logs: xvfb.log, wineboot.log),
# TARNELLE_XVFB_PID, and for programs in the session the host tools by their Windows paths:
# TARNELLE_XDOTOOL (moves the X pointer) and TARNELLE_WINE (the host's wine, for Wine's browser
# launcher).

# X servers announce themselves here; these are X11 conventions, not settings of this machine.
_ws_x_lock() { printf '/tmp/.X%s-lock' "$1"; }
_ws_x_socket() { printf '/tmp/.X11-unix/X%s' "$1"; }

_ws_log() { printf 'wine-session: %s\n' "$*" >&2; }

# Starts Xvfb on the first free display from TARNELLE_DISPLAY_FIRST on. Another program may
# take the same number between our check and Xvfb's own lock; then Xvfb exits and we move on.
_ws_start_xvfb() {
  local first=${TARNELLE_DISPLAY_FIRST:-100}
  local n pid i
  for ((n = first; n < first + 100; n++)); do
    if [[ -e $(_ws_x_lock "$n") || -e $(_ws_x_socket "$n") ]]; then
      continue
    fi
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >"$TARNELLE_SESSION_DIR/xvfb.log" 2>&1 &
    pid=$!
    for ((i = 0; i < 200; i++)); do
      if ! kill -0 "$pid" 2>/dev/null; then
        break
      fi
      if [[ -S $(_ws_x_socket "$n") ]] && xdpyinfo -display ":$n" >/dev/null 2>&1; then
        TARNELLE_XVFB_PID=$pid
        export DISPLAY=":$n"
        return 0
      fi
      sleep 0.05
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  _ws_log "no free X display in :$first..:$((first + 99)) (see $TARNELLE_SESSION_DIR/xvfb.log)"
  return 1
}

# Writes a .reg file from UTF-8 lines on stdin, in the UTF-16 form regedit reads, so that the
# Chinese font names do not depend on the locale of the calling shell.
_ws_reg_file() {
  {
    printf '\xef\xbb\xbfWindows Registry Editor Version 5.00\n\n'
    cat
  } | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE >"$1"
}

# The program's windows ask for these faces; WenQuanYi Micro Hei (fonts-wqy-microhei) has the
# Latin and Han glyphs they need. Without a mapping Wine falls back to a face with neither.
_ws_font_lines() {
  local name
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
  for name in '微软雅黑' 'Microsoft YaHei' '宋体' 'SimSun'; do
    printf '"%s"="WenQuanYi Micro Hei"\n' "$name"
  done
}

# Imports a .reg file into the prefix in $WINEPREFIX (or the default one).
_ws_import() {
  (cd "$(dirname "$1")" && wine regedit /S "$(basename "$1")")
}

# Maps the Chinese UI fonts in the current prefix (used for a developer's own prefix too).
wine_map_fonts() {
  local reg rc
  reg=$(mktemp -t --suffix=.reg tarnelle-fonts.XXXXXX) || return 1
  _ws_font_lines | _ws_reg_file "$reg"
  _ws_import "$reg"
  rc=$?
  rm -f "$reg"
  return "$rc"
}

_ws_make_prefix() {
  export WINEPREFIX="$TARNELLE_SESSION_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko install prompts, and no menu entries written into anybody's home.
  export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
  _ws_prefix=$WINEPREFIX

  # An empty home for the first boot: Wine then makes the prefix's Documents, Desktop and
  # the like real folders instead of links into the developer's home.
  mkdir -p "$TARNELLE_SESSION_DIR/home"
  if ! HOME="$TARNELLE_SESSION_DIR/home" wineboot -i >"$TARNELLE_SESSION_DIR/wineboot.log" 2>&1; then
    _ws_log "wineboot failed (see $TARNELLE_SESSION_DIR/wineboot.log)"
    return 1
  fi

  # Wine finds the system's fonts through fontconfig; only the names need mapping.
  if [[ $(fc-match -f '%{family}' 'WenQuanYi Micro Hei' 2>/dev/null) != *'WenQuanYi Micro Hei'* ]]; then
    _ws_log "warning: no font 'WenQuanYi Micro Hei' (package fonts-wqy-microhei); Chinese UI fonts fall back"
  fi
  {
    # Desktop "shell" is Wine's virtual desktop with a taskbar and a notification area.
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\n"Desktop"="shell"\n\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\n"shell"="1024x768"\n\n'
    _ws_font_lines
  } | _ws_reg_file "$TARNELLE_SESSION_DIR/session.reg"
  # On a machine where Wine has just been installed the first import now and then fails while
  # the new prefix is still settling; a second one a moment later goes through.
  local try
  for try in 1 2 3; do
    _ws_import "$TARNELLE_SESSION_DIR/session.reg" >>"$TARNELLE_SESSION_DIR/wineboot.log" 2>&1 && break
    if [[ $try -eq 3 ]]; then
      _ws_log "the session's registry settings were refused:"
      cat "$TARNELLE_SESSION_DIR/wineboot.log" >&2
      return 1
    fi
    timeout 60 wineserver -w || true
    sleep 2
  done
  # The desktop that wineboot brought up was made before the settings above; let the server
  # end so that the next program starts the "shell" desktop afresh.
  if ! timeout 60 wineserver -w; then
    wineserver -k || true
  fi
}

# Ends what this session started, and only that: the prefix's Wine processes, our Xvfb.
wine_session_stop() {
  local dir=${TARNELLE_SESSION_DIR:-}
  [[ -n $dir ]] || return 0
  if [[ -n ${_ws_prefix:-} && -d $_ws_prefix ]]; then
    WINEPREFIX=$_ws_prefix wineserver -k >/dev/null 2>&1 || true
    WINEPREFIX=$_ws_prefix timeout 20 wineserver -w >/dev/null 2>&1 || true
  fi
  if [[ -n ${TARNELLE_XVFB_PID:-} ]]; then
    kill "$TARNELLE_XVFB_PID" 2>/dev/null || true
    local i
    for ((i = 0; i < 100; i++)); do
      kill -0 "$TARNELLE_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    kill -KILL "$TARNELLE_XVFB_PID" 2>/dev/null || true
    wait "$TARNELLE_XVFB_PID" 2>/dev/null || true
  fi
  if [[ ${TARNELLE_KEEP_SESSION:-0} == 1 ]]; then
    _ws_log "session kept in $dir"
  else
    rm -rf "$dir"
  fi
  unset TARNELLE_SESSION_DIR TARNELLE_XVFB_PID _ws_prefix
  local saved
  for saved in "${_ws_saved[@]}"; do
    if [[ $saved == *=* ]]; then
      export "${saved%%=*}=${saved#*=}"
    else
      unset "$saved"
    fi
  done
  _ws_saved=()
  return 0
}

# Cleans up on EXIT whatever else the caller had planned for EXIT, and, in a script, turns INT
# and TERM into an exit (unless the caller handles them) so the EXIT cleanup runs then too. An
# interactive shell keeps its own handling: Ctrl+C must not end it.
_ws_arm_traps() {
  local previous words
  previous=$(trap -p EXIT)  # trap -- 'COMMAND' EXIT
  _ws_previous_exit_trap=
  if [[ -n $previous ]]; then
    eval "words=($previous)"
    _ws_previous_exit_trap=${words[2]}
  fi
  # shellcheck disable=SC2154
  trap 'wine_session_stop; eval "$_ws_previous_exit_trap"' EXIT
  if [[ $- != *i* ]]; then
    [[ -n $(trap -p INT) ]] || trap 'exit 130' INT
    [[ -n $(trap -p TERM) ]] || trap 'exit 143' TERM
  fi
}

wine_session_start() {
  if [[ -n ${TARNELLE_SESSION_DIR:-} ]]; then
    return 0
  fi
  local tool
  for tool in Xvfb xdpyinfo wine wineboot wineserver iconv; do
    if ! command -v "$tool" >/dev/null; then
      _ws_log "missing $tool (run scripts/deps.sh)"
      return 1
    fi
  done
  # What the session replaces, to be put back when it ends.
  _ws_saved=()
  local var
  for var in DISPLAY WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES TARNELLE_XDOTOOL TARNELLE_WINE; do
    if [[ -v $var ]]; then
      _ws_saved+=("$var=${!var}")
    else
      _ws_saved+=("$var")
    fi
  done
  TARNELLE_SESSION_DIR=$(mktemp -d -t tarnelle-wine.XXXXXX) || return 1
  export TARNELLE_SESSION_DIR
  _ws_arm_traps
  _ws_start_xvfb || return 1
  _ws_make_prefix || return 1
  local tool
  TARNELLE_WINE=$(command -v wine)
  for tool in xdotool; do
    if command -v "$tool" >/dev/null; then
      export "TARNELLE_${tool^^}=$(winepath -w "$(command -v "$tool")" 2>/dev/null | tr -d '\r')"
    fi
  done
  export TARNELLE_WINE
}

# A PNG of the whole session screen.
wine_session_screenshot() {
  local file=$1
  if command -v import >/dev/null; then
    import -display "$DISPLAY" -window root "png:$file"
  else
    xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$file"
  fi
}
