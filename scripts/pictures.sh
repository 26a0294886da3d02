#!/usr/bin/env bash
# Draws the pictures the README shows into docs/: the settings page of the
# default script's client alice after her click, as her settings window draws
# it (mouse still on the box). Builds first, installing missing packages.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
mkdir -p docs
# The same software renderer every time, so the picture is the same every time.
export GALLIUM_DRIVER=llvmpipe
{
  build/tools/corvane-sim --print-default
  echo "sim use alice"
  echo "sim screenshot docs/settings-page-alice.png scale=2 crop=yes"
} | build/tools/corvane-sim - | grep -E "^(saved|error)"
