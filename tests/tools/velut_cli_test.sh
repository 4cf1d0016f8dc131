#!/usr/bin/env bash
# Runs velut commands and checks their output, standard error, exit status
# and JSON form; then that every command has a JSON row and that the
# statuses seen are those its --help lists.
set -u
velut="$(realpath "$1")"
dlls="$2"  # the test resource DLLs
# Absolute paths: some rows run with a PATH of their own.
jq="$(command -v jq)" || { echo "FAIL: jq is needed to read the JSON output"; exit 1; }
grep="$(command -v grep)"
failures=0
passes=0
declare -A statuses json_rows

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
example="$(dirname "$velut")/example"
export TZ=UTC0 LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LC_TIME TMPDIR

# run ARGS...: runs velut, with $stdin on standard input when it is set,
# and sets out, err and status.
run() {
  if [[ -v stdin ]]; then
    out="$(printf '%s' "$stdin" | "$velut" "$@" 2>"$work/.err")"
  else
    out="$("$velut" "$@" 2>"$work/.err")"
  fi
  status=$?
  err="$(<"$work/.err")"
  statuses[${1:-none}]+=" $status"
}

verdict() {  # verdict STATUS DESCRIPTION...: a pass when STATUS is 0
  if [[ "$1" == 0 ]]; then
    passes=$((passes + 1))
  else
    shift
    printf 'FAIL: velut %s\n  status %s, stdout: %s\n  stderr: %s\n' "$*" "$status" "$out" "$err"
    failures=$((failures + 1))
  fi
}

# The standard-error rule for a wanted status: 2, or 1 marked "1!" (a
# failure, not a false answer), comes with exactly one line beginning
# "velut: " (matching $err_want when set); any other status with none.
err_ok() {
  if [[ "$1" == 2 || "$1" == *! ]]; then
    [[ "$err" == "velut: "* && "$err" != *$'\n'* && "$err" =~ ${err_want:-} ]]
  else
    [[ -z "$err" ]]
  fi
}

# t STATUS WANT ARGS...: the status, and standard output equal to WANT (an
# extended regex when WANT starts with '~').
t() {
  local want_status="$1" want="$2" ok=1
  shift 2
  run "$@"
  [[ "$status" == "${want_status%!}" ]] && err_ok "$want_status" || ok=0
  if [[ "$want" == "~"* ]]; then
    "$grep" -Eq -- "${want#\~}" <<<"$out" || ok=0
  else
    [[ "$out" == "$want" ]] || ok=0
  fi
  verdict $((!ok)) "$@" "(want $want_status: $want)"
}

