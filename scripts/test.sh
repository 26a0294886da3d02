#!/usr/bin/env bash
# Builds, then runs every test; exits non-zero when any fails. Each leg is a
# CMake workflow preset (configure, build, test, and the Windows leg's zip):
#   lint           clang-tidy on the plug-in's code and the simulated host's,
#                  zero findings; clang-format's check; the docs' names
#   linux          the normal build, and the plug-in alone against its installed SDK
#   libcxx         clang with libc++
#   asan           the fuzz targets, then the rest under AddressSanitizer and
#                  UndefinedBehaviorSanitizer
#   tsan           ThreadSanitizer, the concurrency soak among its tests
#   windows-cross  mingw-w64 under wine, the zip and its checks
#   web            WebAssembly under node, the page in headless Chromium
# GLIMMERFADE_SKIP_WINDOWS=1 and GLIMMERFADE_SKIP_WEB=1 skip the last two for
# a quick local run (CI never does); GLIMMERFADE_FUZZ_SECONDS sets how long
# each fuzz target runs. Here is only what CMake cannot do: installing
# Debian's packages, running the tests on every core (CTest runs one at a time
# unless told; Ninja builds on every core by itself), and telling how far each
# fuzz target and each leg got, what the soak did and what the page weighs.
set -euo pipefail
cd "$(dirname "$0")/.."

skipped() { [ "${1:-0}" = 1 ] && [ "${CI:-}" != true ]; }
legs=(lint linux libcxx asan tsan)
if skipped "${GLIMMERFADE_SKIP_WINDOWS:-}"; then echo "Windows leg skipped"; else legs+=(windows-cross); fi
if skipped "${GLIMMERFADE_SKIP_WEB:-}"; then echo "Web leg skipped"; else legs+=(web); fi
bash scripts/setup.sh "${legs[@]}"
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$(nproc)}"

for leg in "${legs[@]}"; do
  start=$SECONDS
  cmake --workflow --preset "$leg"
  seconds=$((SECONDS - start))
  if [ "$leg" = asan ]; then
    for log in build-asan/tests/fuzz/run/*/fuzz.log; do
      echo "$(basename "$(dirname "$log")"): $(grep -E '^Done [0-9]+ runs' "$log")"
    done
  fi
  if [ "$leg" = tsan ]; then grep -h '^soak: ' build-tsan/Testing/Temporary/LastTest.log || true; fi
  if [ "$leg" = web ]; then
    echo "$seconds" >build-web/web-leg-seconds
    sed -n '/the bytes the page downloads/,/^  total /p' build-web/Testing/Temporary/LastTest.log
  fi
  echo "Leg $leg: $seconds s"
done
