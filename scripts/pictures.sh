#!/usr/bin/env bash
# Draws the pictures the README shows into docs/: the settings page of the
# default script's client alice after her click, as her settings window draws
# it (mouse still on the box); the three clients' match views before and
# after that click; and the page in a browser after it. Builds first,
# installing missing packages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh web
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
mkdir -p docs
# The same software renderer every time, so the picture is the same every time.
export GALLIUM_DRIVER=llvmpipe
{
  build/simulator/tools/corvane-sim --print-default
  echo "sim use alice"
  echo "sim screenshot docs/settings-page-alice.png scale=2 crop=yes"
} | build/simulator/tools/corvane-sim - | grep -E "^(saved|error)"
# The default script, pictured where it prints the cars before and after.
build/simulator/tools/corvane-sim --print-default |
  sed -e 's|^sim echo Before the change$|&\nsim screenshot docs/match-views-before.png views scale=2|' \
      -e '$a sim screenshot docs/match-views-after.png views scale=2' |
  build/simulator/tools/corvane-sim - | grep -E "^(saved|error)"
cmake --preset web >/dev/null
cmake --build --preset web --target glimmerfade-page >/dev/null
# Playwright's driver, installed into the build folder as the page's tests install it.
[ -d build-web/tests/page/playwright/node_modules/playwright-core ] ||
  ctest --preset web -R '^Page\.PlaywrightDriverInstalled$' >/dev/null
node tests/page/page-picture.mjs docs/page-after-click.png
