#!/usr/bin/env bash
# Runs velut commands and checks their output and exit status.
set -u
velut="$1"
failures=0
passes=0

# check MODE STATUS WANT -- ARGS...: runs velut with ARGS and $stdin (empty
# unless expect_input sets it) on standard input; its output must equal
# WANT (MODE "equals") or match the extended regex WANT ("matches").
stdin=""

# Temporary folders made below, removed however the script ends.
fake="" files="" work=""
trap 'rm -rf "${fake:-}" "${files:-}" "${work:-}"' EXIT
check() {
  local mode="$1" want_status="$2" want="$3"
  shift 4
  local out status ok=1
  out="$(printf '%s' "$stdin" | "$velut" "$@" 2>/dev/null)"
  status=$?
  if [[ "$mode" == equals ]]; then
    [[ "$out" == "$want" ]] || ok=0
  else
    grep -Eq -- "$want" <<<"$out" || ok=0
  fi
  if [[ "$status" != "$want_status" || $ok == 0 ]]; then
    echo "FAIL: velut $*${stdin:+ < $stdin}"
    echo "  want status $want_status, output that $mode: $want"
    echo "  got  status $status, output: $out"
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
}

# expect STATUS EXPECTED_STDOUT -- ARGS...
expect() { check equals "$@"; }

# expect_match STATUS REGEX -- ARGS...: the output matches an extended regex.
expect_match() { check matches "$@"; }

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

# The string table: the bundled example, the same table in UTF-16, a
# reference whose library is missing, and broken inputs.
work="$(mktemp -d)"
example_dir="$(dirname "$velut")/example"
out="$(LANG=de_DE.UTF-8 "$velut" strings | cut -c51-)"
if [[ "$out" != $'Velut Notes\nÖffnen…\nÄnderungen an „%s“ speichern?\nWillkommen zurück! 🎉\nBereit\nNotes & lists, kept ✓\n© 2026 Example Authors' ]]; then
  echo "FAIL: LANG=de_DE.UTF-8 velut strings: $out"; failures=$((failures + 1))
else passes=$((passes + 1)); fi
cp "$example_dir/demo.dll" "$work/"
sed 's/encoding="UTF-8"/encoding="UTF-16"/' "$example_dir/strings.xml" | iconv -f UTF-8 -t UTF-16 >"$work/utf16.xml"
expect 0 "$("$velut" strings "$example_dir/strings.xml")" -- strings "$work/utf16.xml"
printf '<t><s resource="100" src="absent"/><s resource="999" src="demo"/></t>' >"$work/missing.xml"
expect 1 $'1                    reference 100 in absent      (no such string)\n2                    reference 999 in demo        (no such string)' \
  -- strings "$work/missing.xml"
out="$("$velut" strings --json --lang fr-FR "$example_dir/strings.xml" | sed -n 3p)"
if [[ "$out" != '  {"position":2,"id":"menu.open","kind":"reference","resource":100,"library":"demo","found":true,"text":"Ouvrir…"},' ]]; then
  echo "FAIL: velut strings --json --lang fr-FR: $out"; failures=$((failures + 1))
else passes=$((passes + 1)); fi
expect 1 '[
  {"position":1,"id":"","kind":"reference","resource":100,"library":"absent","found":false,"text":""},
  {"position":2,"id":"","kind":"reference","resource":999,"library":"demo","found":false,"text":""}
]' -- strings --json "$work/missing.xml"
printf '<t><s>unclosed</t>' >"$work/broken.xml"
expect_usage strings "$work/broken.xml"
expect_usage strings "$work/no-such-table.xml"
expect_usage strings --lang xx-nowhere
expect_usage strings a.xml b.xml



expect 0 '{12345678-9ABC-DEF0-0123-456789ABCDEF}' -- guid 12345678-9abc-def0-0123-456789abcdef
expect 0 '12345678-9ABC-DEF0-0123-456789ABCDEF' -- guid --no-braces '{12345678-9ABC-DEF0-0123-456789ABCDEF'
expect 0 '{"text":"{00000000-0000-0000-0000-000000000000}","result":1,"zero":1,"data1":"0x00000000","data2":"0x0000","data3":"0x0000","data4":"0000000000000000"}' -- guid --json 00000000-0000-0000-0000-000000000000
expect 1 '' -- guid ' {12345678-9ABC-DEF0-0123-456789ABCDEF}'
expect 0 '0x00010017' -- version 1.2.3
expect 0 '{"text":"0xFFFF0002","version":4294901762,"result":1}' -- version --json -1.2
expect 1 '0x00000000' -- version ''
expect 0 'Access is denied' -- error 5
expect 0 'The system cannot find the path specified' -- error 0x3
expect 0 'An unexpected error occurred' -- error 123456
expect 0 '{"text":"The operation completed successfully","code":4294967295}' -- error --json -1
export TZ=UTC0
# Locales that need not be installed: bash's complaint about them is muted.
{
  LC_ALL=de_DE.UTF-8 expect_match 0 '^Freitag, 17\. Mai 2024 08:30:00$' -- time 2024-05-17T08:30:00
  LC_ALL=fr_FR.UTF-8 expect_match 0 '^vendredi 17 mai 2024 08:30:00$' -- time 2024-05-17T08:30:00Z
  LC_ALL=de_DE.UTF-8 expect_match 0 '"time":1715934600' -- time --json 2024-05-17T08:30:00
} 2>/dev/null
expect 1 '' -- time 2024-05-17
expect 1 '' -- time 1969-12-31T23:59:59