# j STATUS FILTER COMMAND ARGS...: velut COMMAND --json ARGS... prints one
# object on one line: "result" a boolean or a number, "error" exactly when
# a failure is reported (then alone for status 2), and FILTER holds.
j() {
  local want_status="$1" filter="$2" cmd="$3" ok=1 loud=false
  shift 3
  [[ "$want_status" == 2 || "$want_status" == *! ]] && loud=true
  json_rows[$cmd]=1
  run "$cmd" --json "$@"
  [[ "$status" == "${want_status%!}" && "$out" != *$'\n'* ]] && err_ok "$want_status" || ok=0
  "$jq" -e --argjson loud "$loud" --argjson usage "$([[ $status == 2 ]] && echo true || echo false)" \
    "type == \"object\" and (has(\"error\") == \$loud) and
     (if \$usage then keys == [\"error\"] else (.result | type) == \"boolean\" or (.result | type) == \"number\" end)
     and ($filter)" <<<"$out" >/dev/null 2>&1 || ok=0
  verdict $((!ok)) "$cmd" --json "$@" "(want $want_status: $filter)"
}

# Text commands, search, lists, brackets.
t 0 'a\,b\;c' escape 'a,b;c'
t 0 'a,b;c' unescape 'a\,b\;c'
t 0 'a|:b' escape --chars : --escape '|' 'a:b'
t 0 'x=é,y' unescape --chars ',' 'x=é\,y'
t 0 'a' trim-left '  ,a'
t 0 'a ' trim-right 'a ,'
t 1 'a' trim-right 'a  '
t 0 '--x' escape -- '--x'
t 0 $'\xff\\,\xfe' escape $'\xff,\xfe'
t 0 '6' find 'Hello World' WORLD
t 0 '1' find --start 1 aaa aa
t 1 '-1' find --start 3 abc c
t 0 '-2' find --start=-2 abc AB
t 0 'bb' replace aaaa AA b
t 0 'abc' replace a-b-c -
stdin=$'C:\\Temp\\\n c:\\temp\nD:\\\n' t 0 $'C:\\Temp\\\nD:\\' dedupe
stdin=$'À\nà\n' t 0 $'À\nà' dedupe
stdin=$'À\nà\n' t 0 'À' dedupe --locale C.UTF-8
stdin='' t 0 '' dedupe
t 0 '0 5 5 4294967295' sort 5 4294967295 0 5
t 0 $'a\n\nb' split 'a,,b'
t 0 $'a\nb' split --collapse 'a,,b'
t 1 '' split --collapse ',,,'
t 0 'a,,b' join a '' b
t 0 'a;b' join --skip-empty --separator ';' '' a '' b
t 0 '' join
t 0 $'key\nvalue' split-once --trim 'key = value'
t 1 'abc' split-once abc
t 0 '6' match '(a(b)c)' 0
t 0 '0' match '(a(b)c)' 6
t 0 '6' match --skip-quoted "(a')'b)" 0
t 0 '5' match --escape '\' '(a\)b)' 0
t 1 '-1' match 'abc' -1
t 0 'true' braces 'f(a[1], {b})'
t 1 'false' braces 'f(a'
t 1 'false' braces --skip-quoted "'(' )"
t 0 'abc' unquote --quote "'" " 'abc' "
t 1 'abc' unquote ' abc '

# Usage errors: status 2 and one line.
u() { t 2 '' "$@"; }
u; u no-such-command; u find abc; u find --start x abc b; u replace abc; u dedupe extra
u dedupe --locale no-such-locale; u sort 4294967296; u sort -1; u escape; u escape a b
u escape --escape ab x; u escape --bogus x; u trim-left --char; u match '(a' x; u match '(a'
u split a b; u braces --brace '()' x; u split --trim=1 x; u guid; u version 1 2; u error abc
u error 0x100000000; u install; u install ''; u url; u path-abs a; u path-rel a b c
u temp-file extra; u temp-file --prefix; u stat; u dll; u strings a.xml b.xml
u strings --lang xx-nowhere; u dll --lang xx-nowhere x.dll

# Standard input for a TEXT, a PATH or a FILE, beyond the argument limit;
# standard streams that fail.
stdin=$'a,b\n' t 0 'a\,b' escape -
stdin=$'ab-c\n' t 0 '2' find - -
stdin="$(head -c 3000000 /dev/zero | tr '\0' a)b"  # not exported: too long for the environment
t 0 '3000000' find - B
unset stdin
stdin='<t><s id="x">lit</s></t>' t 0 '~^1 +x +literal +lit$' strings -
t 2 '' escape - </
err_want='Is a directory' t 2 '' strings .
err_want='cannot read' t 2 '' strings "$work/no-such-table.xml"
printf '<t><s>unclosed</t>' >"$work/broken.xml"
t 2 '' strings "$work/broken.xml"
for args in 'strings' '--help' 'escape --json x'; do
  "$velut" $args >/dev/full 2>"$work/.err"
  status=$? err="$(cat "$work/.err")" out=''
  [[ $status == 2 ]] && err_ok 2
  verdict $? "$args >/dev/full"
done

# String tables: the bundled example, the same table in UTF-16, references
# that find no string.
LANG=de_DE.UTF-8 run strings
[[ $status == 0 && "$(cut -c51- <<<"$out")" == $'Velut Notes\nÖffnen…\nÄnderungen an „%s“ speichern?\nWillkommen zurück! 🎉\nBereit\nNotes & lists, kept ✓\n© 2026 Example Authors' ]]
verdict $? "strings (LANG=de_DE.UTF-8)"
cp "$example/demo.dll" "$work/"
sed 's/encoding="UTF-8"/encoding="UTF-16"/' "$example/strings.xml" | iconv -f UTF-8 -t UTF-16 >"$work/utf16.xml"
t 0 "$("$velut" strings "$example/strings.xml")" strings "$work/utf16.xml"
printf '<t><s resource="100" src="absent"/><s resource="999" src="demo"/></t>' >"$work/missing.xml"
err_want='2 of 2 references' t 1! $'1                    reference 100 in absent      (no such string)\n2                    reference 999 in demo        (no such string)' \
  strings "$work/missing.xml"

# Resource DLLs: every string in every language, one language, standard
# input, control characters, and files that are no DLL.
t 0 '~^100    0x0407 Öffnen…$' dll "$example/demo.dll"
run dll "$example/demo.dll"
[[ $status == 0 && "$(wc -l <<<"$out")" == 16 && "$(cut -c1-13 <<<"$out" | sed -n '1,4p' | tr '\n' ' ')" == '100    0x0407 100    0x0409 100    0x040C 100    0x0411 ' ]]
verdict $? "dll: 16 strings by id, then language"
t 0 $'100    0x040C Ouvrir…\n101    0x040C Enregistrer les modifications de « %s » ?\n102    0x040C Bon retour ! 🎉\n103    0x040C Prêt' dll --lang fr-FR "$example/demo.dll"
t 1 '' dll --lang 0x0401 "$example/demo.dll"
# --lang keeps one string per id, chosen as the library chooses: the exact
# language, the neutral one (0x0007), the default region, other regions.
t 0 $'1      0x0407 Hallo\n2      0x0C07 Servus (2)\n5      0x0007 Deutsch\n6      0x0807 Grüezi' \
  dll --lang de-DE "$dlls/languages.dll"
t 0 "$("$velut" dll --lang de-DE "$dlls/languages.dll")" dll --lang 0x0007 "$dlls/languages.dll"
t 0 $'1      0x0000 Hi\n2      0x0000 Hi (2)\n20     0x0000 neutral only' dll --lang 0 "$dlls/languages.dll"
t 0 '~^106    0x0409 inner\\x00zero$' dll "$dlls/strings64.dll"
t 0 '~^108    0x0409 tab\\there "quoted"$' dll "$dlls/strings32.dll"
run dll - <"$example/demo.dll"
[[ $status == 0 && "$(wc -l <<<"$out")" == 16 && -z "$err" ]]
verdict $? "dll - < demo.dll"
head -c 700 "$example/demo.dll" >"$work/truncated.dll"
yes garbage | head -c 4096 >"$work/garbage.dll"
printf 'MZ' >"$work/short"
for file in "$work/truncated.dll" "$work/garbage.dll" "$work/short" "$work/none.dll" "$work"; do
  err_want='cannot load' t 2 '' dll "$file"
done
err_want='not a valid Win32' t 2 '' dll - <"$work/garbage.dll"

# Standard output: a reader that goes away ends the tool quietly by
# SIGPIPE (141), as coreutils end; a full device is an error.
yes 'a,b' | head -c 2000000 >"$work/big.txt"
"$velut" escape - <"$work/big.txt" 2>"$work/.err" | head -c 1 >"$work/.out"
status="${PIPESTATUS[0]}" out="$(<"$work/.out")" err="$(<"$work/.err")"
[[ $status == 141 && -z "$err" && $out == a ]]
verdict $? "escape - | head -c 1: ends by SIGPIPE"
"$velut" escape 'a,b' >/dev/full 2>"$work/.err"
status=$? err="$(<"$work/.err")"
[[ $status == 2 && $err == 'velut: cannot write standard output: No space left on device' ]]
verdict $? "escape >/dev/full: an error"

# Conversions, error texts.
t 0 '{12345678-9ABC-DEF0-0123-456789ABCDEF}' guid 12345678-9abc-def0-0123-456789abcdef
t 0 '12345678-9ABC-DEF0-0123-456789ABCDEF' guid --no-braces '{12345678-9ABC-DEF0-0123-456789ABCDEF'
err_want="not a GUID: 'nope'" t 1! '' guid nope
t 1! '' guid ' {12345678-9ABC-DEF0-0123-456789ABCDEF}'
t 0 '0x00010017' version 1.2.3
t 1! '' version ''
t 0 'Access is denied' error 5
t 0 'The system cannot find the path specified' error 0x3
t 0 'An unexpected error occurred' error 123456
t 0 'An unexpected error occurred' error 010  # decimal 10, not octal 8
LC_ALL=de_DE.UTF-8 t 0 '~^Freitag, 17\. Mai 2024 08:30:00$' time 2024-05-17T08:30:00 2>/dev/null
LC_ALL=fr_FR.UTF-8 t 0 '~^vendredi 17 mai 2024 08:30:00$' time 2024-05-17T08:30:00Z 2>/dev/null
err_want='2024-05-17' t 1! '' time 2024-05-17
t 1! '' time 1969-12-31T23:59:59

# The installer, as a stand-in on PATH that records its words and exits
# with $FAKE_STATUS.
mkdir "$work/bin"
cat >"$work/bin/MsiExec.exe" <<SCRIPT
#!/bin/sh
for a in "\$@"; do printf '[%s]' "\$a"; done > "$work/words.tmp"
mv "$work/words.tmp" "$work/words"
exit \${FAKE_STATUS:-0}
SCRIPT
chmod +x "$work/bin/MsiExec.exe"
words() {  # words WANT DESCRIPTION: the stand-in's words, waited for up to 5 s
  for _ in $(seq 50); do [[ -e "$work/words" ]] && break; sleep 0.1; done
  [[ "$(cat "$work/words" 2>/dev/null)" == "$1" ]]
  verdict $? "$2: words $(cat "$work/words" 2>/dev/null)"
  rm -f "$work/words"
}
PATH="$work/bin:$PATH" t 0 '' install --wait 'my file.msp' /qn
words '[/p][my][file.msp][/qn]' 'install --wait'
PATH="$work/bin:$PATH" t 0 '' install setup.msi
words '[/i][setup.msi]' 'install without --wait'
PATH="$work/bin:$PATH" t 0 '' install --wait '' /x '{PRODUCT}'
words '[/x][{PRODUCT}]' 'install with ARGS only'
(cd "$work" && PATH="$work/bin:$PATH" "$velut" install --wait 'a.msi; touch PWNED' '$(touch PWNED)')
[[ ! -e "$work/PWNED" ]]
verdict $? "install: no shell ran"
rm -f "$work/words"
FAKE_STATUS=3 PATH="$work/bin:$PATH" err_want='exit code 3' t 1! '' install --wait x.msi
PATH="$work/none" err_want='MsiExec.exe' t 2 '' install setup.msi
PATH="$work/none" err_want='MsiExec.exe' t 2 '' install --wait setup.msi

# URLs and paths: native by default, the library's text with --win-paths;
# names that are not UTF-8.
files="$work/files"
mkdir "$files"
touch "$files/a.txt" "$files/a_2.txt" "$files/"$'n\xe9.txt'
t 1 $'url:    no\nfixed:  /dir/a%20b.txt\npath:   /dir/a%20b.txt\nfolder: /dir' url 'file:///C:/dir/a%20b.txt'
t 1 $'url:    no\nfixed:  C:\\dir\\a%20b.txt\npath:   C:\\dir\\a%20b.txt\nfolder: C:\\dir' url --win-paths 'file:///C:/dir/a%20b.txt'
t 0 '/dir/b.txt' path-abs '..\b.txt' 'C:\dir\sub'
t 0 '\home\u\docs\a.txt' path-abs --win-paths docs/a.txt /home/u
t 0 './sub/a.txt' path-rel 'C:\dir\sub\a.txt' 'C:\dir'
t 1! '' path-rel '' 'C:\dir'
t 0 "$files/a_3.txt" unique-name "$files/a.txt"
t 0 "$(tr / '\\' <<<"$files")\\a_3.txt" unique-name --win-paths "$files/a.txt"
t 0 "$files/b.txt" unique-name "$files/b.txt"
t 0 "$files/"$'n\xe9_2.txt' unique-name "$files/"$'n\xe9.txt'
err_want='URL' t 1! '' unique-name http://x/y
err_want='no free name' t 1! '' unique-name "$(printf '/%.0s' {1..1030})"
TMPDIR="$files" t 0 "~^$files/rep[0-9A-F]{1,4}\\.dat\$" temp-file --prefix report --extension .dat
TMPDIR="$files" run temp-file
(cd "$work" && touch "$out") && [[ -e "$out" && $(ls "$work" | grep -c '\\') == 0 ]]
verdict $? "touch \"\$(velut temp-file)\""
rm -f "$out"
TMPDIR="$files/missing" err_want='/missing' t 1! '' temp-file
[[ "$(ls "$files" | wc -l)" == 3 ]]
verdict $? "temp-file left files: $(ls "$files")"
t 0 'writable' probe-folder "$files/new/sub/"
t 1 'read-only' probe-folder 'http://h/x'
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
[[ $? == 1 && "$out" == read-only ]]
verdict $? "probe-folder on a read-only folder: $out"
chmod 755 "$ro"
printf 'hello' >"$files/a.txt"
t 0 "~^name: +$files/a\\.txt\$" stat "$files/a.txt"
t 0 '~^size: +5$' stat "$files/a.txt"
t 0 '~^attributes: +A$' stat "$files/a.txt"
t 0 "~^name: +$files/n"$'\xe9'"\\.txt\$" stat "$files/"$'n\xe9.txt'
stdin="$files/"$'n\xe9.txt\n' t 0 '~^size: +0$' stat -
err_want="cannot stat 'nosuch.txt': The system cannot find the file" t 1! '' stat nosuch.txt

# The JSON contract, at least one row for every command.
j 0 '.result == 2 and .text == "a\\,b\\;c"' escape 'a,b;c'
j 0 '.result == 2 and .text == "a,b;c"' unescape 'a\,b\;c'
j 0 '.result == true and .text == "a"' trim-left '  ,a'
j 1 '.result == false and .text == "a"' trim-right 'a  '
j 1 '.result == -1' find 'À' 'à'
j 0 '.result == 1 and .text == "abbc"' replace abc B bb
stdin=$'a\nA\nb\nB' j 0 '.result == 2 and .items == ["a","b"]' dedupe
stdin=$'3 1\n2\n' j 0 '.result == true and .items == [1,2,3]' sort
j 0 '.result == true and .items == ["a","'"'b,c'"'","d"]' split --quotes "a,'b,c',d"
j 1 '.result == false and .items == []' split --collapse ''
j 0 '.result == true and .text == "a, b"' join --separator ', ' a b
j 0 '.result == true and .left == "a" and .right == "b:c" and .delimiter == "="' split-once --delims ':=' 'a=b:c'
j 1 '.result == false and .delimiter == null' split-once abc
j 0 '.result == 6' match '(a(b)c)' 0
j 1 '.result == false' braces --brace ')' 'a)'
j 0 '.result == true and .text == "x"' unquote '"x"'
j 0 '.result == true and (.items | length) == 7 and .items[1] == {"position":2,"id":"menu.open","kind":"reference","resource":100,"library":"demo","found":true,"text":"Ouvrir…"}' strings --lang fr-FR
j 1! '.result == false and .items[0].found == false and .items[1].text == ""' strings "$work/missing.xml"
j 2 '.error | test("not well-formed")' strings "$work/broken.xml"
j 0 '.items[0] == {"resource":100,"language":1036,"text":"Ouvrir…"} and (.items | length) == 4' dll --lang fr-FR "$example/demo.dll"
j 2 '.error | test("cannot load")' dll "$work/garbage.dll"
j 0 '[.items[].language] == [1031, 3079, 7, 2055]' dll --lang de-DE "$dlls/languages.dll"
j 0 '.result == true and .zero == true and .data1 == "0x00000000" and .data4 == "0000000000000000"' guid 00000000-0000-0000-0000-000000000000
j 1! '.result == false and (.error | test("GUID"))' guid nope
LC_ALL=de_DE.UTF-8 j 0 '.result == true and .time == 1715934600' time 2024-05-17T08:30:00 2>/dev/null
j 1! '.result == false' time 2024-05-17
j 0 '.result == true and .text == "0xFFFF0002" and .version == 4294901762' version -1.2
j 0 '.result == true and .text == "The operation completed successfully" and .code == 4294967295' error -1
PATH="$work/bin:$PATH" j 0 '.result == true and .code == 0' install --wait x.msi
FAKE_STATUS=3 PATH="$work/bin:$PATH" j 1! '.result == false and .code == 3' install --wait x.msi
PATH="$work/none" j 2 '.error | test("MsiExec.exe")' install x.msi
rm -f "$work/words"
j 0 '.result == true and .fixed == "www.ab.xx/a"' url 'www.ab.xx\a'
j 0 '.result == true and .path == "/dir/b.txt"' path-abs '..\b.txt' 'C:\dir\sub'
j 0 '.result == true and .path == "..\\dir2\\a.txt"' path-rel --win-paths 'C:\dir2\a.txt' 'C:\dir'
j 1! '.result == false and (.error | test("URL"))' unique-name http://x/y
TMPDIR="$files" j 0 '.result == true and (.path | startswith("'"$files"'/TMP"))' temp-file
j 0 '.result == true and .text == "writable"' probe-folder "file:///C:$files"
j 0 '.result == true and .size == 0 and .attributes == "D"' stat "$ro"
j 1! '.result == false and (.error | test("nosuch"))' stat "$files/nosuch"
j 2 '.error | test("unknown option --bogus")' escape --bogus x
# A byte that is not UTF-8 comes out as \udcXX, in valid UTF-8.
t 0 '~"path":"[^"]*/n\\udce9\.txt"' stat --json "$files/"$'n\xe9.txt'

# Every command has a JSON row and well-formed help listing the statuses seen.
commands="$("$velut" --help | sed -n '/^commands:$/,$p' | sed -n 's/^  \([a-z-]*\)  .*/\1/p')"
[[ $(wc -l <<<"$commands") -ge 28 ]]
verdict $? "--help lists the commands"
for c in $commands; do
  [[ -n "${json_rows[$c]:-}" ]]
  verdict $? "$c has no --json row"
  help="$("$velut" "$c" --help)"
  ok=1
  [[ "$help" == "usage: velut $c "* && "$help" == *$'\noptions:\n'* && "$help" == *$'\nexit status:\n'* ]] || ok=0
  for s in $(tr ' ' '\n' <<<"${statuses[$c]:-}" | sort -u); do
    grep -q "^  $s  " <<<"$help" || ok=0
  done
  verdict $((!ok)) "$c --help: exit statuses${statuses[$c]:-} not all listed"
done
"$velut" --version | grep -Eq '^velut [0-9]+\.[0-9]+\.[0-9]+$'
verdict $? "--version"

echo "$passes passed, $failures failed"
[[ $failures == 0 ]]
