#!/bin/sh
# Runs in the emulated PC of tools/e2e_vm.sh, as its first process, with this
# checkout shared at /mnt/project: mounts what X and Wine need, copies the
# checkout to the PC's own disk (hard links and Wine's file mappings then
# behave as on any local disk, and the pristine prefix stays cached there),
# runs the suite on the machine's build, hands its output back, powers off.
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8
shared=/mnt/project
out=$shared/build/e2e-vm
mount -t sysfs sys /sys
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
for dir in /dev/shm /tmp /run; do mount -t tmpfs tmpfs $dir; done
hostname e2e-vm

mkdir -p /root/project && cd /root/project
find . -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
tar -C $shared --exclude=./build --exclude=./.git -cf - . | tar -xf -
set -- # the suite's options, one a line
while IFS= read -r option; do set -- "$@" "$option"; done <$out/arguments
python3 tests/e2e/run --build-dir $shared/build/mingw "$@" >$out/output 2>&1
echo $? >$out/exit.new
rm -rf $out/artifacts
cp -r build/e2e-artifacts $out/artifacts
mv $out/exit.new $out/exit
cd / && umount $shared
sync
echo o >/proc/sysrq-trigger
sleep 60
