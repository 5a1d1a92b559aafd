#!/usr/bin/env bash
# Instruction counts of whole runs under callgrind (repeatable on a loaded
# machine, where wall time is not), and the wall time of the drained beach
# with 1 and 2 threads (one run each), with what two cores give at best.
# `make bench` runs it after the benchmark programs.
#   bench/instruction_counts.sh TIDMOR [BASELINE_TIDMOR]
# With a second program (an earlier build), each count is given for both.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
program="$(realpath "$1")"
baseline="${2:+$(realpath "$2")}"
command -v valgrind >/dev/null || { echo "instruction_counts.sh: valgrind missing (tools/deps.sh bench)"; exit 0; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# A copy of an example with lines of its data file replaced: sed expressions.
make_case() {
  local name="$1" example="$2"; shift 2
  mkdir -p "$work/$name"
  cp "$top/examples/$example/SIM.FILE" "$top/examples/$example/beach.dat" "$work/$name/"
  for e in "$@"; do sed -i "$e" "$work/$name/beach.dat"; done
}
make_case coupled coupled_beach
make_case wave_only coupled_beach 's/^1  1 .*I_INFIL.*/0  1      I_INFIL (aquifer off), I_MORPH/'
make_case fine coupled_beach 's/^244.0  50 /88.0  50 /' 's/^0.0141  0.01  0.5 /0.0141  0.01  0.14/'
make_case drained drained_beach 's/^964.0  50 /244.0  50 /' 's/^0.0141  0.01  0.5 /0.0141  0.01  0.25/'

# Instructions of one run (callgrind), in G; the callgrind output is kept as $work/DIR.cg.
count() {
  local exe="$1" dir="$2"; shift 2
  (cd "$work/$dir" && valgrind --tool=callgrind --callgrind-out-file="$work/$dir.cg" "$exe" "$@" \
     >/dev/null 2>"$work/cg.err")
  sed -n 's/.*Collected : \([0-9]*\).*/\1/p' "$work/cg.err" | awk '{printf "%.3f", $1 / 1e9}'
}

row() {
  local label="$1" dir="$2"; shift 2
  if [ -n "$baseline" ]; then
    local before; before="$(count "$baseline" "$dir" "$@")"
    local now; now="$(count "$program" "$dir" "$@")"
    printf '%-58s %9s G %9s G %7.2fx\n' "$label" "$now" "$before" "$(echo "$before / $now" | bc -l)"
  else
    local now; now="$(count "$program" "$dir" "$@")"
    printf '%-58s %9s G\n' "$label" "$now"
  fi
  echo "$now" > "$work/$dir.count"
}

echo "Instructions of whole runs (callgrind)"
if [ -n "$baseline" ]; then printf '%-58s %11s %11s %8s\n' "run" "this" "baseline" "fewer"; fi
row "coupled example, --threads 1" coupled --threads 1
row "same beach, aquifer off" wave_only --threads 1
row "coupled beach, L_ELEM 0.14 m, 11 wave periods, --threads 1" fine --threads 1
printf 'coupled example against the aquifer-off beach: %.1fx\n' \
  "$(echo "$(cat "$work/coupled.count") / $(cat "$work/wave_only.count")" | bc -l)"

# The coupled example's callgrind output of this program (the last one written).
echo
echo "Parts of the coupled example's run (--threads 1; instructions with what they call)"
"$top/bench/callgrind_calls.py" "$work/coupled.cg" tidmor::AQUIFER_INI tidmor::DINFIL_MODEL \
  tidmor::solve_boundary_system tidmor::MATRIX tidmor::integrate_kernels_ tidmor::EQSOL tidmor::eliminate_step_ \
  tidmor::replay_elimination tidmor::assemble_boundary_system tidmor::aquifer_geometry_fault tidmor::WAVE_MODEL \
  tidmor::SEDIMENT_TRANSPORT tidmor::BEACH tidmor::OUTPUT
echo
echo "Elementary functions per call in the same run (cr_log_batch: one call per group of kernel integrals)"
"$top/bench/callgrind_calls.py" "$work/coupled.cg" tidmor::cr_ tidmor::fast::log_batch_ \
  "tidmor::fast::{anonymous}::log_first_step"
echo
echo "Share of the coupled example's instructions by function (callgrind, --threads 1, callees excluded)"
callgrind_annotate "$work/coupled.cg" 2>/dev/null | sed -n '/file:function/,$p' | sed -n '2,16p' |
  sed -e 's/ \[[^]]*\]$//' -e 's/(tidmor::[^)]*)//g' -e 's/???://'
echo
echo "Drained beach, L_ELEM 0.25 m, 30 wave periods: wall time, one run each"
wall() {
  local start end
  start="$(date +%s.%N)"
  (cd "$work/drained" && "$program" "$@" >/dev/null 2>&1)
  end="$(date +%s.%N)"
  echo "$end - $start" | bc -l
}
one="$(wall --threads 1)"
two="$(wall --threads 2)"
printf '1 thread %.2f s, 2 threads %.2f s: %.2fx\n' "$one" "$two" "$(echo "$one / $two" | bc -l)"
# What two cores give this machine at best: two one-thread runs of the same
# case at once, each in its own folder, against one run alone (a machine
# whose cores share caches, memory or a host slows both).
cp -r "$work/drained" "$work/drained_twin"
start="$(date +%s.%N)"
(cd "$work/drained" && "$program" --threads 1 >/dev/null 2>&1) &
(cd "$work/drained_twin" && "$program" --threads 1 >/dev/null 2>&1) &
wait
end="$(date +%s.%N)"
pair="$(echo "$end - $start" | bc -l)"
printf 'two 1-thread runs at once %.2f s (%.2fx one alone): two cores give this machine at most about %.2fx\n' \
  "$pair" "$(echo "$pair / $one" | bc -l)" "$(echo "2 * $one / $pair" | bc -l)"
