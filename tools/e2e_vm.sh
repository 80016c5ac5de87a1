#!/usr/bin/env bash
# The end-to-end suite on an emulated PC, for a machine whose kernel runs no
# 32-bit x86 program (where tests/e2e/run skips every case). QEMU with its
# software CPU boots a Debian root of this machine's release with Wine (made
# once, in build/e2e-vm/), which runs tests/e2e/run on this checkout, shared
# into it. Build the mingw preset first. As root (debootstrap, chroot).
#
# Usage: tools/e2e_vm.sh [tests/e2e/run's options]
# Ends with the suite's own lines and its exit code. The emulated CPU is many
# times slower than the machine's own, so every wait of the suite is four
# times as long (--slowdown 4, unless the options say otherwise).
set -euo pipefail
cd "$(dirname "$0")/.."

vm=build/e2e-vm
say() { echo "e2e-vm: $*"; }

if [ "$(id -u)" -ne 0 ]; then
    say "needs root (debootstrap and chroot make its Debian root)" >&2
    exit 1
fi
for tool in debootstrap qemu-system-x86_64 mke2fs; do
    if ! command -v "$tool" >/dev/null; then
        say "needs $tool (packages debootstrap, qemu-system-x86, e2fsprogs)" >&2
        exit 1
    fi
done

# The emulated PC's first process, in its image: the rest is the checkout's
# own tools/e2e_vm_inside.sh, so that changing it needs no new image.
write_init() {
    cat >"$1" <<'EOF'
#!/bin/sh
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
modprobe 9pnet_virtio
mkdir -p /mnt/project
mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288 project /mnt/project
exec /bin/sh /mnt/project/tools/e2e_vm_inside.sh
EOF
    chmod +x "$1"
}

# What make_image mounted, unmounted in reverse order when the script ends.
mounted=()
unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}"; done
    mounted=()
}
trap unmount_all EXIT

# The Debian root with Wine and a kernel, as a disk image; the kernel and its
# initial RAM disk beside it for QEMU to start.
make_image() {
    local root=$vm/root mirror
    rm -rf --one-file-system "$root" "$vm/disk.img"
    mkdir -p "$root"
    . /etc/os-release
    mirror=$(bash tools/apt_mirror.sh)
    say "making a Debian $VERSION_ID root with Wine for the emulated PC in $vm (once; minutes)"
    if ! debootstrap --variant=minbase "$VERSION_CODENAME" "$root" ${mirror:+"$mirror"} \
        >"$vm/debootstrap.log" 2>&1; then
        tail -n 20 "$vm/debootstrap.log"
        say "debootstrap failed (its last lines above)"
        exit 1
    fi
    mount -t proc proc "$root/proc" && mounted+=("$root/proc")
    mount -t sysfs sys "$root/sys" && mounted+=("$root/sys")
    mount --bind /dev "$root/dev" && mounted+=("$root/dev")
    # apt gives dpkg a terminal of its own; without one, scripts' output fails.
    mount -t devpts devpts "$root/dev/pts" && mounted+=("$root/dev/pts")
    cp -L /etc/resolv.conf "$root/etc/resolv.conf"
    cp tools/setup.sh "$root/tmp/setup.sh"
    # Some i386 packages' scripts run i386 programs, which fail here without
    # stopping apt; Wine needs none of them.
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        bash -c 'bash /tmp/setup.sh --wine-only &&
            DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
                linux-image-amd64 kmod >/dev/null'
    write_init "$root/e2e-init"
    unmount_all
    cp -L "$root/vmlinuz" "$vm/vmlinuz"
    cp -L "$root/initrd.img" "$vm/initrd.img"
    mke2fs -q -t ext4 -L e2e-vm -d "$root" "$vm/disk.img" 16G
    rm -rf --one-file-system "$root" "$vm/debootstrap.log"
    touch "$vm/image-complete"
}

mkdir -p "$vm"
if [ ! -f "$vm/image-complete" ]; then make_image; fi
printf '%s\n' --slowdown 4 "$@" >"$vm/arguments"
rm -f "$vm/output" "$vm/exit"
say "starting the emulated PC (QEMU, software CPU, 2 processors); the suite's lines follow when it ends"
started=$(date +%s)
# A QEMU process of its own, its disk not shared: two checkouts never meet.
timeout 3600 qemu-system-x86_64 -machine q35 -cpu qemu64 -smp 2 -accel tcg,thread=multi -m 6G \
    -kernel "$vm/vmlinuz" -initrd "$vm/initrd.img" \
    -append "root=/dev/vda rw console=ttyS0 init=/e2e-init quiet panic=1" \
    -drive "file=$vm/disk.img,if=virtio,format=raw" \
    -virtfs "local,path=$PWD,mount_tag=project,security_model=none" \
    -display none -serial "file:$vm/console.log" -no-reboot || true # panic=1: a failed PC ends
say "the emulated PC ran $(($(date +%s) - started)) s"
if [ ! -f "$vm/exit" ]; then
    tail -n 30 "$vm/console.log"
    say "the suite did not finish (the PC's console above, in $vm/console.log)"
    echo "0 passed, 1 failed"
    exit 1
fi
cat "$vm/output"
exit "$(cat "$vm/exit")"
