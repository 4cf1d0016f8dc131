#!/usr/bin/env bash
# Runs every fuzz target on its seed corpus for SECONDS each.
#   fuzz/run-all.sh BUILD_DIR [SECONDS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
bin="$1"
seconds="${2:-30}"
for target in "$bin"/*_fuzz; do
  name="$(basename "$target" _fuzz)"
  corpus="$(mktemp -d)"
  cp -r "$here/corpus/$name/." "$corpus/" 2>/dev/null || true
  dict=()
  [[ -f "$here/$name.dict" ]] && dict=("-dict=$here/$name.dict")
  echo "== $name: ${seconds}s"
  status=0
  "$target" "${dict[@]}" -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$corpus." \
    "$corpus" >"$corpus.log" 2>&1 || status=$?
  grep -E '^(stat::number_of_executed_units|==|SUMMARY|Done)' "$corpus.log" || true
  if [[ $status -ne 0 ]]; then
    tail -n 40 "$corpus.log"
    echo "fuzz target $name failed; the input is kept as $corpus.*"
    exit 1
  fi
  rm -rf "$corpus" "$corpus.log"
done
