#!/usr/bin/env bash
# Builds, then runs every test; exits non-zero when any fails. Each leg is a
# CMake workflow preset (configure, build, the zip of the Windows and web legs,
# test), which `cmake --workflow --preset LEG` runs alone:
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
# unless told; Ninja builds on every core by itself), overlapping one leg's
# tests with the next leg's build, and telling how far each fuzz target and
# each leg got, what the soak did and what the page weighs.
#
# The legs build one after the other, each on every core. A leg's tests leave
# cores idle much of the time (wine starting a process for each test, the
# browser, the soak's and the races' threads waiting for one another), so they
# run in the background while the next leg builds; each leg's test output goes
# to build-LEG/test-leg.log and is printed when its tests end.
set -euo pipefail
cd "$(dirname "$0")/.."

skipped() { [ "${1:-0}" = 1 ] && [ "${CI:-}" != true ]; }
legs=(lint linux libcxx asan tsan)
if skipped "${GLIMMERFADE_SKIP_WINDOWS:-}"; then echo "Windows leg skipped"; else legs+=(windows-cross); fi
if skipped "${GLIMMERFADE_SKIP_WEB:-}"; then echo "Web leg skipped"; else legs+=(web); fi
bash scripts/setup.sh "${legs[@]}"
export CTEST_PARALLEL_LEVEL="${CTEST_PARALLEL_LEVEL:-$(nproc)}"

folder_of() {
  case "$1" in
    linux) echo build ;;
    windows-cross) echo build-windows ;;
    *) echo "build-$1" ;;
  esac
}

# The steps of the leg's workflow preset before its tests.
build_leg() {
  cmake --preset "$1"
  cmake --build --preset "$1"
  case "$1" in windows-cross | web) cpack --preset "$1" ;; esac
}

# The test steps of the leg's workflow preset, and what to tell of them.
test_leg() {
  local leg=$1 folder
  folder=$(folder_of "$leg")
  if [ "$leg" = asan ]; then
    ctest --preset asan-fuzz
    for log in build-asan/tests/fuzz/run/*/fuzz.log; do
      echo "$(basename "$(dirname "$log")"): $(grep -E '^Done [0-9]+ runs' "$log")"
    done
  fi
  ctest --preset "$leg"
  if [ "$leg" = tsan ]; then grep -h '^soak: ' "$folder/Testing/Temporary/LastTest.log" || true; fi
  if [ "$leg" = web ]; then
    sed -n '/the bytes the page downloads/,/^  total /p' "$folder/Testing/Temporary/LastTest.log"
  fi
}

declare -A tester started built
run_start=$SECONDS
for leg in "${legs[@]}"; do
  started[$leg]=$SECONDS
  build_leg "$leg"
  built[$leg]=$((SECONDS - started[$leg]))
  echo "Leg $leg built in ${built[$leg]} s; its tests run while the next leg builds"
  folder=$(folder_of "$leg")
  (
    test_leg "$leg" >"$folder/test-leg.log" 2>&1
    echo $((SECONDS - started[$leg])) >"$folder/leg-seconds"
  ) &
  tester[$leg]=$!
done

failed=()
for leg in "${legs[@]}"; do
  folder=$(folder_of "$leg")
  status=0
  wait "${tester[$leg]}" || status=$?
  echo "== Tests of the $leg leg =="
  cat "$folder/test-leg.log"
  if [ "$status" -ne 0 ]; then
    failed+=("$leg")
    echo "Leg $leg: its tests failed"
  else
    echo "Leg $leg: built in ${built[$leg]} s, tested by $(cat "$folder/leg-seconds") s from its start"
  fi
done
# The page's budget script tells how long the web leg last took.
if [ -f build-web/leg-seconds ]; then cp build-web/leg-seconds build-web/web-leg-seconds; fi
echo "All legs: $((SECONDS - run_start)) s"
if [ "${#failed[@]}" -gt 0 ]; then
  echo "Failed: ${failed[*]}"
  exit 1
fi
