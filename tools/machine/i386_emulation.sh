#!/usr/bin/env bash
# 32-bit x86 programs (32-bit Wine) on a kernel that runs none: QEMU's user-mode
# emulation of the i386, in a user and mount namespace of the command's own.
# There a binfmt_misc of its own (Linux 6.7 and later give each user namespace
# one) hands every i386 ELF program to qemu-i386, and Wine's server runs as the
# machine's own 64-bit wineserver of the same Wine. Nothing is registered for
# the rest of the machine, and it all goes with the command, also when
# interrupted. Needs no root where the kernel lets users make user
# namespaces (Debian's default).
#
# Usage: tools/machine/i386_emulation.sh prepare       makes the cache; prints its folder
#        tools/machine/i386_emulation.sh run COMMAND...  COMMAND under the emulation
#        tools/machine/i386_emulation.sh cache-folder    prints the folder of all caches
#
# The cache (in ~/.cache, or $I386_EMULATION_CACHE; 12 MB a release) holds
# qemu-i386 from Debian's qemu-user 10 (Debian 12 has it in bookworm-backports;
# its own 7.2 cannot map Wine's shared user data) and wineserver64 from wine64
# at the installed Wine's version, both fetched through apt from the machine's
# own mirror, and where Wine's loader is position-independent, one of ours
# (i386_wine_loader.c). It is keyed by the release, this script and that
# loader; a new Wine version fetches only its wineserver again.
set -euo pipefail
# No cd: the command runs where it was started.
tools=$(cd "$(dirname "$0")" && pwd)

say() { echo "i386-emulation: $*" >&2; }
fail() {
    say "$*"
    exit 1
}

. /etc/os-release
case "${VERSION_CODENAME:-}" in
bookworm) qemu_suite=bookworm-backports ;;
trixie) qemu_suite=trixie ;;
*) fail "Debian 12 (bookworm) or 13 (trixie) only, not ${PRETTY_NAME:-an unknown system}" ;;
esac
cache_root=${I386_EMULATION_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tarvix-ii-uninstall-tests/i386-emulation}
cache=$cache_root/$VERSION_CODENAME-$(cat "$0" "$tools/i386_wine_loader.c" | sha256sum | cut -c1-16)

# Fetches one package's .deb through apt from a suite of the machine's mirror
# (lists of its own, the machine's apt state untouched) into folder $1.
fetch_deb() { # FOLDER SUITE PACKAGE[=VERSION]
    local folder=$1 suite=$2 package=$3 mirror errors
    mirror=$(bash "$tools/apt_mirror.sh")
    [ -n "$mirror" ] || fail "no Debian archive in this machine's apt sources to fetch $package from"
    mkdir -p "$folder/lists/partial" "$folder/archives/partial"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $suite main" \
        >"$folder/sources.list"
    local apt=(-o "Dir::Etc::SourceList=$folder/sources.list" -o "Dir::Etc::SourceParts=$folder/none"
        -o "Dir::State::Lists=$folder/lists" -o "Dir::Cache=$folder" -o "APT::Architectures::=amd64"
        -o "Debug::NoLocking=1" -o "APT::Sandbox::User=$(id -un)")
    if ! errors=$(apt-get "${apt[@]}" update -qq --error-on=any 2>&1) ||
        ! errors=$(cd "$folder" && apt-get "${apt[@]}" download -qq "$package" 2>&1); then
        echo "$errors" | grep -E '^(E|W):' >&2 || echo "$errors" >&2
        fail "could not fetch $package from $suite at $mirror (apt's words above)"
    fi
}

# Debian 13's is position-independent: see i386_wine_loader.c.
wine_loader=/usr/lib/wine/wine
position_independent() { # ELF_FILE
    [ "$(od -An -tx1 -j16 -N2 "$1" | tr -d ' ')" = 0300 ]
}

# Moves a finished folder into place in one step; a run beside this one that
# got there first keeps its own, and ours goes.
publish() { # BUILT TARGET
    mv -T "$1" "$2" 2>/dev/null || rm -rf "$1"
}

# A half-made folder is never used, and goes when the script ends.
work=""
trap '[ -z "$work" ] || rm -rf "$work"' EXIT

