#!/usr/bin/env bash
# Measures the page's budgets and prints them: the bytes it downloads
# (gzipped and not; it fails above 650 KB gzipped), the time from navigation
# to its first drawn frame in headless Chromium, the time the program takes
# for a frame with three clients (median and 95th percentile), and the time
# of the last web leg (the web workflow in scripts/test.sh). Builds the page
# first.
#
# Usage: scripts/web-budget.sh [--against FOLDER]   (FOLDER: a copy of an
# earlier build's build-web/simulator/web/site, measured in the same run)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset web >/dev/null
cmake --build --preset web --target glimmerfade-page >/dev/null
# Playwright's driver, installed into the build folder as the page's tests install it.
[ -d build-web/tests/page/playwright/node_modules/playwright-core ] ||
  ctest --preset web -R '^Page\.PlaywrightDriverInstalled$' >/dev/null
exec node tests/page/budget.mjs "$@"
