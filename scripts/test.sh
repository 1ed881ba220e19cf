#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is needed, builds Glossa and runs every test headless, stopping at the first
# failure: the formatting check, the shell scripts' check (shellcheck) and layout (shfmt), the ci
# build, clang-tidy over its sources (scripts/tidy.sh), the ci build's tests, the same tests
# (less the web engine's) under AddressSanitizer and UndefinedBehaviorSanitizer, the export's
# end-to-end test under ThreadSanitizer, the Windows build and its tests under Wine
# (scripts/test-windows.sh), and a short run of every fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh test

echo "== formatting"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== shell scripts"
# -x: shellcheck follows the sourced Wine helper; shfmt takes the layout from .editorconfig.
mapfile -t scripts < <(git ls-files 'scripts/*.sh' .ci/run)
shellcheck -x "${scripts[@]}"
shfmt -d "${scripts[@]}"

echo "== ci build and tests"
# The summary shows what was found; the ci preset refuses to build without QScintilla or the
# web engine rather than quietly building fewer tests.
cmake --preset ci
cmake --build --preset ci
echo "== clang-tidy"
bash scripts/tidy.sh
ctest --preset ci

echo "== sanitizer build and tests"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan

echo "== thread sanitizer build and the export's end-to-end test"
# The export reads, catalogues, builds and writes on two threads; any race halts glossa, whose
# stderr the test compares.
export TSAN_OPTIONS="halt_on_error=1"
cmake --preset tsan >/dev/null
cmake --build --preset tsan
ctest --preset tsan

echo "== Windows build and tests under Wine"
bash scripts/test-windows.sh

echo "== fuzz smoke run (30 s per target)"
bash scripts/fuzz.sh 30
