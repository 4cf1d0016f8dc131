#!/usr/bin/env bash
# The velut tool through its command line: one table of rows, each a command
# with its standard input and the exit status, output and standard error it
# must give; then that every command has a JSON row and --help lists the
# statuses seen. The library's own answers are checked by its C++ tests.
set -u
velut="$(realpath "$1")"
dlls="$(realpath "$2")"  # the test resource DLLs
example="$(dirname "$velut")/example"
declare -A statuses json_rows
export TZ=UTC0 LANG=C.UTF-8
unset LC_ALL LC_MESSAGES LC_TIME TMPDIR
# shellcheck source=../package/verdict.sh
source "$(dirname "$0")/../package/verdict.sh"

# The JSON contract: one object; "error" exactly when a failure is reported,
# then alone for status 2; otherwise "result" a boolean or a number.
contract='type == "object" and has("error") == $loud and
  (if $usage then keys == ["error"] else .result | type == "boolean" or type == "number" end)'

# row NAME STATUS STDIN WANT STDERR [VAR=VALUE | <FILE | >FILE | '|FILTER']... ARGS...
# Runs velut ARGS in $work with STDIN as input, the words before ARGS read as
# a shell reads them, and checks: the status (1! is a 1 that reports a
# failure); standard error, for 2 and 1! one "velut: " line matching the
# regex STDERR, else nothing; standard output (when not sent elsewhere):
# WANT, or the extended regex after '~' on some line, and with --json the
# contract and WANT as a jq filter.
row() {
  local name="$1" want_status="$2" want="$4" want_err="$5" vars=() in="$work/.in" to=/dev/stdout
  local filter=cat ok=1 json=false loud=false usage=false
  printf '%s' "$3" >"$work/.in"
  shift 5
  while [[ ${1-} =~ ^[A-Z_]+= || ${1-} == [\<\>\|]* ]]; do
    case "$1" in
      \<*) in="${1#<}" ;;
      \>*) to="${1#>}" ;;
      \|*) filter="${1#|}" ;;
      *) vars+=("$1") ;;
    esac
    shift
  done
  [[ " $* " == *" --json "* ]] && json=true json_rows[$1]=1
  [[ $want_status == 2 || $want_status == *! ]] && loud=true
  # Standard output goes to the filter unless the row sends it elsewhere.
  # shellcheck disable=SC2260
  out="$(cd "$work" && env "${vars[@]}" "$velut" "$@" <"$in" 2>"$work/.err" >"$to" | $filter
         exit "${PIPESTATUS[0]}")"
  status=$? err="$(<"$work/.err")"
  [[ $status == [012] ]] && statuses[${1:-none}]+=" $status"
  [[ $status == "${want_status%!}" ]] || ok=0
  if $loud; then
    [[ $err == "velut: "* && $err != *$'\n'* && $err =~ $want_err ]] || ok=0
  else
    [[ -z $err ]] || ok=0
  fi
  if [[ $to != /dev/stdout ]]; then
    :
  elif [[ $want == "~"* ]]; then
    grep -Eq -- "${want#\~}" <<<"$out" || ok=0
  elif $json; then
    [[ $status == 2 ]] && usage=true
    [[ $out != *$'\n'* ]] && jq -e --argjson loud "$loud" --argjson usage "$usage" \
      "$contract and ($want)" <<<"$out" >/dev/null 2>&1 || ok=0
  else
    [[ $out == "$want" ]] || ok=0
  fi
  verdict $((!ok)) "$name: velut $*
  status $status (want $want_status), stdout: $out
  want: $want
  stderr: $err (want: ${want_err:-nothing})"
}

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"
files="$work/files" ro="$work/ro" demo="$example/demo.dll" langs="$dlls/languages.dll"
mkdir "$files" "$ro" "$work/bin"
printf 'hello' >"$files/a.txt"
touch "$files/a_2.txt" "$files/"$'n\xe9.txt'
printf '<t><s>unclosed</t>' >"$work/broken.xml"
printf '<t><s resource="100" src="absent"/><s resource="999" src="demo"/></t>' >"$work/missing.xml"
cp "$demo" "$work/"
head -c 700 "$demo" >"$work/truncated.dll"
yes garbage | head -c 4096 >"$work/garbage.dll"
printf 'MZ' >"$work/short"
yes 'a,b' | head -c 2000000 >"$work/big.txt"
# The installer: a stand-in on PATH that prints its words (unless
# FAKE_QUIET is set) and exits with $FAKE_STATUS.
fake="PATH=$work/bin:$PATH"
printf '#!/bin/sh\n[ -n "$FAKE_QUIET" ] || printf "[%%s]" "$@"\nexit ${FAKE_STATUS:-0}\n' \
  >"$work/bin/MsiExec.exe"
