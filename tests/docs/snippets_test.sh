#!/usr/bin/env bash
# Every C++ block of README.md and docs/*.md stands verbatim in a program of
# examples/consumer, which the package tests build and run, and the README
# shows first_example.cpp whole: no C++ a user reads goes uncompiled.
#   snippets_test.sh SOURCE_DIR
set -u
# shellcheck source=../package/verdict.sh
source "$(dirname "$0")/../package/verdict.sh"
cd "$1" || exit 1
programs="$(cat examples/consumer/*.cpp)"
for doc in README.md docs/*.md; do
  inside=0 count=0 block=""
  while IFS= read -r line; do
    if [[ $inside == 0 && $line == '```cpp' ]]; then
      inside=1 count=$((count + 1)) block=""
    elif [[ $inside == 1 && $line == '```' ]]; then
      inside=0
      [[ $programs == *"$block"* ]]
      verdict $? "$doc: C++ block $count stands in no program of examples/consumer"
    elif [[ $inside == 1 ]]; then
      block+="$line"$'\n'
    fi
  done <"$doc"
done
[[ $(<README.md) == *'```cpp'$'\n'"$(<examples/consumer/first_example.cpp)"$'\n''```'* ]]
verdict $? "README.md does not show examples/consumer/first_example.cpp whole"
summary "snippets"
