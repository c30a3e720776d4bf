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
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== sanitizer build"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== fuzz harnesses (${fuzz_seconds}s each)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
bash scripts/run-fuzzers.sh build-fuzz "$fuzz_seconds"