chmod +x "$work/bin/MsiExec.exe"
de_table='1   app.name         literal                      Velut Notes
2   menu.open        reference 100 in demo        Öffnen…
3   dialog.save      reference 101 in demo.dll    Änderungen an „%s“ speichern?
4   greeting         reference 102 in Demo.DLL    Willkommen zurück! 🎉
5   status.ready     reference 103 in demo        Bereit
6   about            literal                      Notes & lists, kept ✓
7   copyright        literal                      © 2026 Example Authors'
# --lang keeps one string per id, chosen as the library chooses: the exact
# language, the neutral one (0x0007), the default region, other regions.
de_strings='1      0x0407 Hallo
2      0x0C07 Servus (2)
5      0x0007 Deutsch
6      0x0807 Grüezi'
guid=12345678-9ABC-DEF0-0123-456789ABCDEF day=2024-05-17T08:30:00
full='No space left on device'

# NAME STATUS STDIN WANT STDERR COMMAND
row 'escape: --chars, --escape' 0 '' 'a|:b' '' escape --chars : --escape '|' 'a:b'
row 'escape: -- ends the options' 0 '' '--x' '' escape -- '--x'
row 'escape: bytes not UTF-8' 0 '' $'\xff\\,\xfe' '' escape $'\xff,\xfe'
row 'unescape: UTF-8' 0 '' 'x=é,y' '' unescape --chars ',' 'x=é\,y'
row 'trim-right: the default char' 0 '' 'a ' '' trim-right 'a ,'
row 'find: none' 1 '' '-1' '' find --start 3 abc c
row 'find: --start=N, negative' 0 '' '-2' '' find --start=-2 abc AB
row 'replace: no REPLACEMENT' 0 '' 'abc' '' replace a-b-c -
row 'dedupe: the classic locale' 0 $'À\nà\n' $'À\nà' '' dedupe
row 'dedupe: --locale' 0 $'À\nà\n' 'À' '' dedupe --locale C.UTF-8
row 'dedupe: no lines' 0 '' '' '' dedupe
row 'sort: up to 4294967295' 0 '' '0 5 5 4294967295' '' sort 5 4294967295 0 5
row 'split: the default delimiter' 0 '' $'a\n\nb' '' split 'a,,b'
row 'split: --collapse' 0 '' $'a\nb' '' split --collapse 'a,,b'
row 'join: the default separator' 0 '' 'a,,b' '' join a '' b
row 'join: --skip-empty, --separator' 0 '' 'a;b' '' join --skip-empty --separator ';' '' a '' b
row 'join: no ITEM' 0 '' '' '' join
row 'split-once: --trim' 0 '' $'key\nvalue' '' split-once --trim 'key = value'
row 'match: --skip-quoted' 0 '' '6' '' match --skip-quoted "(a')'b)" 0
row 'match: --escape' 0 '' '5' '' match --escape '\' '(a\)b)' 0
row 'match: a negative POS' 1 '' '-1' '' match 'abc' -1
row 'braces: every kind' 0 '' 'true' '' braces 'f(a[1], {b})'
row 'braces: --skip-quoted' 1 '' 'false' '' braces --skip-quoted "'(' )"
row 'unquote: --quote' 0 '' 'abc' '' unquote --quote "'" " 'abc' "
row 'unquote: no quote' 1 '' 'abc' '' unquote ' abc '
row 'escape: TEXT from stdin' 0 $'a,b\n' 'a\,b' '' escape -
row 'find: both from stdin' 0 $'ab-c\n' '2' '' find - -
row 'find: beyond ARG_MAX' 0 "$(head -c 3000000 /dev/zero | tr '\0' a)b" '3000000' '' find - B
row 'strings: FILE from stdin' 0 '<t><s id="x">lit</s></t>' '~^1 +x +literal +lit$' '' strings -
row 'escape: a folder as stdin' 2 '' '' '' '</' escape -
row 'strings: a folder' 2 '' '' 'Is a directory' strings .
row 'strings: a missing file' 2 '' '' 'cannot read' strings "$work/no-such-table.xml"
row 'strings: not well-formed' 2 '' '' '' strings "$work/broken.xml"
row 'strings: a full stdout' 2 '' '' '' '>/dev/full' strings
row '--help: a full stdout' 2 '' '' '' '>/dev/full' --help
row 'escape --json: a full stdout' 2 '' '' '' '>/dev/full' escape --json x
row 'escape: a full stdout named' 2 '' '' "^velut: cannot write standard output: $full\$" \
  '>/dev/full' escape 'a,b'
