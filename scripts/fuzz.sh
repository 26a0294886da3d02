#!/usr/bin/env bash
# Fuzzes every target longer than CI does and keeps what it finds: each target
# runs SECONDS on a copy of its corpus (tests/fuzz/corpus/NAME), then libFuzzer
# merges into that corpus the inputs that add coverage, so that the next run,
# CI's included, starts from them. A finding stops the script with the
# target's log; commit the grown corpus otherwise.
#
# Usage: scripts/fuzz.sh [SECONDS] [TARGET...]   (default: 600 s, every target)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-600}"
shift || true
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then targets=(fuzz_table fuzz_names_list fuzz_replication_message fuzz_envelope); fi

bash scripts/setup.sh asan
cmake --preset asan >/dev/null
cmake --build --preset asan --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-mesa.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for target in "${targets[@]}"; do
  corpus="tests/fuzz/corpus/$target"
  before=$(find "$corpus" -type f | wc -l)
  # As CTest runs it (tests/fuzz/CMakeLists.txt), only for longer.
  leaks_at_exit=OFF
  if [ "$target" != fuzz_names_list ]; then leaks_at_exit=ON; fi
  cmake -DFUZZER="build-asan/tests/fuzz/$target" -DSEEDS="$corpus" -DDICTIONARY="tests/fuzz/dict/$target.dict" \
        -DWORK="$work/$target" -DSECONDS="$seconds" -DLEAKS_AT_EXIT=$leaks_at_exit -P tests/fuzz/RunFuzzer.cmake
  "build-asan/tests/fuzz/$target" -merge=1 -detect_leaks=0 "$corpus" "$work/$target/corpus" \
    >"$work/$target/merge.log" 2>&1
  echo "$target: $(grep -h '^Done' "$work/$target/fuzz.log"); corpus $before -> $(find "$corpus" -type f | wc -l) inputs"
done
