#!/usr/bin/env bash
# Installs what is needed, builds Glossa and runs every test headless:
#   1. the ci build (all tests, WebEngine included);
#   2. the sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer, every test that
#      doesn't need WebEngine); any finding fails the run;
#   3. the Windows build (glossa.exe, its folder and zip) and its tests under Wine
#      (scripts/test-windows.sh; builds the Qt for MinGW into ~/.cache/glossa once).
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

echo "== ci build and tests"
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci

echo "== sanitizer build and tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== Windows build and tests under Wine"
bash scripts/test-windows.sh

echo "== fuzz smoke run (30 s per target)"
bash scripts/fuzz.sh 30
