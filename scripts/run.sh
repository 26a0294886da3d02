#!/usr/bin/env bash
# Builds, then runs the simulator: with no arguments its default script (one
# change of the table carried from the match's host to two online clients),
# otherwise as the arguments say (a script file, "-" for standard input, "-i"
# for an interactive session).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh linux
cmake --preset linux >/dev/null
cmake --build --preset linux >/dev/null
if [ "$#" -eq 0 ]; then set -- --default; fi
exec build/simulator/tools/corvane-sim "$@"
