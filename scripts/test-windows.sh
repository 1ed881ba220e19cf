#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows build and its tests, all under Wine on this machine:
#  1. Qt and Scintilla for MinGW from the cache (scripts/build-windows-deps.sh builds it once);
#  2. the `mingw` preset: glossa.exe, the installed folder (build/mingw/deploy) and the zip
#     glossa-<version>-win64.zip, plus the Windows test programs;
#  3. the bridge tests (fake IDE across a process boundary) and the simulated editor checked
#     against the real Scintilla.dll;
#  4. end-to-end runs of the deployed glossa.exe under a stand-in IDE that holds a real
#     Scintilla, driven with real key events (xdotool) on a private Xvfb display.
#  5. glossa.exe's check and export from the command line on a small tree.
# A private WINEPREFIX and display; every Wine process and the display are ended afterwards.
# GLOSSA_SCREENSHOTS=DIR keeps screenshots of the editor and preview windows there.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)

bash scripts/install-deps.sh

# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh

cache=$(bash scripts/build-windows-deps.sh | tail -n 1)
toolchain="$cache/qt/lib/cmake/Qt6/qt.toolchain.cmake"
scintilla="$cache/scintilla/Scintilla.dll"
build=build/mingw
# A build folder made with another toolchain (the bridge-only build of earlier versions) can't
# be reconfigured; it is made anew.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$build/CMakeCache.txt" &&
  ! grep -qF "CMAKE_TOOLCHAIN_FILE:UNINITIALIZED=$toolchain" "$build/CMakeCache.txt"; then
  rm -rf "$build"
fi
cmake --preset mingw -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build --preset mingw
rm -rf "$build/deploy" "$build"/glossa-*-win64.zip
cmake --install "$build" --prefix "$build/deploy" >/dev/null
(cd "$build" && cpack -G ZIP >/dev/null)
zip=$(ls "$build"/glossa-*-win64.zip)
deploy="$root/$build/deploy"
tests="$root/$build/tests/windows"
standin="$tests/standinide.exe"
for f in glossa.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll platforms/qwindows.dll \
  styles/qwindowsvistastyle.dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll \
  licenses/Qt.txt licenses/LGPL-3.0-only.txt licenses/MinGW-GCC-runtime.txt; do
  [ -f "$deploy/$f" ] || {
    echo "test-windows: $f is missing from the installed folder" >&2
    exit 1
  }
done
zipped=$(python3 -c 'import sys, zipfile; print("\n".join(sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))))' "$zip")
installed=$(cd "$deploy" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$zipped" = "$installed" ] || {
  echo "test-windows: $zip differs from the installed folder" >&2
  exit 1
}
echo "test-windows: $zip ($(du -k "$zip" | cut -f1) KB)"

start_wine_session

echo "test-windows: bridge tests"
for test in "$tests"/test_*.exe; do
  echo "test-windows: $(basename "$test")"
  # The fake IDEs that a test starts end by themselves within 120 s at the latest.
  if ! GLOSSA_SCINTILLA_DLL=$(winpath "$scintilla") timeout -k 10 600 "$WINE" "$test"; then
    fail "$test"
  fi
done

# ---- End-to-end runs of glossa.exe ----

# No block above the procedure: the default block with the typed summary is inserted above
# the header; the caret in the body keeps its character; one undo restores the source. A
# second glossa.exe while this one runs ends at once (the "Global\Glossa" mutex).
printf 'EnableExplicit\n\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n' >"$tmp/insert.pb"
start_ide insert 65001 2 41 0
if window=$(wait_window "$glossa_title"); then
  screenshot "$window" editor
  second_started=$(date +%s)
  if PB_TOOL_IDE='C:\PureBasic\PureBasic.exe' PB_TOOL_Scintilla=1234 timeout 30 "$WINE" \
    "$deploy/glossa.exe" >/dev/null 2>&1; then
    [ $(($(date +%s) - second_started)) -lt 15 ] || fail "second instance: took too long to end"
  else
    fail "second instance: did not end by itself with exit code 0"
  fi
  [ "$(xdotool search --onlyvisible --name "$glossa_title" | wc -l)" -eq 1 ] ||
    fail "second instance: a second editor window"
  keys "$window" ctrl+a
  typed "Adds two numbers."
  keys "$window" ctrl+Return
else
  fail "insert: no editor window"
