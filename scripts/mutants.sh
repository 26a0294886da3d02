#!/usr/bin/env bash
# Measures which faults the tests miss: plants one fault at a time (a mutant) in
# the plug-in's own code (glimmerfade/: plugin/, visibility/, netcode/, support/), rebuilds and
# runs the tests. A mutant is killed when it builds and a test fails (or a test
# stage runs past its time limit), survived when every test passes, not built
# when the build fails. Not part of CI.
#
# Usage: scripts/mutants.sh [COUNT] [SEED]        (defaults 150 and 1)
#
# Every mutation of the code is listed in a fixed order, and COUNT of them are
# chosen by SEED: the same COUNT and SEED choose the same mutants on the same
# tree. The mutations (scripts/mutants.py finds them; comments, strings,
# preprocessor lines and static_assert are left alone):
#   relational  < to <=, <= to <, > to >=, >= to >, == to !=, != to ==
#   logical     && to ||, || to &&
#   boolean     true to false, false to true
#   constant    an integer n to n + 1; 0 to 1, 1 to 0
#   statement   a whole-line call, assignment, increment or bare return deleted
#   condition   if (x) to if (!(x)), unless x is a lone == or != (see relational)
# Warnings do not fail the build of a mutant; the standard library checks its
# indexes (_GLIBCXX_ASSERTIONS), as in the sanitizer build.
#
# The working tree is never changed: the mutants are planted in a private copy
# of it (its files as git sees them, uncommitted changes included),
# build-mutants/src, built with the linux preset (benchmarks off),
# configured once and rebuilt incrementally. Each mutant goes through two stages:
#   1. the quick killers: only the programs of the tests matching
#      MUTANTS_QUICK_TESTS are built, and those tests run with
#      GLIMMERFADE_SCENARIOS=MUTANTS_SCENARIOS;
#   2. when they pass: everything is built and the whole CTest suite runs,
#      stopping at the first failure.
# A test stage may take MUTANTS_TIME_FACTOR (default 3) times its time without a
# mutant, plus two minutes. The end prints killed, survived and not built per
# folder, the score, and every survivor as a diff, and keeps the same in
# build-mutants/report-COUNT-SEED.txt, ending with the survivors as the rows
# of a Markdown table that names each one's file and function, for
# docs/testing.md.
#
# Environment: GLIMMERFADE_JOBS (default 2), MUTANTS_QUICK_TESTS (a CTest -R
# pattern; default the scenarios and the unit tests of the plug-in's parts),
# MUTANTS_SCENARIOS (default 20), MUTANTS_TIME_FACTOR.
set -euo pipefail
cd "$(dirname "$0")/.."

count="${1:-150}"
seed="${2:-1}"
jobs="${GLIMMERFADE_JOBS:-2}"
quick_tests="${MUTANTS_QUICK_TESTS:-^(Scenarios|EnforcementPass|NamesList|ReplicationMessage|LeadingInteger|VisibilityTableJson)\.}"
scenarios="${MUTANTS_SCENARIOS:-20}"
factor="${MUTANTS_TIME_FACTOR:-3}"
build_limit=3600
tree="$PWD"
work="$tree/build-mutants"
src="$work/src"
plan="$work/plan"
results="$work/results.tsv"
python=python3
if [ -x /usr/bin/python3 ]; then python=/usr/bin/python3; fi
helper=("$python" "$tree/scripts/mutants.py")

running=""  # the stage running in the background
mutated=""  # the file of the copy that holds a mutant
terminal=0
if [ -t 1 ]; then terminal=1; fi

restore() {
  if [ -n "$mutated" ]; then
    cp "$work/original" "$src/$mutated"
    mutated=""
  fi
}
cleanup() {
  if [ -n "$running" ]; then
    kill -TERM "$running" 2>/dev/null || true
    wait "$running" 2>/dev/null || true
  fi
  restore
}
trap cleanup EXIT
trap 'echo; echo "mutants: interrupted; the copy holds no mutant"; exit 130' INT TERM

# --- Progress ----------------------------------------------------------------------
done_count=0 killed=0 survived=0 not_built=0
started=$SECONDS finished=$SECONDS last_line=0 activity=""

time_left() {
  if [ "$done_count" -eq 0 ]; then
    echo "time left not yet known"
    return
  fi
  # The mean time of a finished mutant for each one left, less what the current one already took.
  local mean=$(((finished - started) / done_count)) seconds
  seconds=$((mean * (count - done_count) - (SECONDS - finished)))
  if [ "$seconds" -lt $((mean * (count - done_count - 1))) ]; then seconds=$((mean * (count - done_count - 1))); fi
  printf '~%d min %02d s left' $((seconds / 60)) $((seconds % 60))
}
findings() { echo "killed $killed, survived $survived, not built $not_built"; }