# A reader that goes away ends the tool quietly by SIGPIPE, as coreutils end.
row 'escape: a reader gone' 141 '' 'a' '' "<$work/big.txt" '|head -c 1' escape -
row 'strings: the example in German' 0 '' "$de_table" '' LANG=de_DE.UTF-8 strings
row 'strings: references to no string' 1! '' \
  '1                    reference 100 in absent      (no such string)
2                    reference 999 in demo        (no such string)' \
  '2 of 2 references' strings "$work/missing.xml"
row 'dll: every language' 0 '' '~^100    0x0407 Öffnen…$' '' dll "$demo"
row 'dll: --lang fr-FR' 0 '' '100    0x040C Ouvrir…
101    0x040C Enregistrer les modifications de « %s » ?
102    0x040C Bon retour ! 🎉
103    0x040C Prêt' '' dll --lang fr-FR "$demo"
row 'dll: a language without strings' 1 '' '' '' dll --lang 0x0401 "$demo"
row 'dll: --lang de-DE' 0 '' "$de_strings" '' dll --lang de-DE "$langs"
row 'dll: --lang 0x0007' 0 '' "$de_strings" '' dll --lang 0x0007 "$langs"
row 'dll: --lang 0' 0 '' '1      0x0000 Hi
2      0x0000 Hi (2)
20     0x0000 neutral only' '' dll --lang 0 "$langs"
row 'dll: a NUL shown' 0 '' '~^106    0x0409 inner\\x00zero$' '' dll "$dlls/strings64.dll"
row 'dll: a tab shown' 0 '' '~^108    0x0409 tab\\there "quoted"$' '' dll "$dlls/strings32.dll"
for file in truncated.dll garbage.dll short none.dll .; do
  row "dll: $file is no DLL" 2 '' '' 'cannot load' dll "$work/$file"
done
row 'dll: no DLL on stdin' 2 '' '' 'not a valid Win32' "<$work/garbage.dll" dll -
row 'guid: lower case' 0 '' "{$guid}" '' guid 12345678-9abc-def0-0123-456789abcdef
row 'guid: --no-braces, one brace' 0 '' "$guid" '' guid --no-braces "{$guid"
row 'guid: not a GUID' 1! '' '' "not a GUID: 'nope'" guid nope
row 'guid: a blank first' 1! '' '' '' guid " {$guid}"
row 'version: three parts' 0 '' '0x00010017' '' version 1.2.3
row 'version: empty' 1! '' '' '' version ''
row 'error: hexadecimal' 0 '' 'The system cannot find the path specified' '' error 0x3
row 'error: 010 is ten' 0 '' 'An unexpected error occurred' '' error 010
row 'time: German' 0 '' 'Freitag, 17. Mai 2024 08:30:00' '' LC_ALL=de_DE.UTF-8 time $day
row 'time: past 32 bits of seconds' 0 '' 'Dienstag, 1. Juni 2038 00:00:00' '' \
  LC_ALL=de_DE.UTF-8 time 2038-06-01T00:00:00
