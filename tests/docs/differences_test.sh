#!/usr/bin/env bash
# docs/differences.md and the headers' "Differs from Win32:" notes agree: each
# note has an entry linking its line, and each entry links a note and names a
# function or type its header declares.
#   differences_test.sh SOURCE_DIR
set -u
# shellcheck source=../package/verdict.sh
source "$(dirname "$0")/../package/verdict.sh"
cd "$1" || exit 1
notes=$(grep -n "Differs from Win32:" include/VelUt/*.h winapi/include/WinAPI/*.h \
  velfirst/include/velfirst/*.h corefoundation/include/CoreFoundation/*.h | cut -d: -f1,2 | sort)
# "- [`Name`](../path#L12): ..." as "path:12 Name".
entries=$(sed -n 's/^- \[`\([^`]*\)`\](\.\.\/\([^#)]*\)#L\([0-9]*\)).*/\2:\3 \1/p' \
  docs/differences.md)
linked=$(cut -d' ' -f1 <<<"$entries" | sort)
unlisted=$(comm -23 <(echo "$notes") <(echo "$linked"))
[[ -z $unlisted ]]
verdict $? "notes without an entry in docs/differences.md: $unlisted"
stale=$(comm -13 <(echo "$notes") <(echo "$linked"))
[[ -z $stale ]]
verdict $? "entries that link no note (moved or removed): $stale"
while read -r line name; do
  grep -q -- "${name##*::}" "${line%%:*}"
  verdict $? "$line: the entry names $name, which its header does not"
done <<<"$entries"
summary "differences"
