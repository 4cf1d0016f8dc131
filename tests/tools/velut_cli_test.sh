#!/usr/bin/env bash
# Runs velut commands and checks their output and exit status.
set -u
velut="$1"
failures=0
passes=0

# expect STATUS EXPECTED_STDOUT -- ARGS...: runs velut with $stdin (empty
# unless expect_input sets it) on standard input.
stdin=""
expect() {
  local want_status="$1" want_out="$2"
  shift 3
  local out status
  out="$(printf '%s' "$stdin" | "$velut" "$@" 2>/dev/null)"
  status=$?
  if [[ "$status" != "$want_status" || "$out" != "$want_out" ]]; then
    echo "FAIL: velut $*${stdin:+ < $stdin}"
    echo "  want status $want_status, output: $want_out"
    echo "  got  status $status, output: $out"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

# expect_input STATUS EXPECTED_STDOUT STDIN -- ARGS...
expect_input() {
  local stdin="$3"
  expect "$1" "$2" "${@:4}"
}

# expect_usage ARGS...: status 2 and exactly one line on standard error.
expect_usage() {
  local err status
  err="$("$velut" "$@" 2>&1 >/dev/null)"
  status=$?
  if [[ "$status" != 2 || "$(printf '%s\n' "$err" | wc -l)" != 1 || -z "$err" ]]; then
    echo "FAIL: velut $* should be a one-line usage error (status $status): $err"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

expect 0 'a\,b\;c' -- escape 'a,b;c'
expect 0 '{"text":"a\\,b\\;c","count":2}' -- escape --json 'a,b;c'
expect 0 'a,b;c' -- unescape 'a\,b\;c'
expect 0 'a|:b' -- escape --chars : --escape '|' 'a:b'
expect 0 'x=é,y' -- unescape --chars ',' 'x=é\,y'
expect 0 'a' -- trim-left '  ,a'
expect 0 'a ' -- trim-right 'a ,'
expect 1 'a' -- trim-right 'a  '
expect 0 '{"text":"a,","result":1}' -- trim-right --json --char , 'a,,'
expect 0 '--x' -- escape -- '--x'

expect 0 '6' -- find 'Hello World' WORLD
expect 0 '1' -- find --start 1 aaa aa
expect 1 '-1' -- find --start 3 abc c
expect 1 '{"position":-1}' -- find --json 'À' 'à'
expect 0 '-2' -- find --start=-2 abc AB
expect 0 'bb' -- replace aaaa AA b
expect 0 '{"text":"abbc","count":1}' -- replace --json abc B bb
expect 0 'abc' -- replace a-b-c -
expect 0 '{"text":"xyz","count":0}' -- replace --json xyz '' q
expect_input 0 $'C:\\Temp\\\nD:\\' $'C:\\Temp\\\n c:\\temp\nD:\\\n' -- dedupe
expect_input 0 '{"lines":["a","b"],"count":2}' $'a\nA\nb\nB' -- dedupe --json
expect_input 0 $'À\nà' $'À\nà\n' -- dedupe
expect_input 0 'À' $'À\nà\n' -- dedupe --locale C.UTF-8
expect_input 0 '' '' -- dedupe
expect 0 '0 5 5 4294967295' -- sort 5 4294967295 0 5
expect_input 0 '{"values":[1,2,3]}' $'3 1\n2\n' -- sort --json

expect_usage find abc
expect_usage find --start x abc b
expect_usage replace abc
expect_usage dedupe extra
expect_usage dedupe --locale no-such-locale
expect_usage sort 4294967296
expect_usage sort -1

expect_usage
expect_usage no-such-command
expect_usage escape
expect_usage escape a b
expect_usage escape --escape ab x
expect_usage escape --bogus x
expect_usage trim-left --char

"$velut" --help | grep -q '^  escape ' || { echo "FAIL: --help lists no escape"; failures=$((failures + 1)); }
"$velut" escape --help | grep -q '^usage: velut escape' || { echo "FAIL: escape --help"; failures=$((failures + 1)); }
"$velut" --version | grep -Eq '^velut [0-9]+\.[0-9]+\.[0-9]+$' || { echo "FAIL: --version"; failures=$((failures + 1)); }

echo "$passes passed, $failures failed"
[[ $failures == 0 ]]
