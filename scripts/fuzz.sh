#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets and runs each one on a copy of its corpus in fuzz/corpus/.
#   scripts/fuzz.sh [seconds-per-target] [target...]
# The test command runs it for a short smoke run, which only reads the corpora and leaves the
# tree as it was. A longer run (over 60 seconds a target, for example scripts/fuzz.sh 1200)
# merges what it found, minimised, into fuzz/corpus/<target>/ for a developer to commit, so the
# next run starts where this one stopped. Exits non-zero when a fuzzer finds something.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=()
  for f in fuzz/fuzz_*.cpp; do targets+=("$(basename "$f" .cpp)"); done
fi

count_inputs() { find "$1" -maxdepth 1 -type f | wc -l; }

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
status=0
for t in "${targets[@]}"; do
  corpus="$out/$t"
  mkdir -p "$corpus"
  if [ -d "fuzz/corpus/$t" ]; then cp -r "fuzz/corpus/$t/." "$corpus/"; fi
  echo "== fuzzing $t for ${seconds}s"
  if ! (cd "$out" && timeout $((seconds + 120)) "$OLDPWD/build/fuzz/fuzz/$t" \
    -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$out/$t-" \
    "$corpus" 2>"$out/$t.log"); then
    echo "fuzzer $t failed:" >&2
    tail -n 60 "$out/$t.log" >&2
    mkdir -p fuzz-out
    cp "$out/$t"-* fuzz-out/ 2>/dev/null || true
    status=1
  else
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb' "$out/$t.log" | sed "s/^/  $t /"
  fi
  if [ "$seconds" -gt 60 ]; then
    mkdir -p "fuzz/corpus/$t"
    before=$(count_inputs "fuzz/corpus/$t")
    (cd "$out" && "$OLDPWD/build/fuzz/fuzz/$t" -merge=1 "$OLDPWD/fuzz/corpus/$t" "$corpus" \
      >"$out/$t.merge.log" 2>&1) || true
    echo "  $t corpus: $before -> $(count_inputs "fuzz/corpus/$t") inputs"
  fi
done
exit $status
