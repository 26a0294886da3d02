#!/usr/bin/env bash
# Builds, then runs the simulator with its default script: one client, the
# plug-in loaded, a local match of three players, one car hidden.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
exec build/tools/corvane-sim "$@"
