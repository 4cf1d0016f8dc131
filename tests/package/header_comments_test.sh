#!/usr/bin/env bash
# Every exported function of the public headers has a comment right above
# its declaration (a template line may stand between): the headers are the
# documentation.
set -u
root="$1"
failures=0
checked=0
for header in "$root"/include/VelUt/*.h "$root"/winapi/include/WinAPI/*.h \
              "$root"/velfirst/include/velfirst/*.h "$root"/corefoundation/include/CoreFoundation/*.h; do
  out="$(awk -v file="${header#"$root"/}" '
    /^[[:space:]]*(\[\[noreturn\]\][[:space:]]*)?(VELUT_API|VELWIN_API|VELCF_API|VELFIRST_API)[[:space:]]/ &&
    !/ class / && !/extern/ {
      ++checked
      if (prev !~ /^[[:space:]]*\/\// && prev !~ /\*\/[[:space:]]*$/)
        printf "%s:%d: no comment above: %s\n", file, NR, $0
    }
    !/^[[:space:]]*template/ { prev = $0 }
    END { print "checked " checked + 0 }' "$header")"
  checked=$((checked + $(tail -n 1 <<<"$out" | cut -d' ' -f2)))
  missing="$(sed '$d' <<<"$out")"
  if [[ -n "$missing" ]]; then
    echo "$missing"
    failures=$((failures + $(wc -l <<<"$missing")))
  fi
done
echo "header comments: $((checked - failures)) passed, $failures failed"
[[ $failures == 0 ]]