fi
finish_ide insert $'EnableExplicit\n\n;<comment>\n;  <summary>Adds two numbers.</summary>\n;  <param><b>a:</b> {description}</param>\n;  <param><b>b:</b> {description}</param>\n;  <return></return>\n;  <example></example>\n;</comment>\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n' 232

# An existing block with formatted fields and non-ASCII text, CR LF, UTF-8: replaced, the
# caret inside the old block goes to the new block's start.
printf '; B\xc3\xbccher\r\n;<comment>\r\n;  <summary>Z\xc3\xa4hlt <b>\xc3\x84pfel</b></summary>\r\n;  <param><i>n</i> St\xc3\xbcck</param>\r\n;  <return>Summe \xe2\x82\xac</return>\r\n;  <example></example>\r\n;</comment>\r\nProcedure Count(n)\r\nEndProcedure\r\n' >"$tmp/replace.pb"
start_ide replace 65001 0 30 0
edit_and_apply replace ctrl+Home "Ja, "
finish_ide replace $'; B\xc3\xbccher\r\n;<comment>\r\n;  <summary>Ja, Z\xc3\xa4hlt <b>\xc3\x84pfel</b></summary>\r\n;  <param><i>n</i> St\xc3\xbcck</param>\r\n;  <return>Summe \xe2\x82\xac</return>\r\n;  <example></example>\r\n;</comment>\r\nProcedure Count(n)\r\nEndProcedure\r\n' 11

# An ANSI document (code page 0, here 1252): its bytes are decoded and written back in it.
printf '; M\xfcller\r\n;<comment>\r\n;  <summary>Caf\xe9 \x80</summary>\r\n;  <return></return>\r\n;  <example></example>\r\n;</comment>\r\nProcedure Road()\r\nEndProcedure\r\n' >"$tmp/ansi.pb"
start_ide ansi 0 0 120 0
edit_and_apply ansi ctrl+Home "Hi "
finish_ide ansi $'; M\xfcller\r\n;<comment>\r\n;  <summary>Hi Caf\xe9 \x80</summary>\r\n;  <return></return>\r\n;  <example></example>\r\n;</comment>\r\nProcedure Road()\r\nEndProcedure\r\n' 123

# A read-only document (the IDE's debugger is running): the message, nothing written, the
# editor window stays; then it is closed and the typed text discarded.
printf 'EnableExplicit\n\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n' >"$tmp/readonly.pb"
start_ide readonly 65001 2 41 1
if window=$(wait_window "$glossa_title"); then
  keys "$window" ctrl+a
  typed "Not written."
  keys "$window" ctrl+Return
  if box=$(wait_window '^Glossa$'); then
    screenshot "$box" readonly-message
    keys "$box" Return
    wait_gone '^Glossa$' || fail "readonly: the message stays"
  else
    fail "readonly: no message"
  fi
  sleep 1
  xdotool search --onlyvisible --name "$glossa_title" >/dev/null 2>&1 || fail "readonly: the editor window closed"
  keys "$window" alt+F4
  if box=$(wait_window '^Glossa$'); then keys "$box" y; fi
else
  fail "readonly: no editor window"
fi
if wait "$ide_pid"; then
  cmp -s "$tmp/readonly.pb" "$tmp/readonly.doc" || fail "readonly: the document changed"
  grep -qx "canundo=0" "$tmp/readonly.txt" || fail "readonly: something was written"
  echo "test-windows: readonly done"
else
  fail "readonly: the stand-in IDE failed: $(cat "$tmp/readonly.log")"
fi

# The preview: the plain view opens in its window and shows the page.
printf 'EnableExplicit\n\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n' >"$tmp/preview.pb"
start_ide preview 65001 2 41 0
if window=$(wait_window "$glossa_title"); then
  keys "$window" ctrl+a
  typed "Adds two numbers."
  # A click on the preview button, the magnifying glass at the window's top right corner.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove --window "$window" $((WIDTH - 33)) 38 click 1
  if preview=$(wait_window '^Preview$'); then
    sleep 1
    screenshot "$preview" preview
    # Escape goes to the active window: a click into the page makes the preview that one.
    xdotool mousemove --window "$preview" 40 40 click 1
    keys "$preview" Escape
    wait_gone '^Preview$' || fail "preview: Escape does not hide the preview"
  else
    fail "preview: no preview window"
  fi
  keys "$window" alt+F4
  if box=$(wait_window '^Glossa$'); then keys "$box" y; fi
else
  fail "preview: no editor window"
fi
wait "$ide_pid" || fail "preview: the stand-in IDE failed"
cmp -s "$tmp/preview.pb" "$tmp/preview.doc" || fail "preview: the document changed"

