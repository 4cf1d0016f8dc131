#!/usr/bin/env bash
# Builds the consumer checks and the example programs with the flags of
# the installed velut.pc and runs each.
#   pkg_config_test.sh PREFIX CXX EXAMPLES_DIR OUT_DIR [SANITIZERS]
set -eu
prefix="$1" cxx="$2" examples="$3" out="$4" sanitizers="${5:-}"
export PKG_CONFIG_PATH="$(echo "$prefix"/lib*/pkgconfig | tr ' ' ':')"
extra=()
if [[ -n "$sanitizers" ]]; then
  extra=("-fsanitize=${sanitizers//;/,}")
fi
mkdir -p "$out"
share="$(pkg-config --variable=prefix velut)/share/velut/example"
# The consumer checks that the installed header names this version.
IFS=. read -r major minor patch <<<"$(pkg-config --modversion velut)"
extra+=(-DVELUT_PACKAGE_MAJOR="$major" -DVELUT_PACKAGE_MINOR="$minor" -DVELUT_PACKAGE_PATCH="$patch")
for source in main text_example strings_example convert_example paths_example; do
  # shellcheck disable=SC2046
  "$cxx" "${extra[@]}" "$examples/$source.cpp" -o "$out/$source" \
    $(pkg-config --cflags --libs velut) -Wl,-rpath,"$(pkg-config --variable=libdir velut)"
  if [[ $source == strings_example ]]; then "$out/$source" "$share"; else "$out/$source"; fi
done
