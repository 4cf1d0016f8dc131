#!/usr/bin/env bash
# Runs velut commands and checks their output and exit status.
set -u
velut="$1"
failures=0
passes=0

# expect STATUS EXPECTED_STDOUT -- ARGS...
expect() {
  local want_status="$1" want_out="$2"
  shift 3
  local out status
  out="$("$velut" "$@" 2>/dev/null)"
  status=$?
  if [[ "$status" != "$want_status" || "$out" != "$want_out" ]]; then
    echo "FAIL: velut $*"
    echo "  want status $want_status, output: $want_out"
    echo "  got  status $status, output: $out"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
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

expect 0 $'a\n\nb' -- split 'a,,b'
expect 0 $'a\nb' -- split --collapse 'a,,b'
expect 0 $'["a","\'b,c\'","d"]' -- split --json --quotes "a,'b,c',d"
expect 0 '["a","b"]' -- split --json --collapse --skip-empty --trim --delims ';,' ' a ; ,b,'
expect 1 '' -- split --collapse ',,,'
expect 1 '[]' -- split --json --collapse ''
expect 0 'a,,b' -- join a '' b
expect 0 'a;b' -- join --skip-empty --separator ';' '' a '' b
expect 0 '{"text":"a, b"}' -- join --json --separator ', ' a b
expect 0 '' -- join
expect 0 $'key\nvalue' -- split-once --trim 'key = value'
expect 0 '{"left":"a","right":"b:c","delimiter":"=","result":1}' -- split-once --json --delims ':=' 'a=b:c'
expect 1 'abc' -- split-once abc  # and an empty right part
expect 0 '6' -- match '(a(b)c)' 0
expect 0 '0' -- match '(a(b)c)' 6
expect 0 '6' -- match --skip-quoted "(a')'b)" 0
expect 0 '5' -- match --escape '\' '(a\)b)' 0
expect 1 '{"position":-1}' -- match --json '(a' 0
expect 1 '-1' -- match 'abc' -1
expect 0 'true' -- braces 'f(a[1], {b})'
expect 1 'false' -- braces 'f(a'
expect 1 '{"result":0}' -- braces --json --brace ')' 'a)'
expect 1 'false' -- braces --skip-quoted "'(' )"
expect 0 'abc' -- unquote --quote "'" " 'abc' "
expect 0 '{"text":"x","result":1}' -- unquote --json '"x"'
expect 1 'abc' -- unquote ' abc '

expect_usage
expect_usage no-such-command
expect_usage escape
expect_usage escape a b
expect_usage escape --escape ab x
expect_usage escape --bogus x
expect_usage trim-left --char
expect_usage match '(a' x
expect_usage match '(a'
expect_usage split a b
expect_usage braces --brace '()' x
expect_usage split --trim=1 x

"$velut" --help | grep -q '^  escape ' || { echo "FAIL: --help lists no escape"; failures=$((failures + 1)); }
"$velut" escape --help | grep -q '^usage: velut escape' || { echo "FAIL: escape --help"; failures=$((failures + 1)); }
"$velut" --version | grep -Eq '^velut [0-9]+\.[0-9]+\.[0-9]+$' || { echo "FAIL: --version"; failures=$((failures + 1)); }

echo "$passes passed, $failures failed"
[[ $failures == 0 ]]
