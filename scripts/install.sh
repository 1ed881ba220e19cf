#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Glossa (preset "release") and installs it: into ~/.local by default, into PREFIX when
# one is given. With --package it installs nothing and makes the packages instead (a .tar.gz
# and, on Debian, a .deb) in build/release.
#   scripts/install.sh [PREFIX]
#   scripts/install.sh --package
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build

cmake --preset release >/dev/null
cmake --build --preset release

if [ "${1:-}" = "--package" ]; then
  (cd build/release && cpack)
  ls -1 build/release/glossa[-_]*.{deb,tar.gz} 2>/dev/null || true
else
  prefix="${1:-$HOME/.local}"
  cmake --install build/release --prefix "$prefix"
  echo "Installed $prefix/bin/glossa"
  case ":$PATH:" in
    *":$prefix/bin:"*) ;;
    *) echo "Note: $prefix/bin is not on your PATH" ;;
  esac
fi
