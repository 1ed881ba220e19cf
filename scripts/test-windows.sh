#!/usr/bin/env bash
# Cross-builds the Windows bridge (transport, operations, simulated Scintilla), a fake IDE and
# their tests with MinGW-w64 into build/mingw, and runs the tests under wine64: a private
# WINEPREFIX in a temporary folder, no display, a time limit on every Wine process, and every
# Wine process ended afterwards. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

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
WINE=$(find_tool wine64 /usr/lib/wine/wine64 wine) || { echo "test-windows: wine64 not found" >&2; exit 1; }
WINESERVER=$(find_tool wineserver /usr/lib/wine/wineserver64 /usr/lib/wine/wineserver) ||
  { echo "test-windows: wineserver not found" >&2; exit 1; }

cmake -S . -B build/mingw -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DGLOSSA_QT=OFF -DGLOSSA_TESTS=OFF -DGLOSSA_BENCH=OFF -DGLOSSA_WINDOWS_TESTS=ON >/dev/null
cmake --build build/mingw

WINEPREFIX=$(mktemp -d "${TMPDIR:-/tmp}/glossa-wine.XXXXXX")
export WINEPREFIX
export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no display.
export WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY

cleanup() {
  # Ends every process of this prefix (the tests, the fake IDEs, wineserver), then the prefix.
  timeout 30 "$WINESERVER" -k >/dev/null 2>&1 || true
  timeout 30 "$WINESERVER" -w >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "test-windows: preparing a Wine prefix"
timeout -k 10 300 "$WINE" wineboot.exe --init >/dev/null 2>&1 || {
  echo "test-windows: wineboot failed" >&2
  exit 1
}

status=0
for test in build/mingw/tests/windows/test_*.exe; do
  echo "test-windows: $test"
  # The fake IDEs that a test starts end by themselves within 120 s at the latest.
  if ! timeout -k 10 600 "$WINE" "$test"; then
    echo "test-windows: FAILED $test" >&2
    status=1
  fi
done
exit "$status"
