#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the program's sources, using the ci
# build's compile commands. Not part of the test command: run it before a review.
#   scripts/tidy.sh [file...]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/ci/compile_commands.json ]; then
    cmake --preset ci >/dev/null
    cmake --build --preset ci
fi
if [ $# -gt 0 ]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files 'src/*.cpp')
fi
status=0
for f in "${files[@]}"; do
    clang-tidy -p build/ci --quiet "$f" || status=1
done
exit $status
