#!/usr/bin/env bash
# The complete program of the README's "Use" section is the one the package
# tests compile and run, examples/consumer/strings_example.cpp, as it is.
#   readme_program_test.sh SOURCE_DIR
set -u
# shellcheck source=verdict.sh
source "$(dirname "$0")/verdict.sh"
readme="$(<"$1/README.md")"
program="$(<"$1/examples/consumer/strings_example.cpp")"
[[ $readme == *'```cpp'$'\n'"$program"$'\n''```'* ]]
verdict $? "README.md does not show examples/consumer/strings_example.cpp as it is"
summary "readme program"