row 'time: no time of day' 1! '' '' '2024-05-17' time 2024-05-17
# The installer's words, never through a shell.
row 'install: a patch' 0 '' '[/p][my][file.msp][/qn]' '' "$fake" install --wait 'my file.msp' /qn
row 'install: a package' 0 '' '[/i][setup.msi]' '' "$fake" install setup.msi
row 'install: ARGS only' 0 '' '[/x][{PRODUCT}]' '' "$fake" install --wait '' /x '{PRODUCT}'
row 'install: words for a shell' 0 '' '[/i][a.msi;][touch][PWNED][$(touch][PWNED)]' '' \
  "$fake" install --wait 'a.msi; touch PWNED' '$(touch PWNED)'
row 'install: code 3' 1! '' '[/i][x.msi]' 'exit code 3' "$fake" FAKE_STATUS=3 install --wait x.msi
row 'install: no installer' 2 '' '' 'MsiExec.exe' PATH="$work/none" install setup.msi
row 'install --wait: no installer' 2 '' '' 'MsiExec.exe' PATH="$work/none" install --wait x.msi
# URLs and paths: native by default, the library's text with --win-paths.
row 'url: a file URL' 1 '' 'url:    no
fixed:  /dir/a%20b.txt
path:   /dir/a%20b.txt
folder: /dir' '' url 'file:///C:/dir/a%20b.txt'
row 'url: --win-paths' 1 '' 'url:    no
fixed:  C:\dir\a%20b.txt
path:   C:\dir\a%20b.txt
folder: C:\dir' '' url --win-paths 'file:///C:/dir/a%20b.txt'
row 'path-abs: --win-paths' 0 '' '\home\u\docs\a.txt' '' path-abs --win-paths docs/a.txt /home/u
row 'path-rel: native' 0 '' './sub/a.txt' '' path-rel 'C:\dir\sub\a.txt' 'C:\dir'
row 'path-rel: an empty PATH' 1! '' '' '' path-rel '' 'C:\dir'
row 'unique-name: numbered' 0 '' "$files/a_3.txt" '' unique-name "$files/a.txt"
row 'unique-name: --win-paths' 0 '' "${files//\//\\}\\a_3.txt" '' \
  unique-name --win-paths "$files/a.txt"
row 'unique-name: not UTF-8' 0 '' "$files/"$'n\xe9_2.txt' '' unique-name "$files/"$'n\xe9.txt'
row 'unique-name: a URL' 1! '' '' 'URL' unique-name http://x/y
row 'unique-name: too long' 1! '' '' 'no free name' unique-name "$(printf '/%.0s' {1..1030})"
row 'temp-file: the defaults' 0 '' "~^$files/TMP[0-9A-F]{1,4}\\.TMP\$" '' TMPDIR="$files" temp-file
row 'temp-file: --prefix, --extension' 0 '' "~^$files/rep[0-9A-F]{1,4}\\.dat\$" '' \
  TMPDIR="$files" temp-file --prefix report --extension .dat
row 'temp-file: a missing folder' 1! '' '' '/missing' TMPDIR="$files/missing" temp-file
row 'probe-folder: a path not made' 0 '' 'writable' '' probe-folder "$files/new/sub/"
row 'stat: the name' 0 '' "~^name: +$files/a\\.txt\$" '' stat "$files/a.txt"
row 'stat: the size' 0 '' '~^size: +5$' '' stat "$files/a.txt"
row 'stat: the attributes' 0 '' '~^attributes: +A$' '' stat "$files/a.txt"
row 'stat: a name not UTF-8' 0 '' "~^name: +$files/n"$'\xe9'"\\.txt\$" '' stat "$files/"$'n\xe9.txt'
row 'stat: PATH from stdin' 0 "$files/"$'n\xe9.txt\n' '~^size: +0$' '' stat -
row 'stat: no such file' 1! '' '' "cannot stat 'nosuch.txt': The system cannot find the" \
  stat nosuch.txt
