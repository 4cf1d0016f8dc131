#!/usr/bin/env bash
# Instructions per text unit of one FindNoCase / ReplaceNoCase call (ours,
# the described algorithm, Boost) on the 1 MiB benchmark texts, counted by
# callgrind (stable where wall-clock time
# on a shared machine is not).
#   bench/instructions.sh [BUILD_DIR]     (default build/bench)
set -euo pipefail
bench="${1:-build/bench}/bench/find_replace_bench"
units=262144
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
for row in "FindNoCase/end/velut VelUt::FindNoCase*" \
           "FindNoCase/end/transcription (anonymous namespace)::TranscribedFind(*" \
           "FindNoCase/end/boost_ifind_first (anonymous namespace)::BoostFind(*" \
           "ReplaceNoCase/end/velut VelUt::ReplaceNoCase*" \
           "ReplaceNoCase/end/transcription (anonymous namespace)::TranscribedReplace(*" \
           "ReplaceNoCase/end/boost_ireplace_all (anonymous namespace)::BoostReplace(*" \
           "ReplaceNoCase/every200/velut VelUt::ReplaceNoCase*" \
           "ReplaceNoCase/every200/transcription (anonymous namespace)::TranscribedReplace(*" \
           "ReplaceNoCase/every200/boost_ireplace_all (anonymous namespace)::BoostReplace(*"; do
  name="${row%% *}"
  function="${row#* }"
  # One iteration: the benchmark runs a single call when no time is asked for.
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$function" \
    "$bench" --benchmark_filter="^$name\$" --benchmark_min_time=0 >/dev/null 2>&1
  total="$(awk '/^totals:/ {print $2}' "$out")"
  awk -v n="$name" -v t="$total" -v u="$units" \
    'BEGIN { printf "%-42s %10d instructions  %.2f per unit\n", n, t, t / u }'
done
