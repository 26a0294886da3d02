#!/usr/bin/env bash
# Instructions per enforcement pass, counted by callgrind: the project's pass,
# the reference (decoding "invis_json" afresh every pass), the floor (only the
# host calls a pass makes) and the module's pass through the host's hook. Each
# kind runs twice in the pass driver, with FEW and MANY passes; the difference
# divided by the difference in passes cancels the set-up, so the figures repeat
# from run to run.
#
# Usage: scripts/callgrind.sh [build-dir] [kind...]   (default: build, all kinds)
# Environment: FEW (default 200) and MANY (default 2200) passes.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir="${1:-build}"
shift || true
kinds=("$@")
if [ "${#kinds[@]}" -eq 0 ]; then kinds=(project reference floor module); fi
few="${FEW:-200}"
many="${MANY:-2200}"

driver="$build_dir/tests/bench/glimmerfade_pass_driver"
if [ ! -x "$driver" ]; then
  echo "No pass driver at $driver; build the project first (benchmarks on)." >&2
  exit 1
fi
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Total instructions of one run of the driver.
instructions() {
  local kind="$1" passes="$2" out="$work/callgrind.$1.$2"
  valgrind --tool=callgrind --callgrind-out-file="$out" "$driver" "$kind" "$passes" >/dev/null 2>"$out.log" || {
    cat "$out.log" >&2
    return 1
  }
  awk '/^(summary|totals):/ { print $2; exit }' "$out"
}

declare -A per_pass
for kind in "${kinds[@]}"; do
  low="$(instructions "$kind" "$few")"
  high="$(instructions "$kind" "$many")"
  per_pass[$kind]=$(( (high - low) / (many - few) ))
  printf '%-10s %10d instructions per pass\n' "$kind" "${per_pass[$kind]}"
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
if [ -n "${per_pass[project]:-}" ] && [ -n "${per_pass[floor]:-}" ]; then
  echo "project pass / floor:     $(ratio "${per_pass[project]}" "${per_pass[floor]}")"
fi
if [ -n "${per_pass[reference]:-}" ] && [ -n "${per_pass[project]:-}" ]; then
  echo "reference / project pass: $(ratio "${per_pass[reference]}" "${per_pass[project]}")"
fi
if [ -n "${per_pass[reference]:-}" ] && [ -n "${per_pass[project]:-}" ] && [ -n "${per_pass[floor]:-}" ]; then
  echo "reference / floor:        $(ratio "${per_pass[reference]}" "${per_pass[floor]}")" \
    "(what reference / project pass can reach on this host)"
  echo "own work beyond the host calls, reference / project pass:" \
    "$(ratio $((per_pass[reference] - per_pass[floor])) $((per_pass[project] - per_pass[floor])))"
fi
