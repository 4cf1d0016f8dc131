#!/usr/bin/env bash
# The complete program of the README's "Use" section is the one the package
# tests compile and run, examples/consumer/strings_example.cpp, as it is.
#   readme_program_test.sh SOURCE_DIR
set -u
readme="$(<"$1/README.md")"
program="$(<"$1/examples/consumer/strings_example.cpp")"
if [[ $readme == *'```cpp'$'\n'"$program"$'\n''```'* ]]; then
  echo "readme program: 1 passed, 0 failed"
else
  echo "README.md does not show examples/consumer/strings_example.cpp as it is"
  echo "readme program: 0 passed, 1 failed"
  exit 1
fi
