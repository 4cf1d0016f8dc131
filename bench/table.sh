#!/usr/bin/env bash
# Runs every benchmark program (medians of 5 interleaved repetitions),
# keeps their JSON output and the conditions of the run (CPU, compiler,
# load) in RESULTS, and prints every pair of rows that bench/pairs.txt
# defines, as ours ÷ peer: below 1, ours is faster (or smaller). Then
# draws RESULTS/performance.svg with bench/chart.sh when gnuplot is there.
# VELUT_BENCH_ARGS adds options to every program (a shorter run on a busy
# machine: --benchmark_min_time=0.05); conditions.txt records them.
#   bench/table.sh [BENCH_BUILD_DIR [RESULTS]]   (build/bench, BENCH_BUILD_DIR/results)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-build/bench}"
results="${2:-$build/results}"
mkdir -p "$results"
rm -f "$results"/*.json

{
  echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -1)"
  compiler="$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")"
  echo "compiler: $("${compiler:-c++}" --version | head -1)"
  echo "options: --benchmark_repetitions=5 (interleaved) ${VELUT_BENCH_ARGS:-}"
  echo "load before: $(uptime)"
} >"$results/conditions.txt"

failed=0
for program in "$build"/bench/*_bench; do
  name="${program##*/}"
  "$program" --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true --benchmark_out_format=json \
    --benchmark_out="$results/$name.json" ${VELUT_BENCH_ARGS:-} >/dev/null 2>&1 || {
    echo "$name: failed with status $?" >&2
    rm -f "$results/$name.json"
    failed=1
  }
done
echo "load after: $(uptime)" >>"$results/conditions.txt"
"$here/ratios.sh" "$results"/*.json >"$results/ratios.tsv"

cat "$results/conditions.txt"
printf '%-50s %-36s %11s %11s %8s\n' "row" "peer" "ours" "peer's" "ours÷peer"
awk -F'\t' '
  function show(v, unit) {
    if (unit == "count") return sprintf("%.0f", v)
    return v >= 1e6 ? sprintf("%.2f ms", v / 1e6) : v >= 1e3 ? sprintf("%.1f us", v / 1e3) \
                    : sprintf("%.0f ns", v)
  }
  { printf "%-50s %-36s %11s %11s %8.3g\n", $1, $2, show($3, $6), show($4, $6), $5 }
' "$results/ratios.tsv"
if command -v gnuplot >/dev/null; then
  "$here/chart.sh" "$results/ratios.tsv" "$results/performance.svg"
  echo "chart: $results/performance.svg"
fi
exit "$failed"
