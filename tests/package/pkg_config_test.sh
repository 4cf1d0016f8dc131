#!/usr/bin/env bash
# Builds the consumer example with the flags of the installed velut.pc and
# runs it.
set -eu
prefix="$1" cxx="$2" source="$3" out="$4" sanitizers="${5:-}"
export PKG_CONFIG_PATH="$(echo "$prefix"/lib*/pkgconfig | tr ' ' ':')"
extra=()
if [[ -n "$sanitizers" ]]; then
  extra=("-fsanitize=${sanitizers//;/,}")
fi
# shellcheck disable=SC2046
"$cxx" "${extra[@]}" "$source" -o "$out" $(pkg-config --cflags --libs velut) \
  -Wl,-rpath,"$(pkg-config --variable=libdir velut)"
"$out"
