#!/usr/bin/env bash
# Runs as root inside a fresh Debian root (.ci/fresh-root.sh packages):
# installs the Debian packages with apt, uses them as a user would, then
# removes them and checks that nothing of them is left.
#   package-check.sh DEB_DIR SOURCE_TREE
set -euo pipefail
debs="$1" src="$2"
export DEBIAN_FRONTEND=noninteractive
step() { echo "== package-check: $*"; }
apt_install() { apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }

mapfile -t packages < <(for deb in "$debs"/*.deb; do dpkg-deb -f "$deb" Package; done)
# Every file the packages hold, to check after their removal.
mapfile -t files < <(for deb in "$debs"/*.deb; do
  dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./|/|'
done)

step "installing ${packages[*]} with apt (their dependencies come along)"
apt-get update -qq
dpkg-query -W -f='${Package}\n' | sort >/tmp/before.txt
apt_install "$debs"/*.deb
dpkg-query -W -f='${Package}\n' | sort | comm -13 /tmp/before.txt - | paste -sd ' '
# (Outputs are read whole before a search: grep -q would cut the pipe.)
ldconfig -p >/tmp/ldconfig.txt
grep -q 'libVelUt\.so\.0 ' /tmp/ldconfig.txt

step "velut strings on the bundled table, with nothing else installed"
velut --version
velut strings --lang de-DE | tee /tmp/strings.txt
grep -q 'Öffnen' /tmp/strings.txt

step "the man page and the bash completion"
apt_install man-db bash-completion
MANWIDTH=80 man velut >/tmp/man.txt
grep -q 'velut strings' /tmp/man.txt
# shellcheck disable=SC2016
bash -c 'source /usr/share/bash-completion/bash_completion
         _completion_loader velut
         COMP_WORDS=(velut stri) COMP_CWORD=1
         _velut
         [[ ${COMPREPLY[*]} == strings ]]'

step "the reference site"
site=/usr/share/doc/libvelut-doc/html
[[ -f $site/index.html && -f $site/search/search.js ]]
grep -q 'ParseDelimitedString' "$site/namespaceVelUt.html"

step "the consumer project through find_package, then pkg-config"
apt_install cmake make g++ pkg-config
cmake -S "$src/examples/consumer" -B /tmp/consumer >/dev/null
cmake --build /tmp/consumer -j "$(nproc)" >/dev/null
ctest --test-dir /tmp/consumer --output-on-failure
"$src/tests/package/pkg_config_test.sh" /usr g++ "$src/examples/consumer" /tmp/pkg-config
[[ "$(velut --version)" == "velut $(pkg-config --modversion velut)" ]]

step "removing ${packages[*]}"
apt-get purge -y -qq "${packages[@]}" >/dev/null
left=0
for f in "${files[@]}"; do
  if [[ -e $f || -L $f ]]; then echo "left behind: $f"; left=1; fi
done
for p in "${packages[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
  if [[ -n $status && $status != *not-installed ]]; then echo "$p: $status"; left=1; fi
done
ldconfig -p >/tmp/ldconfig.txt
if grep -q 'libVelUt\.so' /tmp/ldconfig.txt; then echo "libVelUt is still in the linker cache"; left=1; fi
[[ $left -eq 0 ]]
step "passed"
