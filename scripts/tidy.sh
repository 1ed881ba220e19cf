#!/usr/bin/env bash
# Runs clang-tidy with the project's .clang-tidy over the program's sources, using the ci
# build's compile commands. Not part of the test command: run it before a review.
#   scripts/tidy.sh [file...]
# Exits 0 when no file has a finding.
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

checked=0
skipped=()
failed=()
for f in "${files[@]}"; do
  # Sources for another platform (the Win32 bridge) have no compile command here.
  if ! grep -qF "\"file\": \"$root/$f\"" build/ci/compile_commands.json; then
    skipped+=("$f")
    continue
  fi
  checked=$((checked + 1))
  output=$(clang-tidy -p build/ci --quiet --header-filter="$header_filter" "$f" 2>&1) ||
    failed+=("$f")
  # clang-tidy counts the suppressed warnings on stderr; only findings are worth showing.
  findings=$(printf '%s\n' "$output" | grep -v -E '^[0-9]+ warnings? generated\.$' || true)
  if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    [[ " ${failed[*]-} " == *" $f "* ]] || failed+=("$f")
  fi
done

echo "tidy: $checked file(s) checked, ${#failed[@]} with findings, ${#skipped[@]} skipped" \
  "(no compile command on this platform${skipped[*]:+: ${skipped[*]}})"
if [ ${#failed[@]} -gt 0 ]; then
  printf 'tidy: findings in %s\n' "${failed[@]}"
  exit 1
fi
echo "tidy: clean"
