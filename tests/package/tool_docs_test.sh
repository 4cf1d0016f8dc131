#!/usr/bin/env bash
# The generated man page and the bash completion against the tool they
# describe: the page renders without a groff warning and holds every
# command's help, word for word; the completion completes commands,
# options and nothing where a value or an argument is due.
#   tool_docs_test.sh VELUT MAN_PAGE COMPLETION
set -u
# shellcheck source=verdict.sh
source "$(dirname "$0")/verdict.sh"
velut="$1" page="$2" completion="$3"

warnings="$(groff -man -Tutf8 -ww -z "$page" 2>&1)"
[[ -z "$warnings" ]]
verdict $? "groff warns: $warnings"

# The page as one line of words, wide enough that nothing is hyphenated.
words() { tr -s ' \t\n' '   ' | sed 's/^ //; s/ $//'; }
rendered="$(groff -man -Tutf8 -rLL=5000n -P-cbou "$page" 2>/dev/null | words)"
commands="$("$velut" --help | awk '/^commands:/ { on = 1; next } on && /^  / { print $1 }')"
for command in $commands; do
  help="$("$velut" "$command" --help | sed '1s/^usage: *//' | words)"
  [[ $rendered == *"$help"* ]]
  verdict $? "the man page lacks or alters the help of '$command': $help"
done

# shellcheck source=/dev/null
source "$completion"
# line (the text before the cursor) | the completions, sorted; "..." at
# the end: at least these.
rows=(
  "velut stri|strings"
  "velut --v|--version"
  "velut escape --ch|--chars"
  "velut escape --|--chars --escape --help --json"
  "velut nosuch --|--help --json"
  "velut escape --chars , --|--chars --escape --help --json"
  "velut escape -- --|"
  "velut |escape strings stat ..."
)
for row in "${rows[@]}"; do
  line="${row%%|*}" want="${row#*|}"
  read -ra COMP_WORDS <<<"$line"
  [[ $line == *" " ]] && COMP_WORDS+=("")
  COMP_WORDS[0]="$velut"
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  _velut
  got="$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')"
  if [[ $want == *... ]]; then
    ok=1
    for w in ${want%...}; do [[ " $got " == *" $w "* ]] || ok=0; done
  else
    [[ $got == "$want" ]] && ok=1 || ok=0
  fi
  verdict $((!ok)) "completing '$line': got '$got', want '$want'"
done
summary "tool docs"
