#!/usr/bin/env bash
# Builds, then runs every test; exits non-zero when any fails: the Linux
# build, the sanitizer build with the fuzz targets, the Windows build under
# wine and the WebAssembly build with the page in headless Chromium
# (GLIMMERFADE_SKIP_WINDOWS=1 and GLIMMERFADE_SKIP_WEB=1 skip those two legs
# for a quick local run; CI never does).
set -euo pipefail
cd "$(dirname "$0")/.."
# Warnings in our own code fail every leg's build.
export GLIMMERFADE_WARNINGS_AS_ERRORS=ON
bash scripts/setup.sh
ctest --test-dir build --output-on-failure -j "${GLIMMERFADE_JOBS:-2}"

# A second build with clang: the whole suite under AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer, and the fuzz targets, each fuzzing
# for GLIMMERFADE_FUZZ_SECONDS on a copy of its seed corpus.
jobs="${GLIMMERFADE_JOBS:-2}"
cmake --preset asan -DGLIMMERFADE_FUZZ_SECONDS="${GLIMMERFADE_FUZZ_SECONDS:-60}" \
  -DGLIMMERFADE_WARNINGS_AS_ERRORS=ON
cmake --build --preset asan -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-mesa.supp:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure -j "$jobs" -L fuzz
for log in build-asan/fuzz/run/*/fuzz.log; do
  echo "$(basename "$(dirname "$log")"): $(grep -E '^Done [0-9]+ runs' "$log")"
done
ctest --test-dir build-asan --output-on-failure -j "$jobs" -LE fuzz

if [ "${GLIMMERFADE_SKIP_WINDOWS:-0}" = 1 ] && [ "${CI:-}" != true ]; then
  echo "Windows leg skipped (GLIMMERFADE_SKIP_WINDOWS=1)"
else
  bash scripts/test-windows.sh
fi

if [ "${GLIMMERFADE_SKIP_WEB:-0}" = 1 ] && [ "${CI:-}" != true ]; then
  echo "Web leg skipped (GLIMMERFADE_SKIP_WEB=1)"
else
  bash scripts/test-web.sh
fi
