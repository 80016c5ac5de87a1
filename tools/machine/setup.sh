#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 or 13: adds the i386
# architecture (for 32-bit Wine), installs Wine, QEMU, DOSBox and the rest, and
# generates the zh_TW.UTF-8 locale; says which of these it will do before it
# does any. Safe to repeat; runs apt only when something is missing. As your
# user, when it asks sudo for what it changes, or as root. Asks apt to simulate the
# whole installation before it installs anything, and takes the i386
# architecture back off when it added it for an installation that cannot go.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "setup: needs root: run it as root, or install sudo" >&2
        exit 1
    fi
    SUDO="sudo"
fi

packages=(
    # Unversioned names: clang and its runtime are 14 in Debian 12, 19 in Debian 13.
    cmake g++ make libgtest-dev clang libclang-rt-dev clang-format
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    halibut dosfstools # the help file and the floppy image
    # The end-to-end suite. Where the kernel runs no 32-bit program,
    # tools/machine/i386_emulation.sh fetches the rest it needs into a cache of its own.
    python3 wine wine32:i386 xvfb xdotool x11-utils imagemagick locales
    fonts-wqy-microhei # a font with Big5 glyphs, for the dialogs under zh_TW
    mtools             # also builds the floppy image; the suite takes drive A:'s files from it
    gcc-multilib       # the i386 emulation's own Wine loader, where Debian's is position-independent
)
# The floppy's boot sector, and the emulated PC and the other DOS that test the
# floppy. Without recommends: QEMU's would bring a desktop's worth of GUI.
lean_packages=(nasm qemu-system-x86 dosbox)

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing=() lean_missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
for p in "${lean_packages[@]}"; do installed "$p" || lean_missing+=("$p"); done
all_missing=("${missing[@]}" "${lean_missing[@]}")
add_i386=""
if [ "${#all_missing[@]}" -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    add_i386=yes
fi
# The Traditional Chinese locale (code page 950 under Wine).
add_locale=""
if ! locale -a 2>/dev/null | grep -qi '^zh_TW\.utf-\?8$'; then add_locale=yes; fi

# What this run will do to the machine, before it does any of it.
plan=()
[ -z "$add_i386" ] || plan+=("add the i386 architecture (for wine32)")
[ "${#all_missing[@]}" -eq 0 ] || plan+=("install ${all_missing[*]}")
[ -z "$add_locale" ] || plan+=("generate the zh_TW.UTF-8 locale")
if [ "${#plan[@]}" -gt 0 ]; then
    echo "setup: this machine lacks what the build and the tests need; setup will:"
    printf 'setup:   %s\n' "${plan[@]}"
fi
# apt's status lines (APT::Status-Fd) as one line each time the download or
# the installation passes another tenth.
show_progress() {
    awk -F: '$1 == "dlstatus" || $1 == "pmstatus" {
        phase = $1 == "dlstatus" ? "downloading" : "installing"
        tenth = int($3 / 10)
        if (phase != shown_phase || tenth > shown_tenth) {
            what = $0
            for (i = 0; i < 3; i++) what = substr(what, index(what, ":") + 1)
            printf "setup: %s, %d%%: %s\n", phase, tenth * 10, what
            fflush()
            shown_phase = phase
            shown_tenth = tenth
        }
    }'
}

# Runs one apt-get command quietly; on failure shows the command and apt's own
# errors (which name the package), and undoes an architecture added for it.
apt_or_fail() {
    local errors
    if ! errors=$($SUDO env DEBIAN_FRONTEND=noninteractive apt-get "$@" 2>&1 >/dev/null); then
        echo "setup: this failed: apt-get $*" >&2
        echo "$errors" | grep -E '^(E|W):' >&2 || echo "$errors" >&2
        if [ "${added_i386:-}" = yes ]; then
            $SUDO dpkg --remove-architecture i386 && echo "setup: took the i386 architecture off again" >&2
        fi
        exit 1
    fi
}

# One apt-get install, its status lines shown as progress; apt's and dpkg's
# own messages go to standard output too, of which only those are shown.
install_packages() {
    if ! $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o APT::Status-Fd=1 \
        "${release[@]}" "$@" | show_progress; then
        echo "setup: this failed: apt-get install -y ${release[*]} $* (apt's messages above)" >&2
        exit 1
    fi
}

if [ "${#all_missing[@]}" -gt 0 ]; then
    echo "setup: installing (a few minutes the first time)"
    if [ -n "$add_i386" ]; then
        echo "setup: adding the i386 architecture"
        $SUDO dpkg --add-architecture i386
        added_i386=yes
    fi
    echo "setup: reading the package lists (apt-get update)"
    release=()
    if ! errors=$($SUDO apt-get update -qq 2>&1 >/dev/null); then
        # A mirror caught mid-sync serves an index that disagrees with its
        # release file, and apt leaves that index out. The simulation decides.
        echo "setup: apt-get update could not read every index:" >&2
        echo "$errors" | grep -E '^(E|W):' >&2 || echo "$errors" >&2
        if ! $SUDO apt-get install --simulate -qq "${all_missing[@]}" >/dev/null 2>&1; then
            # Without, say, the security archive's i386 index, the amd64 and
            # i386 candidates of one library differ; the release's own suite
            # has both at one version.
            . /etc/os-release
            release=(-t "$VERSION_CODENAME")
            echo "setup: installing from $VERSION_CODENAME's own suite"
        fi
    fi
    echo "setup: checking that every package can be installed (apt-get install --simulate)"
    apt_or_fail install --simulate -qq "${release[@]}" "${all_missing[@]}"
    added_i386=""
    # With recommends: Wine's fonts and X's keyboard data come that way, and the
    # suite is tested with them.
    if [ "${#missing[@]}" -gt 0 ]; then install_packages "${missing[@]}"; fi
    if [ "${#lean_missing[@]}" -gt 0 ]; then
        install_packages --no-install-recommends "${lean_missing[@]}"
    fi
    echo "setup: installed"
fi

if [ -n "$add_locale" ]; then
    echo "setup: generating the zh_TW.UTF-8 locale"
    $SUDO sed -i 's/^# *\(zh_TW.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_TW.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_TW.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
