#!/usr/bin/env bash
# Pairs the rows of Google Benchmark JSON files by the rules of
# bench/pairs.txt and prints one line per pair, tab-separated:
#   key  peer  ours  peer's  ratio (ours ÷ peer)  unit  our label  peer's label
# Medians are taken when the runs were repeated. Lines come in name order.
#   bench/ratios.sh RESULT.json...
set -euo pipefail
pairs="$(dirname "$0")/pairs.txt"
jq -r '
  .benchmarks[]
  | select(.run_type == "iteration" or .aggregate_name == "median")
  | (.run_name // .name) as $name
  | ({"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[.time_unit]) as $scale
  | [ $name,
      (if .run_type == "aggregate" then "median" else "run" end),
      (if .measure != null then .measure
       elif ($name | test("/manual_time")) then .real_time * $scale
       else .cpu_time * $scale end),
      (if .measure != null then "count" else "ns" end),
      (.label // "") ]
  | @tsv' "$@" |
  awk -F'\t' -v OFS='\t' '
    FNR == NR {  # the rules
      if ($0 ~ /^#/ || NF == 0) next
      split($0, w, /[ \t]+/)
      if (w[1] == "ours") ours[w[2]] = 1
      else if (w[1] == "peer") peer_glob[++globs] = w[2]
      else if (w[1] == "prefix") { prefix_ours[w[2]] = 1; prefix_peer[w[3]] = w[2] }
      next
    }
    function is_peer(part,   i, re) {
      for (i = 1; i <= globs; ++i) {
        re = peer_glob[i]; gsub(/\*/, ".*", re); gsub(/\?/, ".", re)
        if (part ~ ("^" re "$")) return 1
      }
      return 0
    }
    {
      name = $1
      gsub(/\/(iterations|repeats|min_time|manual_time|real_time)(:[^\/]*)?/, "", name)
      # A repeated run gives its median; a single run its only line.
      if ($2 == "run" && (name in seen)) next
      seen[name] = 1
      n = split(name, part, "/"); who = ""; key = ""
      if (part[1] in prefix_ours) { who = "ours"; key = name }
      else if (part[1] in prefix_peer) {
        who = part[1]; key = prefix_peer[part[1]] substr(name, length(part[1]) + 1)
      } else {
        for (i = 1; i <= n; ++i) {
          if ((part[i] in ours) || is_peer(part[i])) who = (part[i] in ours) ? "ours" : part[i]
          else key = key (key == "" ? "" : "/") part[i]
        }
      }
      if (who == "") next
      value[key, who] = $3; unit[key, who] = $4; label[key, who] = $5
      if (who == "ours") ourkeys[key] = 1
      else if (!((key, who) in listed)) { listed[key, who] = 1; peers[key] = peers[key] " " who }
    }
    END {
      for (key in ourkeys) {
        for (k in peers) {
          if (k != key && index(key, k "/") != 1) continue
          m = split(peers[k], list, " ")
          for (j = 1; j <= m; ++j) {
            p = list[j]; if (value[k, p] <= 0) continue
            print key, p, value[key, "ours"], value[k, p], value[key, "ours"] / value[k, p],
                  unit[key, "ours"], label[key, "ours"], label[k, p]
          }
        }
      }
    }' "$pairs" - | sort -V
