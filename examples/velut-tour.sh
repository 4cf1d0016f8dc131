#!/usr/bin/env bash
# A short tour of the velut tool: each line shows a command and its output.
set -u
velut="${1:-velut}"

# Shows an argument as a shell would need it typed.
show() {
  if [[ "$1" =~ ^[A-Za-z0-9_./:=,+-]+$ ]]; then
    printf ' %s' "$1"
  else
    printf " '%s'" "${1//\'/\'\\\'\'}"
  fi
}

run() {
  printf '$ velut'
  for a in "$@"; do show "$a"; done
  printf '\n'
  "$velut" "$@"
  printf '  (exit %d)\n' $?
}

run escape 'name=Smith, John; role=admin'
run escape --json --chars ':' --escape '^' 'C:dir:file'
run unescape 'name=Smith\, John\; role=admin'
run trim-left --char , '  , first item'
run trim-right --char ';' 'last item;  '
run trim-right --char ';' 'no separator here'
run guid '12345678-9abc-def0-0123-456789abcdef'
run version 2.10
run time 2024-05-17T08:30:00
run error 5
run url 'file:///C:/Program%20Files/app/readme.txt'
run url 'www.example.com\docs\index.html'
run path-abs '../shared/lib' /home/user/project
run path-rel /home/user/project/src/main.cpp /home/user/project
run temp-file --prefix report --extension .csv
run probe-folder /tmp/not/made/yet/
run stat /etc/hostname
