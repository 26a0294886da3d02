#!/usr/bin/env bash
# A longer run of random whole matches held against the model: COUNT scenarios
# (default 10000), the first with seed SEED (default 1), scenario n with SEED + n.
# It prints the figures at the end, and for each kind of disagreement found the
# seed and the shortest failing corvane-sim script.
#
# Usage: scripts/scenarios.sh [COUNT] [SEED]
# Environment: BUILD_DIR (default build), GLIMMERFADE_SCENARIO_STEPS (random
# steps per scenario after its setup, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${BUILD_DIR:-build}"
if [ ! -f "$build_dir/CMakeCache.txt" ]; then bash scripts/setup.sh; fi
cmake --build "$build_dir" --target scenario_test -j "${GLIMMERFADE_JOBS:-2}"
export GLIMMERFADE_SCENARIOS="${1:-10000}"
export GLIMMERFADE_SCENARIO_SEED="${2:-1}"
exec "$build_dir/tests/scenarios/scenario_test" --gtest_filter=Scenarios.RandomMatchesAgreeWithTheModel
