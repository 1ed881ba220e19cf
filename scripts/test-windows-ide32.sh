#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The 32-bit PureBasic IDE case, outside the test command because it installs 32-bit packages
# (dpkg --add-architecture i386, wine32, MinGW for i686): the 64-bit glossa.exe of the `mingw`
# preset serves a 32-bit stand-in IDE around a 32-bit Scintilla.dll, where every text-range
# record is the 12-byte one. Also checks the simulated editor against that 32-bit Scintilla.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
if ! dpkg-query -W -f='${Status}\n' wine32:i386 g++-mingw-w64-i686-posix 2>/dev/null |
  grep -c 'install ok installed' | grep -qx 2; then
  echo "test-windows-ide32: installing 32-bit Wine and MinGW for i686"
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends wine32:i386 g++-mingw-w64-i686-posix >/dev/null
fi

# Wine's 32-bit side is a 32-bit Linux program: a kernel without 32-bit support (no IA32
# emulation, as in some virtual machines) can't start it, and no 32-bit Windows program runs.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "test-windows-ide32: this machine can't run 32-bit programs (/usr/lib/wine/wine:" \
    "$(/usr/lib/wine/wine --version 2>&1 | head -n 1)); the 32-bit IDE case can't run here" >&2
  exit 2
fi

# shellcheck source=scripts/wine-session.sh
source scripts/wine-session.sh

# The 64-bit Glossa and its folder, as the test command builds them.
cache=$(bash scripts/build-windows-deps.sh | tail -n 1)
cmake --preset mingw -DCMAKE_TOOLCHAIN_FILE="$cache/qt/lib/cmake/Qt6/qt.toolchain.cmake" >/dev/null
cmake --build --preset mingw
rm -rf build/mingw/deploy
cmake --install build/mingw --prefix build/mingw/deploy >/dev/null
deploy="$root/build/mingw/deploy"

# Scintilla for i686, once, beside the 64-bit cache.
scintilla_dir="${XDG_CACHE_HOME:-$HOME/.cache}/glossa/windows-i686-scintilla"
scintilla="$scintilla_dir/Scintilla.dll"
if [ ! -f "$scintilla" ]; then
  work=$(mktemp -d "${TMPDIR:-/tmp}/glossa-scite.XXXXXX")
  (cd "$work" && apt-get source -qq scite >/dev/null)
  make -C "$work"/scite-*/scintilla/win32 -j"$(nproc)" CXX=i686-w64-mingw32-g++-posix \
    AR=i686-w64-mingw32-ar RANLIB=i686-w64-mingw32-ranlib WINDRES=i686-w64-mingw32-windres \
    >/dev/null 2>&1
  mkdir -p "$scintilla_dir.partial"
  cp "$work"/scite-*/scintilla/bin/Scintilla.dll "$scintilla_dir.partial/"
  rm -rf "$scintilla_dir" "$work"
  mv "$scintilla_dir.partial" "$scintilla_dir"
fi

# The 32-bit test programs: the stand-in IDE and the conformance test.
cmake -S . -B build/mingw32 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DGLOSSA_MINGW_ARCH=i686 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON \
  -DGLOSSA_QT=OFF -DGLOSSA_TESTS=OFF -DGLOSSA_BENCH=OFF -DGLOSSA_WINDOWS_TESTS=ON >/dev/null
cmake --build build/mingw32 --target standinide test_realscintilla
standin="$root/build/mingw32/tests/windows/standinide.exe"

start_wine_session

echo "test-windows-ide32: the simulated editor against the 32-bit Scintilla"
GLOSSA_SCINTILLA_DLL=$(winpath "$scintilla") timeout -k 10 300 "$WINE" \
  "$root/build/mingw32/tests/windows/test_realscintilla.exe" || fail "test_realscintilla (32-bit)"

# Apply into a 32-bit editor: the block is inserted above the header (the write checks the
# header's bytes first with a 12-byte text-range record); then the same with the document read
# through -searchrange (SCI_GETTEXTRANGE at start-up too).
source_text=$'EnableExplicit\n\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n'
expected=$'EnableExplicit\n\n;<comment>\n;  <summary>Adds two numbers.</summary>\n;  <param><b>a:</b> {description}</param>\n;  <param><b>b:</b> {description}</param>\n;  <return></return>\n;  <example></example>\n;</comment>\nProcedure.i Add(a, b)\n  ProcedureReturn a + b\nEndProcedure\n'
for run in whole range; do
  printf '%s' "$source_text" >"$tmp/$run.pb"
  if [ "$run" = range ]; then
    start_ide "$run" 65001 2 41 0 -searchrange:30
  else
    start_ide "$run" 65001 2 41 0
  fi
  edit_and_apply "$run" ctrl+a "Adds two numbers."
  finish_ide "$run" "$expected" 232
done

exit "$status"
