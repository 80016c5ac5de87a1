#!/usr/bin/env bash
# Tries the README's two commands as a new user would: makes a fresh Debian root
# of the named release with debootstrap (minbase, git only), clones this
# checkout's current commit into it, and runs the commands there as root. Prints
# each command's exit code, time and last line. Removes the root afterwards, also
# when interrupted. As root; installs debootstrap on the host when it is missing.
# The root shares this machine's cache of the i386 emulation, whose entries are
# each release's own.
#
# Usage: tools/machine/fresh_debian.sh [--test-only] RELEASE   (RELEASE: bookworm, trixie)
# Exits non-zero when a command fails. The mirror is the one this machine's apt
# uses for Debian itself, else debootstrap's default; FRESH_DEBIAN_MIRROR overrides it.
set -euo pipefail
cd "$(dirname "$0")/../.."

commands=("tools/demo.sh" "tools/test.sh")
if [ "${1:-}" = "--test-only" ]; then
    commands=("tools/test.sh")
    shift
fi
if [ $# -ne 1 ]; then
    sed -n 's/^# Usage: //p' "$0" >&2
    exit 2
fi
release=$1
mirror=${FRESH_DEBIAN_MIRROR:-$(bash tools/machine/apt_mirror.sh)}
commit=$(git rev-parse HEAD)
say() { echo "fresh-debian $release: $*"; }

# A root of its own for each run, so two runs never meet.
root=$(mktemp -d "/var/tmp/fresh-debian-$release.XXXXXX")
bootstrap_log=$root.debootstrap.log
mounted=()
inside="" # the process whose namespaces hold what runs in the root

# Ends what still runs inside the root, unmounts in reverse order, removes it.
clean_up() {
    trap - EXIT INT TERM
    [ -z "$inside" ] || kill -KILL "$inside" 2>/dev/null || true
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
    rm -rf --one-file-system "$root"
    rm -f "$bootstrap_log"
}
trap clean_up EXIT
trap 'say "interrupted"; exit 130' INT TERM

# Runs a command in the root: its own mount namespace, whose root it is by
# pivot_root (a chrooted process may make no user namespace, which the i386
# emulation needs), and its own PID namespace, so that all it started ends
# with it. In the background, its id in $inside.
in_root() {
    unshare --mount --propagation private --pid --fork --kill-child sh -c '
        mount --rbind "$0" "$0" && cd "$0" && mkdir -p .host && pivot_root . .host &&
            cd / && mount -t proc proc /proc && umount -l /.host && rmdir /.host &&
            exec "$@"' "$root" "$@" &
    inside=$!
}

mount_in_root() { # TYPE-OR---bind SOURCE TARGET
    mkdir -p "$root$3"
    if [ "$1" = --bind ]; then mount --bind "$2" "$root$3"; else mount -t "$1" "$2" "$root$3"; fi
    mounted+=("$root$3")
}

if ! command -v debootstrap >/dev/null; then
    say "installing debootstrap"
    # An index the mirror serves mid-sync fails the update, not this package.
    apt-get update -qq || say "apt-get update could not read every index; going on"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null
fi
say "making the root in $root (debootstrap, minbase, git, from ${mirror:-the default mirror of debootstrap})"
started=$(date +%s)
if ! debootstrap --variant=minbase --include=git,ca-certificates "$release" "$root" ${mirror:+"$mirror"} \
    >"$bootstrap_log" 2>&1; then
    tail -n 20 "$bootstrap_log"
    say "debootstrap failed (its last lines above)"
    exit 1
fi
say "root made in $(($(date +%s) - started)) s"

mount_in_root proc proc /proc
mount_in_root sysfs sys /sys
mount_in_root --bind /dev /dev
mount_in_root devpts devpts /dev/pts
mount_in_root tmpfs tmpfs /dev/shm
emulation_cache=$(bash tools/machine/i386_emulation.sh cache-folder)
mkdir -p "$emulation_cache"
mount_in_root --bind "$emulation_cache" /var/cache/i386-emulation
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

git clone -q --no-hardlinks "$PWD" "$root/root/project"
git -C "$root/root/project" checkout -q --detach "$commit"
say "cloned $commit"

failures=0
for command in "${commands[@]}"; do
    log="/root/$(basename "$command" .sh).log"
    say "running $command (output in the root's $log)"
    started=$(date +%s)
    rc=0
    in_root /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 I386_EMULATION_CACHE=/var/cache/i386-emulation \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /root/project && bash $command </dev/null >$log 2>&1"
    wait "$inside" || rc=$?
    inside=""
    last=$(grep -v '^[[:space:]]*$' "$root$log" | tail -n 1)
    # Before the closing line, whose counts .ci/run takes.
    grep '^e2e cases: ' "$root$log" || true
    echo "$command: exit $rc, $(($(date +%s) - started)) s, last line: $last"
    if [ "$rc" -ne 0 ]; then
        failures=$((failures + 1))
        tail -n 40 "$root$log"
    fi
done
[ "$failures" -eq 0 ]
