# shellcheck shell=bash
# Sourced by the shell tests: checks counted as they pass and fail.
passed=0 failed=0

# verdict STATUS DESCRIPTION: a pass when STATUS is 0; otherwise DESCRIPTION
# is printed as the failure.
verdict() {
  if [[ $1 == 0 ]]; then
    passed=$((passed + 1))
  else
    echo "FAIL: $2"
    failed=$((failed + 1))
  fi
}

# summary NAME: prints the counts, and fails when a check failed.
summary() {
  echo "$1: $passed passed, $failed failed"
  [[ $failed == 0 ]]
}