# The check and the export from the command line: a finding on standard output (text mode, so
# CR LF) with exit code 1; pages built and written on two threads, a link from a page in a
# subfolder to another file's procedure, the index, the A-Z page and the manifest.
mkdir -p "$tmp/tree/sub"
printf 'Procedure Bare()\r\nEndProcedure\r\n' >"$tmp/tree/bare.pb"
printf ';<comment>\r\n;  <summary>Calls Bare().</summary>\r\n;</comment>\r\nProcedure Caller()\r\nEndProcedure\r\n' \
  >"$tmp/tree/sub/caller.pb"
code=0
(cd "$tmp" && timeout -k 10 120 "$WINE" "$deploy/glossa.exe" -check tree >check.out 2>check.err) || code=$?
[ "$code" -eq 1 ] || fail "check: exit code $code, not 1"
printf 'tree\\bare.pb:1:1: warning: Bare: no comment block above the procedure [missing-comment]\r\n2 procedures, 1 documented, 1 finding\r\n' \
  >"$tmp/check.expected"
cmp -s "$tmp/check.expected" "$tmp/check.out" || fail "check: its output differs: $(od -c "$tmp/check.out" | head -n 8)"
code=0
(cd "$tmp" && timeout -k 10 120 "$WINE" "$deploy/glossa.exe" -export:out tree >export.out 2>export.err) || code=$?
[ "$code" -eq 0 ] || fail "export: exit code $code: $(cat "$tmp/export.err")"
exported=$(cd "$tmp/out" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
[ "$exported" = ".glossa-export a-z/B.html a-z/C.html bare.pb.html folders/sub.html folders/top.html glossa.css glossa.js index.html search-index.js sub/caller.pb.html " ] ||
  fail "export: wrote $exported"
grep -qF '<a href="../bare.pb.html#Bare">Bare()</a>' "$tmp/out/sub/caller.pb.html" ||
  fail "export: sub/caller.pb.html doesn't link to Bare()"
echo "test-windows: check and export done"

# The installer: glossa.exe started by hand, the folder picker answered with Return; the
# IDE's Tools.prefs in %APPDATA%\PureBasic holds the Windows entry, and "Success!" shows.
timeout -k 10 120 "$WINE" "$deploy/glossa.exe" >"$tmp/install.log" 2>&1 &
install_pid=$!
if picker=$(wait_window '^Select Path to tools\.prefs$'); then
  screenshot "$picker" installer-picker
  keys "$picker" Return
  if box=$(wait_window '^Success!$'); then
    screenshot "$box" installer-success
    keys "$box" Return
  else
    fail "installer: no \"Success!\" box"
  fi
else
  fail "installer: no folder picker"
fi
wait "$install_pid" || fail "installer: exit code $?"
user=$(find "$WINEPREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public -printf '%f\n' |
  LC_ALL=C sort | head -n 1)
# Windows ignores letter case in file names: whatever spelling the file has, it is the one.
prefs=$(find "$WINEPREFIX/drive_c/users/$user/AppData/Roaming" -maxdepth 2 -ipath '*/PureBasic/tools.prefs' | head -n 1)
command_path=$(winpath "$deploy/glossa.exe")
printf '\xef\xbb\xbf\r\n;  PureBasic IDE ToolsMenu Configuration\r\n; \r\n[ToolsInfo]\r\nToolCount = 1\r\n; \r\n; \r\n[Tool_0]\r\nCommand = %s\r\nArguments = \r\nWorkingDir = \r\nMenuItemName = Glossa\r\nShortcut = 262211\r\nConfigLine = \r\nTrigger = 0\r\nFlags = 1\r\nReloadSource = 0\r\nHideEditor = 0\r\nHideFromMenu = 0\r\nSourceSpecific = 0\r\nDeactivate = 0\r\n; \r\n; \r\n' \
  "$command_path" >"$tmp/tools.expected"
if [ -z "$prefs" ]; then
  fail "installer: no Tools.prefs in %APPDATA%\\PureBasic"
elif ! cmp -s "$tmp/tools.expected" "$prefs"; then
  fail "installer: Tools.prefs differs"
  diff <(od -c "$tmp/tools.expected") <(od -c "$prefs") >&2 || true
else
  echo "test-windows: installer done"
fi

elapsed=$(($(date +%s) - started))
echo "test-windows: $((elapsed / 60)) min $((elapsed % 60)) s"
exit "$status"
