#!/usr/bin/env bash
# The table of docs/performance.md, from the lines bench/ratios.sh prints:
# one row per pair, ours ÷ peer. Rows of a `prefix` rule of bench/pairs.txt
# (OURS/<class>) are shown by their worst class only, named in the row.
#   bench/markdown.sh RATIOS.tsv
set -euo pipefail
pairs="$(dirname "$0")/pairs.txt"
awk -F'\t' '
  FNR == NR {
    split($0, w, /[ \t]+/)
    if (w[1] == "prefix") classed[w[2]] = 1
    next
  }
  function show(v, unit) {
    if (unit == "count") return sprintf("%.0f", v)
    return v >= 1e6 ? sprintf("%.2f ms", v / 1e6) : v >= 1e3 ? sprintf("%.1f µs", v / 1e3) \
                    : sprintf("%.0f ns", v)
  }
  {
    row = $1; split(row, part, "/")
    if (part[1] in classed) {
      # Keep the worst class of each function and peer.
      id = part[1] SUBSEP $2
      if ((id in worst) && worst[id] >= $5) next
      if (!(id in worst)) order[++n] = id
      worst[id] = $5
      line[id] = sprintf("| %s (worst class: %s) | %s | %s | %s | %.3g |", part[1],
                         substr(row, length(part[1]) + 2), $2, show($3, $6), show($4, $6), $5)
      next
    }
    order[++n] = NR; line[NR] = sprintf("| %s | %s | %s | %s | %.3g |", row, $2, show($3, $6),
                                        show($4, $6), $5)
  }
  END {
    print "| row | peer | ours | peer'"'"'s | ours ÷ peer |"
    print "|---|---|---:|---:|---:|"
    for (i = 1; i <= n; ++i) print line[order[i]]
  }' <(grep -v '^#' "$pairs") "$1"
