#!/usr/bin/env bash
# Compiles the three umbrella headers, as installed, the way a strict
# consumer does: every warning below is an error, at C++17 and C++20, with
# g++ and with clang++ (each that this machine has; the build's own
# compiler always).
#   strict_headers_test.sh PREFIX CXX
set -eu
prefix="$1" build_cxx="$2"
flags=(-fsyntax-only -Werror -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
       -Wold-style-cast -Wzero-as-null-pointer-constant)
source_file="$(mktemp --suffix=.cpp)"
trap 'rm -f "$source_file"' EXIT
printf '#include <%s>\n' VelUt/VelUt.h WinAPI/WinAPI.h CoreFoundation/CoreFoundation.h \
  >"$source_file"
compilers=("$build_cxx")
for cxx in g++ clang++; do
  if command -v "$cxx" >/dev/null &&
     [[ "$(command -v "$cxx")" != "$(command -v "$build_cxx")" ]]; then
    compilers+=("$cxx")
  fi
done
status=0
for cxx in "${compilers[@]}"; do
  for std in c++17 c++20; do
    if "$cxx" -std="$std" "${flags[@]}" -I"$prefix/include" "$source_file"; then
      echo "clean: $cxx -std=$std"
    else
      echo "warnings: $cxx -std=$std" >&2
      status=1
    fi
  done
done
exit "$status"
