#!/usr/bin/env bash
# Runs one job as root inside a fresh minimal Debian root: what
# `debootstrap --variant=minbase` makes, plus ca-certificates and git.
#
#   .ci/fresh-root.sh [--release CODENAME] JOB ...
#     readme           the README's quick start, as written, in a clean
#                      clone of this checkout
#     packages DEB...  install the Debian packages with apt, use them,
#                      remove them (package-check.sh)
#     dev 'CMD' ...    ./dev.sh CMD for each CMD, in order, in a clean
#                      clone: proves what a job installs
#   CODENAME: bookworm (Debian 12, the default) or trixie (Debian 13).
#
# The pristine root of each release is bootstrapped once and kept as a
# tarball in $VELUT_CI_CACHE (default /var/cache/velut-ci); each job
# unpacks its own copy and deletes it at the end. The job runs in its own
# mount and PID namespaces: the root bound onto itself, /proc and /dev/pts
# in it are its only mounts (the root's own /dev nodes from debootstrap
# serve the rest), and the kernel unmounts them and ends every process
# left when the job ends, however it ends.
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
cache="${VELUT_CI_CACHE:-/var/cache/velut-ci}"
mirror="${VELUT_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
scratch="${TMPDIR:-/var/tmp}"
release=bookworm

say() { echo "fresh-root: $*" >&2; }
usage() {
  sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
  exit 2
}

if [[ ${1:-} == --release ]]; then
  release="${2:-}"
  shift 2 || usage
fi
case "$release" in
  bookworm) version=12 ;;
  trixie) version=13 ;;
  *) usage ;;
esac
case "${1:-}" in
  readme | dev | packages) ;;
  *) usage ;;
esac
tarball="$cache/$release-minbase-ca-certificates-git.tar.gz"

[[ $(id -u) -eq 0 ]] || { say "must run as root (debootstrap, chroot)"; exit 2; }

if ! command -v debootstrap >/dev/null; then
  say "installing debootstrap"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap
fi

roots=()
cleanup() {
  local root
  for root in "${roots[@]}"; do
    # Nothing should be mounted here (the namespace's mounts went with it);
    # if something is, unmount it rather than delete through it.
    findmnt -rn -o TARGET | grep -F "$root/" | sort -r | xargs -r umount -l || true
    rm -rf --one-file-system "$root"
  done
}
trap cleanup EXIT

# The pristine root as a tarball, bootstrapped when the cache lacks it.
pristine() {
  [[ -s $tarball ]] && return 0
  say "bootstrapping Debian $version ($release) into the cache ($tarball)"
  mkdir -p "$cache"
  local dir
  dir="$(mktemp -d "$scratch/velut-bootstrap.XXXXXX")"
  roots+=("$dir")
  # debootstrap mounts /proc and /sys while it works: in a mount namespace
  # of its own they cannot outlive it.
  unshare --mount --propagation private \
    debootstrap --variant=minbase --include=ca-certificates,git "$release" "$dir" "$mirror" \
    >"$dir.log" 2>&1 || { tail -n 30 "$dir.log"; rm -f "$dir.log"; return 1; }
  rm -f "$dir.log" "$dir"/var/cache/apt/archives/*.deb
  chmod 755 "$dir"  # mktemp made it 0700; it is the root's "/"
  tar -C "$dir" --numeric-owner -czf "$tarball.part" .
  mv "$tarball.part" "$tarball"
  rm -rf --one-file-system "$dir"
}

# new_root: unpacks a copy of the pristine root into a new folder, $root.
new_root() {
  root="$(mktemp -d "$scratch/velut-root.XXXXXX")"
  roots+=("$root")
  tar -C "$root" --numeric-owner -xpzf "$tarball"
  chmod 755 "$root"  # "/" must be open to the root's other users (apt's _apt)
  # The machine's name servers, so apt reaches the mirror from inside.
  cp -L /etc/resolv.conf "$root/etc/resolv.conf"
}

# in_root ROOT COMMAND...: runs COMMAND as root in ROOT with a clean
# environment, in new mount and PID namespaces. ROOT is bound onto itself
# so that its "/" is a mount point, as on a real machine (the tests make
# mounts of their own below it); /proc and a private /dev/pts (where apt
# and dpkg log the terminal) are mounted in it.
in_root() {
  local root="$1"
  shift
  # shellcheck disable=SC2016
  unshare --mount --propagation private --pid --fork --kill-child /bin/sh -c \
    'mount --bind "$0" "$0" && mount -t proc proc "$0/proc" &&
     mount -t devpts -o newinstance,ptmxmode=0666 devpts "$0/dev/pts" &&
     exec chroot "$0" "$@"' "$root" \
    /usr/bin/env -i HOME=/root TERM=dumb CI=true \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

# clean_clone DEST: a clone of this checkout's HEAD commit.
clean_clone() {
  git clone -q --no-checkout "$repo" "$1"
  git -C "$1" fetch -q "$repo" HEAD
  git -C "$1" checkout -q --detach FETCH_HEAD
}

pristine
job="$1" start=$SECONDS
case "$job" in
  readme)
    new_root
    clean_clone "$root/root/libvelut"
    # The two commands of the README's quick start, as written.
    in_root "$root" /bin/bash -c 'cd /root/libvelut && ./dev.sh example && ./dev.sh test'
    ;;
  dev)
    shift
    [[ $# -gt 0 ]] || { say "no dev.sh command given"; exit 2; }
    new_root
    clean_clone "$root/root/libvelut"
    script="cd /root/libvelut"
    for command in "$@"; do script+=" && ./dev.sh $command"; done
    in_root "$root" /bin/bash -c "$script"
    ;;
  packages)
    shift
    [[ $# -gt 0 ]] || { say "no packages given"; exit 2; }
    new_root
    mkdir -p "$root/tmp/velut-debs"
    cp "$@" "$root/tmp/velut-debs/"
    chmod -R a+rX "$root/tmp/velut-debs"
    # The consumer project and the pkg-config check, from the same commit.
    clean_clone "$root/root/libvelut"
    in_root "$root" /bin/bash /root/libvelut/.ci/package-check.sh /tmp/velut-debs /root/libvelut
    ;;
esac
say "$job on Debian $version ($release): passed in $((SECONDS - start)) s"