prepare() {
    mkdir -p "$cache_root" || fail "cannot make the cache folder $cache_root"
    # What a killed run left half-made, once no run can still be making it.
    find "$cache_root" -maxdepth 2 -name '.making-*' -mmin +60 -exec rm -rf {} + 2>/dev/null || true
    if [ ! -x "$cache/qemu-i386" ]; then
        say "fetching QEMU's user-mode emulation (qemu-user, $qemu_suite) into $cache (once)"
        work=$(mktemp -d "$cache_root/.making-XXXXXX") || fail "cannot write in $cache_root"
        fetch_deb "$work/apt" "$qemu_suite" qemu-user
        dpkg-deb --fsys-tarfile "$work"/apt/qemu-user_*.deb |
            tar -xO ./usr/bin/qemu-i386 >"$work/qemu-i386" ||
            fail "could not unpack qemu-i386 into $work (disk full?)"
        chmod +x "$work/qemu-i386"
        rm -rf "$work/apt"
        publish "$work" "$cache"
        work=""
    fi
    local wine_version server
    wine_version=$(dpkg-query -W -f='${Version}' wine32:i386 2>/dev/null) ||
        fail "wine32:i386 is not installed (tools/machine/setup.sh installs it)"
    server=$cache/wineserver-$wine_version
    if [ ! -x "$server/wineserver" ]; then
        say "fetching wineserver64 of Wine $wine_version (wine64) into $cache (once a Wine version)"
        work=$(mktemp -d "$cache/.making-XXXXXX") || fail "cannot write in $cache"
        fetch_deb "$work/apt" "$VERSION_CODENAME" "wine64=$wine_version"
        dpkg-deb --fsys-tarfile "$work"/apt/wine64_*.deb |
            tar -xO ./usr/lib/wine/wineserver64 >"$work/wineserver64" ||
            fail "could not unpack wineserver64 into $work (disk full?)"
        # As Debian's own wrapper starts it: gone when its last client is.
        printf '#!/bin/sh\nexec "%s/wineserver64" -p0 "$@"\n' "$server" >"$work/wineserver"
        chmod +x "$work/wineserver64" "$work/wineserver"
        rm -rf "$work/apt"
        if position_independent "$wine_loader"; then
            gcc -m32 -O2 -fno-pie -no-pie -Wl,-Ttext-segment=0x7d000000 \
                -o "$work/wine-loader" "$tools/i386_wine_loader.c" -ldl ||
                fail "could not build a fixed-address Wine loader (gcc -m32: package gcc-multilib)"
        fi
        publish "$work" "$server"
        work=""
    fi
    bash "$0" run true || fail "the emulation cannot be set up here (the reason above)"
    echo "$cache"
}

# The namespace's own binfmt_misc, i386 ELF executables and shared objects to
# qemu-i386 (F: opened now, so the program's later mounts cannot change it).
# The folder of our wineserver goes first on PATH, and Wine starts it too.
run() {
    local qemu=$cache/qemu-i386 server
    server=$cache/wineserver-$(dpkg-query -W -f='${Version}' wine32:i386)
    [ -x "$qemu" ] && [ -x "$server/wineserver" ] || fail "not prepared: run $0 prepare first"
    local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    local inside='
        mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || {
            echo "i386-emulation: this kernel ($(uname -r)) gives no user namespace a binfmt_misc of its own (Linux 6.7 and later do)" >&2
            exit 1
        }
        printf "%s\n" ":i386:M::$I386_MAGIC:$I386_MASK:$I386_EMULATION:POCF" \
            >/proc/sys/fs/binfmt_misc/register || exit 1
        unset I386_MAGIC I386_MASK
        if [ -x "$I386_WINE_LOADER" ]; then
            mount --bind "$I386_WINE_LOADER" '"$wine_loader"' || exit 1
        fi
        unset I386_WINE_LOADER
        exec "$@"'
    local errors
    if ! errors=$(unshare --user --map-root-user --mount true 2>&1); then
        fail "cannot make a user namespace ($errors): as root, or with the sysctl kernel.unprivileged_userns_clone=1"
    fi
    # Its own PID namespace too: whatever the command leaves ends with it, and
    # an interruption here ends it all (unshare itself ignores SIGTERM).
    env I386_MAGIC="$magic" I386_MASK="$mask" I386_EMULATION="$qemu" I386_WINE_LOADER="$server/wine-loader" \
        PATH="$server:$PATH" WINESERVER="$server/wineserver" \
        unshare --user --map-root-user --mount --pid --fork --kill-child --mount-proc \
        sh -c "$inside" i386-emulation "$@" <&0 &
    local inner=$! status=0
    trap 'kill -KILL $inner 2>/dev/null; wait $inner; exit 130' INT TERM HUP
    wait $inner || status=$?
    return $status
}

case "${1:-}" in
prepare) prepare ;;
cache-folder) echo "$cache_root" ;;
run)
    shift
    run "$@"
    ;;
*)
    grep -E '^# (Usage: | {7})tools' "$0" >&2
    exit 2
    ;;
esac
