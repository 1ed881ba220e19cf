#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs clang-tidy with the project's .clang-tidy over the program's sources (src/, their headers
# through the header filter), two files at a time, using the ci build's compile commands. The
# test command runs it after the ci build.
#   scripts/tidy.sh [file...]
# Exits 0 when no file has a finding, 1 when one has.
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

# The generated headers (moc, uic, the version header) sit under build/ci/src/, which the
# .clang-tidy filter's '/src/' also matches: only this checkout's own src/ is reported.
root=$(pwd)
header_filter="^$(printf '%s' "$root" | sed 's/[][\.*^$+?(){}|]/\\&/g')/src/"

checked=()
skipped=()
for f in "${files[@]}"; do
  # Sources for another platform (the Win32 bridge) have no compile command here.
  if grep -qF "\"file\": \"$root/$f\"" build/ci/compile_commands.json; then
    checked+=("$f")
  else
    skipped+=("$f")
  fi
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# Each file's report goes to its own log, so that the two running at once don't interleave.
tidy_one() {
  local log
  log="$out/$(printf '%s' "$1" | tr '/' '_').log"
  clang-tidy -p build/ci --quiet --header-filter="$header_filter" "$1" >"$log" 2>&1 ||
    echo "clang-tidy exited with $?" >>"$log"
}
export -f tidy_one
export out header_filter
if [ ${#checked[@]} -gt 0 ]; then
  # shellcheck disable=SC2016 # $1 is the inner shell's argument
  printf '%s\0' "${checked[@]}" | xargs -0 -n1 -P2 bash -c 'tidy_one "$1"' _
fi

failed=()
for f in "${checked[@]}"; do
  # clang-tidy counts the suppressed warnings on stderr; only findings are worth showing.
  findings=$(grep -v -E '^[0-9]+ warnings? generated\.$' "$out/$(printf '%s' "$f" | tr '/' '_').log" || true)
  if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    failed+=("$f")
  fi
done

echo "tidy: ${#checked[@]} file(s) checked, ${#failed[@]} with findings, ${#skipped[@]} skipped" \
  "(no compile command on this platform${skipped[*]:+: ${skipped[*]}})"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'tidy: findings in %s\n' "${failed[@]}"
  exit 1
fi
echo "tidy: clean"
