#!/usr/bin/env bash
# Writes the man page velut.1 from the tool's own help: the synopsis and
# description from `velut --help`, then one entry per command listed under
# "commands:" with that command's `velut COMMAND --help`.
#   velut-man-page.sh VELUT VERSION EXAMPLE_DIR OUTPUT
set -euo pipefail
velut="$1" version="$2" example="$3" output="$4"

# roff text: backslashes and hyphens escaped, a control character at the
# start of a line made literal.
roff() { sed -e 's/\\/\\e/g' -e 's/-/\\-/g' -e "s/^[.']/\\\\\\&&/"; }

# A usage line with the command in bold, its options in bold and its
# placeholders in italics.
usage_line() {
  roff | sed -E -e 's/^velut(( [a-z]([a-z0-9]|\\-)*)?)/\\fBvelut\1\\fR/' \
    -e 's/(^|[][ |=])(\\-(\\-)?[a-z]([a-z0-9]|\\-)*)/\1\\fB\2\\fR/g' \
    -e 's/(^|[][ |=])([A-Z][A-Z0-9_]*)/\1\\fI\2\\fR/g'
}

# Indented help text (already through roff) as man text: the lines of a
# paragraph are filled, a line indented deeper than the first starts a new
# line, a blank line starts a new paragraph.
text_block() {
  awk 'NF == 0 { if (started) print ".sp"; next }
       { match($0, /^ */); indent = RLENGTH
         if (!started) { base = indent; started = 1 }
         else if (indent > base) print ".br"
         sub(/^ +/, ""); if (/^[.'"'"']/) $0 = "\\&" $0; print }'
}

help="$("$velut" --help)"
commands="$(awk '/^commands:/ { on = 1; next }
                 on && /^  [^ ]/ { print $1; next }
                 on { exit }' <<<"$help")"
[[ -n "$commands" ]] || { echo "velut-man-page.sh: no commands in velut --help" >&2; exit 1; }

{
  echo ".TH VELUT 1 \"\" \"velut $version\" \"User Commands\""
  echo ".SH NAME"
  echo "velut \\- the libVelUt functions from the shell"
  echo ".SH SYNOPSIS"
  # The usage lines: the first starts with "usage:", the others are indented.
  awk 'NR == 1 && sub(/^usage: */, "") { print; next }
       NR > 1 && /^ +velut/ { sub(/^ +/, ""); print; next }
       { exit }' <<<"$help" | while IFS= read -r line; do
    usage_line <<<"$line"
    echo ".br"
  done
  echo ".SH DESCRIPTION"
  # Everything between the usage lines and the command list.
  awk 'started && /^commands:/ { exit }
       !started && NF == 0 { started = 1; next }
       started' <<<"$help" | roff | text_block
  echo ".SH COMMANDS"
  while IFS= read -r command; do
    usage="$("$velut" "$command" --help)"
    echo ".TP"
    # The command's usage lines, then its description.
    awk 'NR == 1 && sub(/^usage: */, "") { print; next }
         NR > 1 && /^ +velut / { sub(/^ +/, ""); print; next }
         { exit }' <<<"$usage" | while IFS= read -r line; do
      usage_line <<<"$line"
      echo ".br"
    done
    awk 'NR == 1 { next }
         !body && /^ +velut / { next }
         { body = 1; print }' <<<"$usage" | roff | text_block
  done <<<"$commands"
  cat <<'ROFF'
.SH EXIT STATUS
.TP
.B 0
a true result: the function succeeded, or the answer is yes.
.TP
.B 1
a false result; silent where false is the answer itself (\fBbraces\fR,
\fBfind\fR, \fBurl\fR, ...), with one \fBvelut:\fR line on standard error
where something could not be read, found or parsed.
.TP
.B 2
an error: a usage error, a file that cannot be read or used, a failed
installer start, standard input or output that fails; always with one
\fBvelut:\fR line on standard error.
.PP
Each command's \fB\-\-help\fR lists its statuses. \fB\-\-json\fR leaves
the status unchanged.
ROFF
  echo ".SH FILES"
  echo ".TP"
  echo "$example/strings.xml" | roff
  echo "The example string table that \\fBvelut strings\\fR reads when no table is"
  echo "named, with its resource library demo.dll beside it."
  cat <<'ROFF'
.SH EXAMPLES
The bundled table in German, then, in the example folder named under
FILES, the German strings of its resource library:
.PP
.nf
.RS
velut strings \-\-lang de\-DE
velut dll \-\-lang de\-DE demo.dll
.RE
.fi
.PP
Each string's id, language tag and text as JSON, read with \fBjq\fR(1):
.PP
.nf
.RS
velut dll \-\-json demo.dll | jq \-r '.items[] | "\e(.resource) \e(.tag) \e(.text)"'
.RE
.fi
.PP
The ids that have no German text:
.PP
.nf
.RS
velut dll \-\-json demo.dll |
  jq '[.items[] | select(.tag == "de\-DE") | .resource] as $de |
      [.items[].resource] \- $de | unique'
.RE
.fi
.PP
A free name beside an existing file, and a list split on commas with
quotes kept together:
.PP
.nf
.RS
velut unique\-name /tmp/report.txt
velut split \-\-quotes \-\-json "a,'b,c',d" | jq \-r '.items[]'
.RE
.fi
.SH SEE ALSO
\fBjq\fR(1), \fBlocale\fR(7).
In the library's source tree, docs/porting.md maps Windows calls to their
names here and docs/differences.md lists where they behave otherwise.
ROFF
} >"$output"
