#!/usr/bin/env bash
# Builds, then runs every test; exits non-zero when any fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
ctest --test-dir build --output-on-failure -j "${GLIMMERFADE_JOBS:-2}"