row 'velut --version' 0 '' '~^velut [0-9]+\.[0-9]+\.[0-9]+$' '' --version
# The JSON contract, at least one row for every command.
row 'escape json' 0 '' '.result == 2 and .text == "a\\,b\\;c"' '' escape --json 'a,b;c'
row 'unescape json' 0 '' '.result == 2 and .text == "a,b;c"' '' unescape --json 'a\,b\;c'
row 'trim-left json' 0 '' '.result and .text == "a"' '' trim-left --json '  ,a'
row 'trim-right json' 1 '' '(.result | not) and .text == "a"' '' trim-right --json 'a  '
row 'find json' 1 '' '.result == -1' '' find --json 'À' 'à'
row 'replace json' 0 '' '.result == 1 and .text == "abbc"' '' replace --json abc B bb
row 'dedupe json' 0 $'a\nA\nb\nB' '.result == 2 and .items == ["a","b"]' '' dedupe --json
row 'sort json, stdin' 0 $'3 1\n2\n' '.result and .items == [1,2,3]' '' sort --json
row 'split json' 0 '' ".result and .items == [\"a\", \"'b,c'\", \"d\"]" '' \
  split --json --quotes "a,'b,c',d"
row 'split json, no item' 1 '' '(.result | not) and .items == []' '' split --json --collapse ''
row 'join json' 0 '' '.result and .text == "a, b"' '' join --json --separator ', ' a b
row 'split-once json' 0 '' '.result and [.left, .right, .delimiter] == ["a", "b:c", "="]' '' \
  split-once --json --delims ':=' 'a=b:c'
row 'split-once json, none' 1 '' '[.result, .left, .delimiter] == [false, "abc", null]' '' \
  split-once --json abc
row 'match json' 0 '' '.result == 6' '' match --json '(a(b)c)' 0
row 'braces json' 1 '' '.result == false' '' braces --json --brace ')' 'a)'
row 'unquote json' 0 '' '.result and .text == "x"' '' unquote --json '"x"'
row 'strings json' 0 '' '.result and (.items | length) == 7 and .items[1] == {"position": 2,
  "id": "menu.open", "kind": "reference", "resource": 100, "library": "demo", "found": true,
  "text": "Ouvrir…"}' '' strings --json --lang fr-FR
row 'strings json, no string' 1! '' \
  '(.result | not) and .items[0].found == false and .items[1].text == ""' '' \
  strings --json "$work/missing.xml"
row 'strings json, not XML' 2 '' '.error | test("not well-formed")' '' \
  strings --json "$work/broken.xml"
row 'dll json, stdin' 0 '' '(.items | length) == 16 and [.items[:4][].language] == [1031, 1033,
  1036, 1041] and .items[0] == {"resource": 100, "language": 1031, "tag": "de-DE",
  "text": "Öffnen…"}' '' "<$demo" dll --json -
row 'guid json' 0 '' '.result and .zero and .data1 == "0x00000000" and
  .data4 == "0000000000000000"' '' guid --json 00000000-0000-0000-0000-000000000000
row 'guid json, no GUID' 1! '' '(.result | not) and (.error | test("GUID"))' '' guid --json nope
row 'time json' 0 '' '.result and .time == 1715934600' '' LC_ALL=de_DE.UTF-8 time --json $day
row 'version json' 0 '' '.result and .text == "0xFFFF0002" and .version == 4294901762' '' \
  version --json -1.2
row 'error json, last error' 0 '' '.result and .code == 4294967295 and
  .text == "The operation completed successfully"' '' error --json -1
row 'install json' 0 '' '.result and .code == 0' '' "$fake" FAKE_QUIET=1 install --json --wait x.msi
row 'install json, code 3' 1! '' '(.result | not) and .code == 3' '' \
  "$fake" FAKE_QUIET=1 FAKE_STATUS=3 install --json --wait x.msi
row 'url json' 0 '' '.result and .fixed == "www.ab.xx/a"' '' url --json 'www.ab.xx\a'
row 'path-abs json' 0 '' '.result and .path == "/dir/b.txt"' '' \
  path-abs --json '..\b.txt' 'C:\dir\sub'
row 'path-rel json' 0 '' '.result and .path == "..\\dir2\\a.txt"' '' \
  path-rel --json --win-paths 'C:\dir2\a.txt' 'C:\dir'
row 'unique-name json, URL' 1! '' '(.result | not) and (.error | test("URL"))' '' \
  unique-name --json http://x/y
row 'temp-file json' 0 '' ".result and (.path | startswith(\"$files/TMP\"))" '' \
  TMPDIR="$files" temp-file --json
row 'probe-folder json' 0 '' '.result and .text == "writable"' '' \
  probe-folder --json "file:///C:$files"
