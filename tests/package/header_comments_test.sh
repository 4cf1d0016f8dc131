#!/usr/bin/env bash
# Every exported function of the public headers has a comment right above
# its declaration (a template line may stand between): the headers are the
# documentation.
#   header_comments_test.sh SOURCE_DIR
set -u
cd "$1" || exit 1
noreturn='(\[\[noreturn\]\][[:space:]]*)?'
export DECLARATION="^[[:space:]]*$noreturn(VELUT|VELWIN|VELCF|VELFIRST)_API[[:space:]]"
awk '
  FNR == 1 { prev = "" }
  $0 ~ ENVIRON["DECLARATION"] && !/ class / && !/extern/ {
    ++checked
    if (prev !~ /^[[:space:]]*\/\// && prev !~ /\*\/[[:space:]]*$/) {
      printf "%s:%d: no comment above: %s\n", FILENAME, FNR, $0
      ++failed
    }
  }
  !/^[[:space:]]*template/ { prev = $0 }
  END {
    printf "header comments: %d passed, %d failed\n", checked - failed, failed
    exit failed > 0
  }' include/VelUt/*.h winapi/include/WinAPI/*.h velfirst/include/velfirst/*.h \
     corefoundation/include/CoreFoundation/*.h
