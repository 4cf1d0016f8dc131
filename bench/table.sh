#!/usr/bin/env bash
# Runs every benchmark program (medians of 5 interleaved repetitions) and
# prints one table: for each hot function and input, our CPU time, each
# peer's time as a multiple of ours (transcription = the straightforward
# algorithm kept in bench/ as the baseline; boost_* = Boost.StringAlgo;
# std_sort = the standard library), and for each limit_* (the same job
# done by the dependency we stand on, or a plain copy of the result) its
# time and ours as a multiple of it. Rows that measure memory show it in
# their label instead. Rows come in name order, numbers compared as numbers.
#   bench/table.sh [BENCH_BUILD_DIR]     (default build/bench)
set -euo pipefail
dir="${1:-build/bench}/bench"
reps=(--benchmark_repetitions=5 --benchmark_enable_random_interleaving=true
      --benchmark_report_aggregates_only=true --benchmark_format=csv)

printf '%-44s %12s  %s\n' "function / input" "ours" "peers (time as a multiple of ours); limits (ours as a multiple of the limit)"
failed=0
for program in "$dir"/*_bench; do
  csv="$("$program" "${reps[@]}" 2>/dev/null)" || {
    echo "${program##*/}: failed with status $?" >&2
    failed=1
    continue
  }
  awk -F, '
    # CSV rows: "name_median",iterations,real_time,cpu_time,time_unit,
    # bytes_per_second,items_per_second,"label",...
    NR > 1 && $1 ~ /_median"$/ {
      name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
      sub(/\/iterations:[0-9]+/, "", name)
      label = $8; gsub(/"/, "", label)
      ns = $4 * ($5 == "us" ? 1e3 : $5 == "ms" ? 1e6 : $5 == "s" ? 1e9 : 1)
      n = split(name, part, "/"); who = ""; key = ""
      for (i = 1; i <= n; ++i) {
        if (part[i] == "velut" || part[i] == "transcription" || part[i] ~ /^boost_/ ||
            part[i] == "std_sort" || part[i] ~ /^limit_/) who = part[i]
        else key = key (key == "" ? "" : "/") part[i]
      }
      if (who == "") { order[++count] = name; own[name] = ns; next }
      time[key, who] = ns; note[key, who] = label; peers[key] = peers[key] " " who
      if (who == "velut") order[++count] = key
    }
    function show(ns) {
      return ns >= 1e6 ? sprintf("%.2f ms", ns / 1e6) : ns >= 1e3 ? sprintf("%.1f us", ns / 1e3) : sprintf("%.0f ns", ns)
    }
    END {
      for (i = 1; i <= count; ++i) {
        key = order[i]
        if (key in own) { printf "%-44s %12s\n", key, show(own[key]); continue }
        ours = time[key, "velut"]; line = ""
        if (note[key, "velut"] != "") line = "  " note[key, "velut"]
        # Peers measured on the same input: same key, or a key that this
        # one extends (Boost has no flags to vary).
        for (k in peers) {
          if (k != key && index(key, k "/") != 1) continue
          m = split(peers[k], list, " ")
          for (j = 1; j <= m; ++j) {
            who = list[j]; t = time[k, who]
            if (who == "velut" || ours <= 0) continue
            if (note[k, who] != "") line = line sprintf("  %s: %s", who, note[k, who])
            else if (who ~ /^limit_/) line = line sprintf("  %s %s: ours %.1fx", who, show(t), ours / t)
            else line = line sprintf("  %s %.1fx", who, t / ours)
          }
        }
        printf "%-44s %12s %s\n", key, note[key, "velut"] != "" ? "" : show(ours), line
      }
    }' <<<"$csv" | sort -V
done
exit "$failed"
