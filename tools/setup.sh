#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine. Safe to repeat;
# runs apt only when something is missing. Needs root (or sudo).
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

packages=(
    cmake g++ make libgtest-dev clang libclang-rt-14-dev python3 clang-format
    g++-mingw-w64-i686 binutils-mingw-w64-i686
    halibut mtools dosfstools # the help file and the floppy image
    wine wine32:i386 xvfb xdotool x11-utils imagemagick locales
    fonts-wqy-microhei # a font with Big5 glyphs, for the dialogs under zh_TW
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture (for wine32)"
    $SUDO dpkg --add-architecture i386
    $SUDO apt-get update -qq
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
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

if [ "${#missing[@]}" -gt 0 ]; then
    echo "setup: installing ${missing[*]} (a few minutes the first time)"
    echo "setup: reading the package lists (apt-get update)"
    $SUDO apt-get update -qq
    # With recommends: Wine's fonts and X's keyboard data come that way, and the
    # suite is tested with them. The status lines go to standard output, with
    # apt's and dpkg's own messages, of which only they are shown.
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o APT::Status-Fd=1 \
        "${missing[@]}" | show_progress
    echo "setup: installed"
fi

# The Traditional Chinese locale (code page 950 under Wine).
if ! locale -a 2>/dev/null | grep -qi '^zh_TW\.utf-\?8$'; then
    echo "setup: generating the zh_TW.UTF-8 locale"
    $SUDO sed -i 's/^# *\(zh_TW.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^zh_TW.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_TW.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
