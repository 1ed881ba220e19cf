#!/usr/bin/env bash
# Installs what is needed, builds Glossa with the ci preset and runs every test headless.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