# The installer, as a stand-in on PATH that records its words.
fake="$(mktemp -d)"
cat >"$fake/MsiExec.exe" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '[%s]' "\$a"; done > "$fake/words"
SCRIPT
chmod +x "$fake/MsiExec.exe"
PATH="$fake:$PATH" expect 0 '' -- install --wait 'my file.msp' /qn
[[ "$(cat "$fake/words")" == '[/p][my][file.msp][/qn]' ]] || { echo "FAIL: install words: $(cat "$fake/words")"; failures=$((failures + 1)); }
PATH="$fake:$PATH" expect 0 '' -- install --wait '' /x '{PRODUCT}'
[[ "$(cat "$fake/words")" == '[/x][{PRODUCT}]' ]] || { echo "FAIL: install args only: $(cat "$fake/words")"; failures=$((failures + 1)); }
PATH="$fake:$PATH" expect 0 '' -- install --wait 'a.msi; touch PWNED' '$(touch PWNED)'
[[ ! -e PWNED && ! -e "$fake/PWNED" ]] || { echo "FAIL: a shell ran"; failures=$((failures + 1)); }
err="$(PATH="$fake/none" "$velut" install setup.msi 2>&1 >/dev/null)"
[[ $? == 1 && "$err" == 'The system cannot find the file specified' ]] ||
  { echo "FAIL: install without installer: $err"; failures=$((failures + 1)); }
expect 1 '' -- install ''

expect_usage guid
expect_usage version 1 2
expect_usage error abc
expect_usage error 0x100000000
expect_usage install

# URLs and paths.
expect 1 $'url:    no\nfixed:  C:\\dir\\a%20b.txt\npath:   C:\\dir\\a%20b.txt\nfolder: C:\\dir' -- url 'file:///C:/dir/a%20b.txt'
expect 0 '{"text":"www.ab.xx\\a","isUrl":1,"fixed":"www.ab.xx/a","path":"www.ab.xx\\a","folder":"www.ab.xx\\"}' -- url --json 'www.ab.xx\a'
expect 0 'C:\dir\b.txt' -- path-abs '..\b.txt' 'C:\dir\sub'
expect 0 '\home\u\docs\a.txt' -- path-abs docs/a.txt /home/u
expect 0 '.\sub\a.txt' -- path-rel 'C:\dir\sub\a.txt' 'C:\dir'
expect 0 '{"text":"..\\dir2\\a.txt","result":1}' -- path-rel --json 'C:\dir2\a.txt' 'C:\dir'
expect 1 '' -- path-rel '' 'C:\dir'
files="$(mktemp -d)"
chmod 755 "$files"
files_text="$(tr / '\\' <<<"$files")"
touch "$files/a.txt" "$files/a_2.txt"
expect 0 "$files_text\\a_3.txt" -- unique-name "$files/a.txt"
expect 0 "$files/b.txt" -- unique-name "$files/b.txt"
touch www.velut-test.xx
expect 1 'www.velut-test.xx' -- unique-name www.velut-test.xx
rm -f www.velut-test.xx
TMPDIR="$files" expect_match 0 "^${files_text//\\/\\\\}\\\\rep[0-9A-F]{1,4}\\.dat\$" -- temp-file --prefix report --extension .dat
TMPDIR="$files" expect_match 0 '"result":1' -- temp-file --json
TMPDIR="$files/missing" expect 1 '' -- temp-file
[[ "$(ls "$files")" == $'a.txt\na_2.txt' ]] || { echo "FAIL: temp-file left files: $(ls "$files")"; failures=$((failures + 1)); }
expect 0 'writable' -- probe-folder "$files/new/sub/"
expect 0 '{"text":"writable","readOnly":0}' -- probe-folder --json "file:///C:$files"
expect 1 'read-only' -- probe-folder 'http://h/x'
# A folder where files cannot be created, even for root: as nobody, or
# under a read-only bind mount where nobody cannot run velut.
ro="$files/ro"
mkdir "$ro"
if [[ $(id -u) != 0 ]]; then
  chmod 555 "$ro"
  run_ro=("$velut")
elif setpriv --reuid=nobody --regid=nogroup --clear-groups "$velut" --version >/dev/null 2>&1; then
  run_ro=(setpriv --reuid=nobody --regid=nogroup --clear-groups "$velut")
else
  run_ro=(unshare -m sh -c 'mount --make-rprivate / && mount --bind "$0" "$0" &&
            mount -o remount,ro,bind "$0" "$0" && exec "$@"' "$ro" "$velut")
fi
# Standard output only: a coverage build also complains on stderr that the
# unprivileged user cannot write its counters.
out="$("${run_ro[@]}" probe-folder "$ro" 2>/dev/null)"
[[ $? == 1 && "$out" == read-only ]] || { echo "FAIL: probe-folder on a read-only folder: $out"; failures=$((failures + 1)); }
chmod 755 "$ro"
printf 'hello' >"$files/a.txt"
expect_match 0 '^name: +'"${files_text//\\/\\\\}"'\\a\.txt$' -- stat "$files/a.txt"
expect_match 0 '^size: +5$' -- stat "$files/a.txt"
expect_match 0 '^attributes: +A$' -- stat "$files/a.txt"
expect_match 0 '"size":0,"attribute":16,' -- stat --json "$files/ro"
expect 1 "$files_text\\none" -- stat "$files/none"
expect_usage url
expect_usage path-abs a
expect_usage path-rel a b c
expect_usage temp-file extra
expect_usage temp-file --prefix
expect_usage stat

"$velut" --help | grep -q '^  escape ' || { echo "FAIL: --help lists no escape"; failures=$((failures + 1)); }
"$velut" escape --help | grep -q '^usage: velut escape' || { echo "FAIL: escape --help"; failures=$((failures + 1)); }
"$velut" --version | grep -Eq '^velut [0-9]+\.[0-9]+\.[0-9]+$' || { echo "FAIL: --version"; failures=$((failures + 1)); }

echo "$passes passed, $failures failed"
[[ $failures == 0 ]]
