#!/usr/bin/env bash
# The web leg of the tests: builds the web preset (emscripten) into
# ./build-web; runs its programs under node (corvane-sim against the Linux
# build's, which scripts/setup.sh builds, and the scenario checker against
# the model); then the page's tests in Debian's chromium-headless-shell,
# driven by Playwright's driver from the lock file (npm ci; no browser is
# downloaded). Prints how long the leg took.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS
jobs="${GLIMMERFADE_JOBS:-2}"
if [ ! -x build/tools/corvane-sim ]; then bash scripts/setup.sh; fi

cmake --preset web
cmake --build --preset web -j "$jobs"
ctest --preset web -j "$jobs"

(cd web/tests && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
(cd web/tests && node --test)
seconds=$((SECONDS - start))
echo "$seconds" > build-web/web-leg-seconds
echo "Web leg: $seconds s"
