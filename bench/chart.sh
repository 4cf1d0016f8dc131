#!/usr/bin/env bash
# Draws the ratios that bench/ratios.sh prints as an SVG bar chart with
# gnuplot: one bar per row, from 1 to the row's ratio (ours ÷ peer) on a
# log scale, with a line at 1; bars left of the line are rows where ours
# is faster (or smaller).
#   bench/chart.sh RATIOS.tsv OUT.svg
set -euo pipefail
in="$1"
out="$2"
data="$(mktemp)"
trap 'rm -f "$data"' EXIT
# index, ratio, label ("row vs peer"); the first row at the top.
awk -F'\t' -v OFS='\t' '{ rows[NR] = $1 " vs " $2; ratio[NR] = $5 }
  END { for (i = 1; i <= NR; ++i) print NR - i, ratio[i], rows[i] }' "$in" >"$data"
rows="$(wc -l <"$data")"
gnuplot <<GNUPLOT
set terminal svg size 1100,$((rows * 18 + 110)) font "sans,11" background "white"
set termoption noenhanced
set output "$out"
set datafile separator "\t"
set title "ours ÷ peer (log scale): below 1, ours is faster or smaller"
set logscale x 10
set xrange [0.0001:1000]
set format x "%g"
set xtics ("0.0001" 0.0001, "0.001" 0.001, "0.01" 0.01, "0.1" 0.1, "1" 1, \
  "10" 10, "100" 100, "1000" 1000)
set yrange [-0.7:$rows - 0.3]
set ytics scale 0 font "sans,9"
set grid xtics
set lmargin 50
set style fill solid 0.8 noborder
set key off
set arrow from 1, graph 0 to 1, graph 1 nohead lw 2 lc rgb "black"
# x, y, x from, x to, y from, y to, colour (green below 1, red above), label
plot "$data" using (\$2 < 1 ? \$2 : 1):1:(\$2 < 1 ? \$2 : 1):(\$2 < 1 ? 1 : \$2): \
  (\$1 - 0.35):(\$1 + 0.35):(\$2 < 1 ? 0x2E8B57 : 0xC0392B):ytic(3) \
  with boxxyerror lc rgb variable
GNUPLOT
