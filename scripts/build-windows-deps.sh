#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds, once per machine, what the Windows build and its tests need and cannot get from Debian
# as packages: Qt 6 (qtbase) for x86_64-w64-mingw32 and Scintilla as Scintilla.dll, both from
# Debian's own source packages. The result goes to a cache outside the checkout:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/glossa/windows-x86_64/
#     qt/          Qt install (use qt/lib/cmake/Qt6/qt.toolchain.cmake as the toolchain file)
#     scintilla/   Scintilla.dll and its licence
#     stamp        versions and options it was built from
# The cache is reused only when its stamp equals the one this script would write. Everything is
# built in a temporary folder and renamed into place at the very end, so an interrupted build
# never leaves a cache that looks usable. Prints the cache folder on stdout.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cache_root="${XDG_CACHE_HOME:-$HOME/.cache}/glossa"
final="$cache_root/windows-x86_64"
triple=x86_64-w64-mingw32
jobs=$(nproc)

log() { echo "build-windows-deps: $*" >&2; }

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

# Options of the Qt configure step. Changing any of them changes the stamp and rebuilds the cache.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DQT_BUILD_TESTS=OFF -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_BENCHMARKS=OFF
  # Debian's source package removes src/3rdparty/wintab, which tablet support needs.
  -DFEATURE_tabletevent=OFF
  # FEATURE_opengl=OFF is overridden by dynamic OpenGL; this is what "configure -no-opengl" sets.
  -DINPUT_opengl=no
  # Without these two the Windows platform plugin fails to link (QWindowsDirectWriteFontDatabase).
  -DFEATURE_directwrite3=OFF -DFEATURE_direct2d=OFF
  # Debian's cross patch turns androiddeployqt on; qmake is not needed by CMake consumers.
  -DFEATURE_androiddeployqt=OFF -DFEATURE_qmake=OFF
  # Modules Glossa does not use.
  -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_vulkan=OFF
  -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DFEATURE_jpeg=OFF
  -DFEATURE_testlib=ON -DFEATURE_png=ON
  -DFEATURE_system_png=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_doubleconversion=OFF -DFEATURE_freetype=OFF
)
scintilla_make=(
  "CXX=$triple-g++-posix" "AR=$triple-ar" "RANLIB=$triple-ranlib" "WINDRES=$triple-windres"
)
# The cross build runs the host's moc, rcc and uic, so its Qt must be the host's version.
qt_upstream=6.4.2
scite_upstream=5.3.3

bash "$here/install-deps.sh" >&2

host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev)
case "$host_qt" in
  "$qt_upstream"*) ;;
  *)
    log "the host Qt is $host_qt, this recipe needs $qt_upstream"
    exit 1
    ;;
esac
mingw_gcc=$(dpkg-query -W -f='${Version}' "g++-mingw-w64-x86-64-posix")

stamp=$(
  echo "recipe 1"
  echo "qt $host_qt"
  echo "scite $scite_upstream"
  echo "mingw-g++ $mingw_gcc"
  echo "qt-options ${qt_options[*]}"
  echo "scintilla-make ${scintilla_make[*]}"
)

mkdir -p "$cache_root"
# One build at a time per machine; a second caller waits and then finds the finished cache.
exec 9>"$cache_root/.lock"
flock 9

if [ -f "$final/stamp" ] && [ "$(cat "$final/stamp")" = "$stamp" ]; then
  echo "$final"
  exit 0
fi

started=$(date +%s)
log "building Qt $qt_upstream and Scintilla $scite_upstream for $triple into $final (about half an hour)"

work=$(mktemp -d "$cache_root/build.XXXXXX")
stage="$work/windows-x86_64"
# The logs stay beside the cache for a look after a failure.
trap 'mkdir -p "$cache_root/logs"; cp "$work"/*.log "$cache_root/logs/" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$stage/qt" "$stage/scintilla"

# Source packages need a deb-src entry for the configured mirror.
if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  log "adding a deb-src entry"
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
      $SUDO tee /etc/apt/sources.list.d/glossa-deb-src.sources >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/glossa-deb-src.list >/dev/null
  else
    log "no Debian mirror configured"
    exit 1
  fi
  $SUDO apt-get update -qq
fi

cd "$work"
log "fetching sources"
apt-get source -qq "qt6-base=$host_qt" >/dev/null 2>&1 || apt-get source -qq qt6-base >/dev/null
apt-get source -qq scite >/dev/null
qt_src=$(find "$work" -maxdepth 1 -type d -name "qt6-base-*" | head -n 1)
scite_src=$(find "$work" -maxdepth 1 -type d -name "scite-$scite_upstream*" | head -n 1)
[ -n "$qt_src" ] || {
  log "no qt6-base source"
  exit 1
}
[ -n "$scite_src" ] || {
  log "no scite $scite_upstream source"
  exit 1
}

# Licence texts of what the deployed program ships, copied first so that a missing one fails early.
mkdir -p "$stage/qt/licenses"
cp "$qt_src"/LICENSES/LGPL-3.0-only.txt "$qt_src"/LICENSES/GPL-3.0-only.txt "$stage/qt/licenses/" 2>/dev/null ||
  cp "$qt_src"/LICENSE.LGPL3 "$qt_src"/LICENSE.GPL3 "$stage/qt/licenses/"
echo "qt6-base $host_qt" >"$stage/qt/licenses/debian-source-package"
cp "$scite_src/scintilla/License.txt" "$stage/scintilla/License.txt"

# Qt's own toolchain file chain-loads this one by absolute path; it is rewritten to the final
# place below, with every other path into the stage.
cat >"$stage/toolchain-$triple.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_AR /usr/bin/$triple-ar)
set(CMAKE_RANLIB /usr/bin/$triple-ranlib)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

log "building Scintilla"
if ! make -C "$scite_src/scintilla/win32" -j"$jobs" "${scintilla_make[@]}" >"$work/scintilla.log" 2>&1; then
  tail -n 30 "$work/scintilla.log" >&2
  exit 1
fi
cp "$scite_src/scintilla/bin/Scintilla.dll" "$stage/scintilla/"
"$triple-strip" "$stage/scintilla/Scintilla.dll"

log "configuring Qt"
if ! cmake -S "$qt_src" -B "$work/qt-build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$stage/toolchain-$triple.cmake" \
  -DCMAKE_INSTALL_PREFIX="$stage/qt" "${qt_options[@]}" >"$work/qt-configure.log" 2>&1; then
  tail -n 40 "$work/qt-configure.log" >&2
  exit 1
fi
log "building Qt"
if ! cmake --build "$work/qt-build" --parallel "$jobs" >"$work/qt-build.log" 2>&1; then
  grep -B2 -A20 -m3 'FAILED:' "$work/qt-build.log" >&2 || tail -n 40 "$work/qt-build.log" >&2
  exit 1
fi
cmake --install "$work/qt-build" >/dev/null

# The installed CMake files name the stage; they must name the final place.
grep -rlI --null "$stage" "$stage" | xargs -0 -r sed -i "s|$stage|$final|g"

echo "$stamp" >"$stage/stamp"
rm -rf "$final"
mv "$stage" "$final"

elapsed=$(($(date +%s) - started))
log "cache built in $((elapsed / 60)) min $((elapsed % 60)) s"
echo "$final"