show_progress() {
  if [ "$terminal" = 1 ]; then
    local filled=$((done_count * 30 / count)) bar
    bar="$(printf '%*s' "$filled" '' | tr ' ' '#')$(printf '%*s' $((30 - filled)) '' | tr ' ' '.')"
    printf '\r\033[K[%s] %d/%d  %s  %s  (%s)' "$bar" "$done_count" "$count" "$(findings)" "$(time_left)" \
      "$activity"
  elif [ $((SECONDS - last_line)) -ge 10 ]; then
    echo "  $done_count/$count done: $(findings); $(time_left); $activity"
    last_line=$SECONDS
  fi
}

say() {  # a line of its own, above the progress bar on a terminal
  if [ "$terminal" = 1 ]; then printf '\r\033[K'; fi
  echo "$*"
  last_line=$SECONDS
}

# Runs a command in the background with a time limit and its output in a log,
# showing progress meanwhile. Returns its status: 124 when the limit was reached.
# Standard input is empty: corvane-sim, run by the tests, is interactive on a terminal.
run_limited() {
  local limit="$1" log="$2"
  shift 2
  timeout --kill-after=30 "$limit" "$@" </dev/null >"$log" 2>&1 &
  running=$!
  while kill -0 "$running" 2>/dev/null; do
    show_progress
    sleep 1
  done
  local status=0
  wait "$running" || status=$?
  running=""
  return "$status"
}

# --- The stages --------------------------------------------------------------------
test_quick=(env GLIMMERFADE_SCENARIOS="$scenarios" ctest --preset linux -j "$jobs" -R "$quick_tests"
            --stop-on-failure)
test_all=(env -u GLIMMERFADE_SCENARIOS ctest --preset linux -j "$jobs" --stop-on-failure)

# The copy follows the tree; it is configured once.
prepare() {
  rm -rf "$work/logs"
  mkdir -p "$src" "$work/logs"
  "${helper[@]}" sync "$tree" "$src"
  cd "$src"
  # build/: the linux preset's folder. A mutant often leaves a variable or a
  # function unused; that is a fault for the tests to find, not a build failure,
  # so the preset's warnings-as-errors is turned off here. The standard
  # library's assertions are on, as in the sanitizer build: a mutant that reads
  # one element past a container's end then fails instead of reading on.
  cmake --preset linux -DGLIMMERFADE_BENCH=OFF -DGLIMMERFADE_WARNINGS_AS_ERRORS=OFF \
    -DGLIMMERFADE_STDLIB_ASSERTIONS=ON \
    >"$work/configure.log"
}

# The programs that the quick tests run, as build targets.
find_quick_targets() {
  read -ra targets <<<"$(ctest --preset linux --show-only=json-v1 -R "$quick_tests" | "${helper[@]}" executables)"
  if [ "${#targets[@]}" -eq 0 ]; then
    say "mutants: no test matches MUTANTS_QUICK_TESTS=$quick_tests"
    exit 1
  fi
}

# Builds and runs everything without a mutant, which must pass, and sets the time limits.
baseline() {
  activity="building the copy without a mutant"
  run_limited "$build_limit" "$work/logs/baseline-build.log" cmake --build --preset linux -j "$jobs" ||
    { say "mutants: the copy does not build; see $work/logs/baseline-build.log"; exit 1; }
  find_quick_targets
  local start=$SECONDS
  activity="the quick tests without a mutant"
  run_limited 3600 "$work/logs/baseline-quick.log" "${test_quick[@]}" ||
    { say "mutants: the quick tests fail without a mutant; see $work/logs/baseline-quick.log"; exit 1; }
  quick_limit=$(((SECONDS - start) * factor + 120))
  start=$SECONDS
  activity="the whole suite without a mutant"
  run_limited 7200 "$work/logs/baseline-all.log" "${test_all[@]}" ||
    { say "mutants: the suite fails without a mutant; see $work/logs/baseline-all.log"; exit 1; }
  all_limit=$(((SECONDS - start) * factor + 120))
  say "Time limits: quick tests ${quick_limit} s, whole suite ${all_limit} s; quick programs: ${targets[*]}"
}

# What stopped a test stage: the time limit, or the first failed test.
failure() {
  local status="$1" log="$2" limit="$3"
  if [ "$status" -eq 124 ]; then
    echo "killed by the time limit (${limit} s)"
  else
    echo "by $(sed -n '/tests FAILED:/{n;p;q}' "$log" | sed -E 's/^[[:space:]]*[0-9]+ - //')"
  fi
}

