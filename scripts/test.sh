#!/usr/bin/env bash
# The test command: installs what is missing, builds with warnings as errors,
# runs every test, then again under AddressSanitizer and UBSan, then runs each
# fuzz harness briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
fuzz_seconds=${CALORIX_FUZZ_SECONDS:-20}

echo "== dev build"
cmake --preset dev >/dev/null
cmake --build --preset dev -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs" | tee build/ctest.log

echo "== sanitizer build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" | tee build-asan/ctest.log

echo "== fuzz harnesses (${fuzz_seconds}s each)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/run-fuzzers.sh build-fuzz "$fuzz_seconds"

# One closing line for both test runs (ctest's own summaries scroll away above
# the fuzz output): every test ran in the plain and in the sanitizer build.
total=0
for log in build/ctest.log build-asan/ctest.log; do
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  total=$((total + ${count:-0}))
done
echo "tests: $total passed, 0 failed"
