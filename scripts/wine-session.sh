# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Sourced by the Windows test scripts: Wine on a private prefix and a private Xvfb display, and
# the helpers of the end-to-end runs (windows found by title, real key events through xdotool,
# the stand-in IDE started and its results compared byte for byte).

find_tool() {
  local candidate
  for candidate in "$@"; do
    if command -v "$candidate" >/dev/null 2>&1; then
      command -v "$candidate"
      return 0
    fi
    if [ -x "$candidate" ]; then
      echo "$candidate"
      return 0
    fi
  done
  return 1
}
# Debian's wine64 package puts its loader under /usr/lib/wine; the wine package adds wrappers.
WINE=$(find_tool wine64 /usr/lib/wine/wine64 wine) || {
  echo "wine64 not found" >&2
  exit 1
}
WINESERVER=$(find_tool wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver) || {
  echo "wineserver not found" >&2
  exit 1
}

# The exit code of the script that sources this one: it ends with `exit "$status"`.
status=0
# shellcheck disable=SC2034 # status is read by the sourcing script
fail() {
  echo "FAILED: $*" >&2
  status=1
}

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Makes $tmp, a Wine prefix in it and a display of our own; everything goes at exit.
start_wine_session() {
  tmp=$(mktemp -d "${TMPDIR:-/tmp}/glossa-wine.XXXXXX")
  export WINEPREFIX="$tmp/prefix"
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts.
  export WINEDLLOVERRIDES="mscoree=;mshtml="
  # Wine's ANSI code page follows the locale: this one gives code page 1252.
  # Wine reads the name even where the shell has no such locale installed.
  export LC_ALL=en_US.UTF-8 2>/dev/null
  unset WAYLAND_DISPLAY PB_TOOL_IDE PB_TOOL_Scintilla
  xvfb_pid=""
  trap end_wine_session EXIT
  trap 'exit 130' INT TERM
  # Xvfb picks a free display number and reports it.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$tmp/display" ] && break
    sleep 0.1
  done
  [ -s "$tmp/display" ] || {
    echo "Xvfb did not start" >&2
    exit 1
  }
  DISPLAY=":$(cat "$tmp/display")"
  export DISPLAY
  echo "preparing a Wine prefix"
  timeout -k 10 300 "$WINE" wineboot.exe --init >/dev/null 2>&1 || {
    echo "wineboot failed" >&2
    exit 1
  }
  # Windows' dialog font. Without it Qt falls back to the first font Wine lists (here a math
  # font whose line metrics push a line edit's text out of view), which no Windows user sees.
  local font
  for font in /usr/share/wine/fonts/tahoma.ttf /usr/share/wine/fonts/tahomabd.ttf; do
    [ -f "$font" ] && cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
}

# Ends every process of the prefix (tests, stand-in IDEs, wineserver), the display, the folder.
end_wine_session() {
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1 || true
  if [ -n "${xvfb_pid:-}" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$tmp"
}

glossa_title='^Glossa V1\.03$'

# Waits until a visible window whose title matches appears; prints its id.
wait_window() {
  local id=""
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1) || true
    [ -n "$id" ] && {
      echo "$id"
      return 0
    }
    sleep 0.1
  done
  return 1
}

# Waits until no visible window's title matches.
wait_gone() {
  for _ in $(seq 100); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

# Key events to a window: focused first, then real key presses (XTEST, as from a keyboard).
keys() {
  local window=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep 0.3
  xdotool key --delay 80 "$@"
}
typed() {
  xdotool type --delay 60 "$1"
}

# Waits for Glossa's editor window, presses the key (ctrl+Home, ctrl+a), types the text and
# applies with Ctrl+Return; a missing window fails the case.
edit_and_apply() {
  local run=$1 key=$2 text=$3 window
  if window=$(wait_window "$glossa_title"); then
    keys "$window" "$key"
    typed "$text"
    keys "$window" ctrl+Return
  else
    fail "$run: no editor window"
  fi
}

screenshot() {
  if [ -n "${GLOSSA_SCREENSHOTS:-}" ] && command -v import >/dev/null 2>&1; then
    mkdir -p "$GLOSSA_SCREENSHOTS"
    sleep 1 # a window that has just appeared paints a moment later
    import -window "$1" "$GLOSSA_SCREENSHOTS/$2.png" 2>/dev/null || true
  fi
}

# Starts the stand-in IDE ($standin, with $scintilla) in the background with the document
# $tmp/NAME.pb and the deployed glossa.exe ($deploy) as its tool; the sourcing script sets the
# three paths.
# start_ide NAME CODEPAGE EOLMODE CARET READONLY [GLOSSA_ARGUMENTS...]
start_ide() {
  local name=$1 codepage=$2 eol=$3 caret=$4 readonly=$5
  shift 5
  : "${standin:?}" "${scintilla:?}" "${deploy:?}"
  timeout -k 10 180 "$WINE" "$standin" "$(winpath "$scintilla")" "$(winpath "$tmp/$name.pb")" \
    "$codepage" "$eol" "$caret" "$readonly" "$(winpath "$tmp/$name")" \
    "$(winpath "$deploy/glossa.exe")" "$@" >"$tmp/$name.log" 2>&1 &
  ide_pid=$!
}

# Waits for the stand-in IDE to end; compares what its editor holds with the expected bytes,
# the caret and the undo state, and checks that one undo gives back the original.
# finish_ide NAME EXPECTED_DOCUMENT EXPECTED_CARET
finish_ide() {
  local name=$1
  if ! wait "$ide_pid"; then
    fail "$name: the stand-in IDE failed: $(cat "$tmp/$name.log")"
    return
  fi
  printf '%s' "$2" >"$tmp/$name.expected"
  cmp -s "$tmp/$name.expected" "$tmp/$name.doc" || {
    fail "$name: the document differs"
    diff <(od -c "$tmp/$name.expected") <(od -c "$tmp/$name.doc") >&2 || true
  }
  grep -qx "caret=$3" "$tmp/$name.txt" || fail "$name: $(grep caret= "$tmp/$name.txt")"
  grep -qx "canundo=1" "$tmp/$name.txt" || fail "$name: nothing to undo"
  grep -qx "exit=0" "$tmp/$name.txt" || fail "$name: $(grep exit= "$tmp/$name.txt")"
  cmp -s "$tmp/$name.pb" "$tmp/$name.undo" || fail "$name: one undo does not restore the original"
  echo "$name: checked"
}