# Runs the stages for the mutant in the copy; sets outcome, stage and detail.
try_mutant() {
  local log="$work/logs/$1" status=0
  outcome="not built" stage=quick detail=""
  run_limited "$build_limit" "$log-build.log" cmake --build --preset linux -j "$jobs" --target "${targets[@]}" ||
    return 0
  run_limited "$quick_limit" "$log-quick.log" "${test_quick[@]}" || status=$?
  if [ "$status" -ne 0 ]; then
    outcome=killed detail="$(failure "$status" "$log-quick.log" "$quick_limit")"
    return 0
  fi
  stage=whole
  run_limited "$build_limit" "$log-build-all.log" cmake --build --preset linux -j "$jobs" || return 0
  run_limited "$all_limit" "$log-all.log" "${test_all[@]}" || status=$?
  outcome=survived
  if [ "$status" -ne 0 ]; then outcome=killed detail="$(failure "$status" "$log-all.log" "$all_limit")"; fi
}

# --- The run -----------------------------------------------------------------------
record() {  # NUMBER FOLDER FILE LINE OPERATOR WHAT SECONDS FUNCTION
  case "$outcome" in
    killed) killed=$((killed + 1)) ;;
    survived) survived=$((survived + 1)) ;;
    *) not_built=$((not_built + 1)) ;;
  esac
  done_count=$((done_count + 1)) finished=$SECONDS
  printf '%s\t' "$1" "$2" "$3" "$4" "$5" "$outcome" "$stage" "$7" "$detail" "$8" >>"$results"
  printf '%s\n' "$6" >>"$results"
  say "$(printf '[%3d/%d] %-9s %s:%s (%s) %s | %s | %s stage, %d s %s' "$1" "$count" "$outcome" "$3" "$4" "$8" \
    "$5" "$6" "$stage" "$7" "$detail")"
}

# shellcheck disable=SC2094  # apply reads the plan; nothing writes it
run_mutants() {
  local number folder file line operator what _ function start
  started=$SECONDS
  : >"$results"
  while IFS=$'\t' read -r -u 3 number folder file line operator what _ function; do
    start=$SECONDS
    activity="mutant $number: $file:$line $operator"
    cp "$src/$file" "$work/original"
    mutated="$file"
    "${helper[@]}" apply "$src" "$plan/plan.tsv" "$number"
    try_mutant "$number"
    restore
    record "$number" "$folder" "$file" "$line" "$operator" "$what" $((SECONDS - start)) "$function"
  done 3<"$plan/plan.tsv"
}

# The table per folder, the score, the time per mutant, and every survivor's diff.
report() {
  cat "$plan/summary.txt"
  awk -F'\t' '
    { n[$2, $6]++; n["total", $6]++; t[$6 " (" $7 " stage)"] += $8; c[$6 " (" $7 " stage)"]++ }
    $9 ~ /time limit/ { timeouts++ }
    END {
      printf "\n%-12s %8s %9s %10s\n", "folder", "killed", "survived", "not built"
      split("plugin visibility netcode support total", folders, " ")
      for (i = 1; i <= 5; i++)
        printf "%-12s %8d %9d %10d\n", folders[i], n[folders[i], "killed"], n[folders[i], "survived"],
               n[folders[i], "not built"]
      k = n["total", "killed"]; s = n["total", "survived"]
      if (k + s == 0) print "\nscore: no mutant was built"
      else printf "\nscore: %d killed of %d built = %.1f %% (%d killed by a time limit)\n", k, k + s,
                  100 * k / (k + s), timeouts
      for (key in c) printf "  %-24s %3d mutants, %4.0f s each on average\n", key, c[key], t[key] / c[key]
    }' "$results"
  local seconds=$((SECONDS - started))
  printf 'run time of the mutants: %d min %02d s (limits: quick tests %d s, whole suite %d s)\n' \
    $((seconds / 60)) $((seconds % 60)) "$quick_limit" "$all_limit"
  local number folder file line operator function
  while IFS=$'\t' read -r number folder file line operator _ _ _ _ function _; do
    printf '\nSurvivor %s: %s:%s in %s (%s)\n' "$number" "$file" "$line" "$function" "$operator"
    cat "$plan/$number.diff"
  done < <(awk -F'\t' '$6 == "survived"' "$results")
  # The survivors as rows of docs/testing.md's table, by file and function (lines move).
  if awk -F'\t' '$6 == "survived" { found = 1 } END { exit !found }' "$results"; then
    printf '\n| mutant | judged |\n|---|---|\n'
    awk -F'\t' '$6 == "survived" {
      n = split($3, parts, "/"); what = $11; gsub(/\|/, "\\|", what)
      printf "| %s, `%s`: `%s` | |\n", parts[n], $10, what }' "$results"
  fi
}

prepare
rm -rf "$plan"
"${helper[@]}" plan "$tree" "$count" "$seed" "$plan" >"$work/plan-summary.txt"
{ echo "Seed $seed, $count mutants asked for"; cat "$work/plan-summary.txt"; } >"$plan/summary.txt"
rm "$work/plan-summary.txt"
count=$(wc -l <"$plan/plan.tsv")
cat "$plan/summary.txt"
baseline
run_mutants
say ""
report | tee "$work/report-$count-$seed.txt"
