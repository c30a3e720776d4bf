#!/usr/bin/env bash
# Runs every fuzz harness in BUILD_DIR/fuzz for SECONDS, starting from its seed
# corpus (fuzz/corpus/<name>) and the crash inputs kept as regressions.
set -euo pipefail
build=${1:-build-fuzz}
seconds=${2:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
failed=0
for harness in "$build"/fuzz/fuzz_*; do
  [ -x "$harness" ] || continue
  name=$(basename "$harness")
  work=$(mktemp -d)
  seeds=()
  [ -d "$root/fuzz/corpus/$name" ] && seeds+=("$root/fuzz/corpus/$name")
  echo "-- $name"
  if ! "$harness" -max_total_time="$seconds" -print_final_stats=0 -artifact_prefix="$work/" \
      "$work" "${seeds[@]}" >"$work/log" 2>&1; then
    tail -n 40 "$work/log"
    echo "$name FAILED (artifacts in $work)"
    failed=1
  else
    grep -E '^#[0-9]+.*DONE' "$work/log" | tail -n 1 || true
  fi
done
exit $failed
