#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian packages Glossa needs, by set:
#   scripts/install-deps.sh build    what building and running Glossa takes (Qt, CMake, a compiler)
#   scripts/install-deps.sh example  that and Xvfb, to run Glossa without a display
#   scripts/install-deps.sh [test]   that and the test tools (clang-format, clang-tidy, the
#                                    script checkers, QScintilla, Google Benchmark, clang for the
#                                    fuzzers, MinGW and Wine, xdotool)
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

build=(
  build-essential dpkg-dev cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools
  qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin
  libgl-dev libxkbcommon-dev
)
display=(xvfb xauth)
test_tools=(
  clang-format clang-tidy libqscintilla2-qt6-dev libbenchmark-dev
  shellcheck shfmt
  clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix wine64 fonts-wine
  fonts-liberation xdotool
)
case "${1:-test}" in
  build) packages=("${build[@]}") ;;
  example) packages=("${build[@]}" "${display[@]}") ;;
  test) packages=("${build[@]}" "${display[@]}" "${test_tools[@]}") ;;
  *)
    echo "install-deps: unknown set '$1' (build, example or test)" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
