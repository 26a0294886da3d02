#!/usr/bin/env bash
# A longer run of random whole matches held against the model: COUNT scenarios
# (default 10000), the first with seed SEED (default 1), scenario n with SEED + n.
# While it runs it shows its progress: on a terminal a bar with the count, the
# findings so far and the time left; otherwise such a line at least every 10
# seconds. It prints the figures at the end, and for each kind of disagreement
# found the seed and the shortest failing corvane-sim script.
#
# Usage: scripts/scenarios.sh [COUNT] [SEED]
# Environment: BUILD_DIR (default build), GLIMMERFADE_SCENARIO_STEPS (random
# steps per scenario after its setup, default 60), GLIMMERFADE_SCENARIO_PROGRESS
# (bar, lines or none; by default bar on a terminal, lines otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${BUILD_DIR:-build}"
if [ ! -f "$build_dir/CMakeCache.txt" ]; then bash scripts/setup.sh linux && cmake --preset linux; fi
cmake --build "$build_dir" --target scenario_test -j "${GLIMMERFADE_JOBS:-2}"
export GLIMMERFADE_SCENARIOS="${1:-10000}"
export GLIMMERFADE_SCENARIO_SEED="${2:-1}"
if [ -t 1 ]; then progress=bar; else progress=lines; fi
export GLIMMERFADE_SCENARIO_PROGRESS="${GLIMMERFADE_SCENARIO_PROGRESS:-$progress}"
exec "$build_dir/tests/scenarios/scenario_test" --gtest_filter=Scenarios.RandomMatchesAgreeWithTheModel
