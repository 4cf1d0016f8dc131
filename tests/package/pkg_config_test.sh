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
extra+=(-DVELUT_PACKAGE_MAJOR="$major" -DVELUT_PACKAGE_MINOR="$minor"
       -DVELUT_PACKAGE_PATCH="$patch")
# velut.pc names no language standard: the consumer picks its own, C++17
# or later. A C++20 program stays C++20 after the package's flags.
cat >"$out/cxx20.cpp" <<'EOF2'
#include <VelUt/VelUt.h>
static_assert(__cplusplus >= 202002L, "velut.pc lowered the consumer's language standard");
int main() { return VelUt::IsUrl(L"http://example.com") ? 0 : 1; }
EOF2
# shellcheck disable=SC2046
"$cxx" -std=c++20 "${extra[@]}" "$out/cxx20.cpp" -o "$out/cxx20" \
  $(pkg-config --cflags --libs velut) -Wl,-rpath,"$(pkg-config --variable=libdir velut)"
"$out/cxx20"
for source in main first_example porting_example text_example strings_example convert_example \
    paths_example; do
  # shellcheck disable=SC2046
  "$cxx" -std=c++17 "${extra[@]}" "$examples/$source.cpp" -o "$out/$source" \
    $(pkg-config --cflags --libs velut) -Wl,-rpath,"$(pkg-config --variable=libdir velut)"
  "$out/$source" "$share"  # the folder for the programs that read the example's files
done
