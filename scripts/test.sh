#!/usr/bin/env bash
# Builds, then runs every test; exits non-zero when any fails: the Linux
# build, the sanitizer build with the fuzz targets, the ThreadSanitizer build
# with the concurrency soak, the Windows build under wine with the release
# zip, and the WebAssembly build with the page in headless Chromium (GLIMMERFADE_SKIP_WINDOWS=1 and GLIMMERFADE_SKIP_WEB=1
# skip those two legs for a quick local run; CI never does). Each leg is a
# preset; the presets make warnings in our own code fail every build.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${GLIMMERFADE_JOBS:-2}"
bash scripts/setup.sh
ctest --preset linux -j "$jobs"

# A second build with clang: the fuzz targets, each fuzzing for
# GLIMMERFADE_FUZZ_SECONDS (the preset's, unless set in the environment) on a
# copy of its seed corpus, then the whole suite under AddressSanitizer (leaks
# included) and UndefinedBehaviorSanitizer.
fuzz_seconds=()
if [ -n "${GLIMMERFADE_FUZZ_SECONDS:-}" ]; then
  fuzz_seconds=(-DGLIMMERFADE_FUZZ_SECONDS="$GLIMMERFADE_FUZZ_SECONDS")
fi
cmake --preset asan "${fuzz_seconds[@]}"
cmake --build --preset asan -j "$jobs"
ctest --preset asan-fuzz -j "$jobs"
for log in build-asan/fuzz/run/*/fuzz.log; do
  echo "$(basename "$(dirname "$log")"): $(grep -E '^Done [0-9]+ runs' "$log")"
done
ctest --preset asan -j "$jobs"

# A third build with clang under ThreadSanitizer: the whole suite but the two
# tests that count heap allocations, the concurrency soak for 20 seconds; a
# report fails its test (halt_on_error).
cmake --preset tsan
cmake --build --preset tsan -j "$jobs"
ctest --preset tsan -j "$jobs"

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
