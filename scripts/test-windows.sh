#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds everything for 64-bit Windows
# with mingw-w64 into ./build-windows (the windows-cross preset), makes the
# release zip from it (scripts/package.sh) and runs the whole suite under
# wine, the zip's check included. The output comparison of corvane-sim runs
# the Linux build's one too, so build ./build first (scripts/setup.sh does).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${GLIMMERFADE_JOBS:-2}"

cmake --preset windows-cross
cmake --build --preset windows-cross -j "$jobs"
bash scripts/package.sh

# Debian keeps wine's loader and server outside PATH.
wine_dir=/usr/lib/wine
export WINEPREFIX="$PWD/build-windows/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$WINEPREFIX"
# One persistent wine server for the whole run (replacing one left running
# in this prefix), stopped at the end.
"$wine_dir/wineserver" -k 2>/dev/null || true
"$wine_dir/wineserver" -w
"$wine_dir/wineserver" -p
trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
# The first wine program starts wine's background services, which inherit
# its output and live as long as the server: start them here with their
# output going nowhere, or CTest would wait on them as on a test's output.
"$wine_dir/wine64" cmd /c exit 0 </dev/null >/dev/null 2>&1

ctest --preset windows-cross -j "$jobs"
