#!/usr/bin/env bash
# Instructions of one call, counted by callgrind (stable where wall-clock
# time on a shared machine is not), and per unit of its input: one
# FindNoCase / ReplaceNoCase call (ours, the described algorithm, Boost) on
# the 1 MiB benchmark texts (262,144 units), and one parse of the
# 10,000-entry string table (780,812 bytes, ours against pugixml's own).
#   bench/instructions.sh [BUILD_DIR]     (default build/bench)
set -euo pipefail
dir="${1:-build/bench}/bench"
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
# program | benchmark | function counted | units of input
rows=(
  "find_replace|FindNoCase/end/velut|VelUt::FindNoCase*|262144"
  "find_replace|FindNoCase/end/transcription|(anonymous namespace)::TranscribedFind(*|262144"
  "find_replace|FindNoCase/end/boost_ifind_first|(anonymous namespace)::BoostFind(*|262144"
  "find_replace|ReplaceNoCase/end/velut|VelUt::ReplaceNoCase*|262144"
  "find_replace|ReplaceNoCase/end/transcription|(anonymous namespace)::TranscribedReplace(*|262144"
  "find_replace|ReplaceNoCase/end/boost_ireplace_all|(anonymous namespace)::BoostReplace(*|262144"
  "find_replace|ReplaceNoCase/every200/velut|VelUt::ReplaceNoCase*|262144"
  "find_replace|ReplaceNoCase/every200/transcription|(anonymous namespace)::TranscribedReplace(*|262144"
  "find_replace|ReplaceNoCase/every200/boost_ireplace_all|(anonymous namespace)::BoostReplace(*|262144"
  "xml_tree|XMLTree/utf8/velut|CFXMLTreeCreateFromData|780812"
  "xml_tree|XMLTree/utf8/limit_pugixml_load_buffer|pugi::xml_document::load_buffer(*|780812"
)
for row in "${rows[@]}"; do
  IFS='|' read -r program name function units <<<"$row"
  # One iteration: the benchmark runs a single call when no time is asked for.
  valgrind --tool=callgrind --callgrind-out-file="$out" --toggle-collect="$function" \
    "$dir/${program}_bench" --benchmark_filter="^$name\$" --benchmark_min_time=0 >/dev/null 2>&1
  total="$(awk '/^totals:/ {print $2}' "$out")"
  awk -v n="$name" -v t="$total" -v u="$units" \
    'BEGIN { printf "%-42s %10d instructions  %.2f per unit\n", n, t, t / u }'
done