row 'stat json, folder' 0 '' '.result and .size == 0 and .attributes == "D"' '' stat --json "$ro"
row 'escape json, usage' 2 '' '.error | test("unknown option --bogus")' '' escape --json --bogus x
# A byte that is not UTF-8 comes out as \udcXX, in valid UTF-8.
row 'stat json, not UTF-8' 0 '' '~"path":"[^"]*/n\\udce9\.txt"' '' stat --json "$files/"$'n\xe9.txt'
# Usage errors: status 2, one "velut: " line, nothing on standard output.
usage_errors=(
  '' no-such-command 'escape --bogus x' 'split --trim=1 x' 'trim-left --char' 'temp-file --prefix'
  'find abc' 'replace abc' escape guid install url stat dll 'path-abs a'
  'escape a b' 'split a b' 'version 1 2' 'path-rel a b c' 'temp-file extra' 'dedupe extra'
  'strings a.xml b.xml' 'find --start x abc b' 'sort 4294967296' 'sort -1' 'error abc'
  'error 0x100000000' 'escape --escape ab x' "install ''" "match '(a' x" "match '(a'"
  "braces --brace '()' x" 'dedupe --locale no-such-locale' 'strings --lang xx-nowhere'
  'dll --lang xx-nowhere x.dll'
)
for args in "${usage_errors[@]}"; do
  eval "row \"usage error\" 2 '' '' '' $args"
done

# Nothing is left behind in the folders the rows used.
[[ "$(ls "$files")" == $'a.txt\na_2.txt\nn\xe9.txt' && ! -e "$work/PWNED" ]]
verdict $? "files left behind: $(ls "$work" "$files")"
# A folder where files cannot be created, even for root: as nobody, or
# under a read-only bind mount where nobody cannot run velut. Standard
# output only: a coverage build also complains on stderr that the
# unprivileged user cannot write its counters.
if [[ $(id -u) != 0 ]]; then
  chmod 555 "$ro"
  run_ro=("$velut")
elif setpriv --reuid=nobody --regid=nogroup --clear-groups "$velut" --version >/dev/null 2>&1; then
  run_ro=(setpriv --reuid=nobody --regid=nogroup --clear-groups "$velut")
else
  run_ro=(unshare -m sh -c 'mount --make-rprivate / && mount --bind "$0" "$0" &&
            mount -o remount,ro,bind "$0" "$0" && exec "$@"' "$ro" "$velut")
fi
out="$("${run_ro[@]}" probe-folder "$ro" 2>/dev/null)"
[[ $? == 1 && "$out" == read-only ]]
verdict $? "probe-folder on a read-only folder: $out"
chmod 755 "$ro"

# Every command has a JSON row and well-formed help listing the statuses seen.
commands="$("$velut" --help | sed -n '/^commands:$/,$p' | sed -n 's/^  \([a-z-]*\)  .*/\1/p')"
[[ $(wc -l <<<"$commands") -ge 28 ]]
verdict $? "--help lists the commands"
for c in $commands; do
  [[ -n "${json_rows[$c]:-}" ]]
  verdict $? "$c has no --json row"
  help="$("$velut" "$c" --help)"
  ok=1
  [[ $help == "usage: velut $c "* && $help == *$'\noptions:\n'* ]] || ok=0
  [[ $help == *$'\nexit status:\n'* ]] || ok=0
  for s in $(tr ' ' '\n' <<<"${statuses[$c]:-}" | sort -u); do
    grep -q "^  $s  " <<<"$help" || ok=0
  done
  verdict $((!ok)) "$c --help: exit statuses${statuses[$c]:-} not all listed"
done

# The README's transcript: each "$ velut ..." line, run by the shell in the
# example folder, prints every line shown below it ("..." stands for more).
readme="$(dirname "$0")/../../README.md"
while IFS= read -r line; do
  if [[ $line == '$ velut '* ]]; then
    shown="${line#\$ }"
    out="$(cd "$example" && eval "\"\$velut\" ${shown#velut }" 2>&1)"
  elif [[ -n ${shown-} && $line != '...' && $line != '$ '* && $line != '```' ]]; then
    grep -qxF -- "$line" <<<"$out"
    verdict $? "README: '$shown' does not print '$line'"
  else
    unset shown
  fi
done <"$readme"

summary "velut cli"
