#!/bin/busybox sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The first and only process of the ALSA test machine: loads the sound
# modules, runs the tests with their log on the second serial port, and powers
# the machine off. Whatever happens, the last line on that port says how the
# run ended.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /tmp /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /dev/shm

log=/dev/ttyS1
for module in $(cat /modules/order); do
    if ! insmod "/modules/$module" 2>>"$log"; then
        echo "ALSA VM: insmod $module failed" >>"$log"
    fi
done

export HOME=/tmp TMPDIR=/tmp XDG_RUNTIME_DIR=/tmp
export QT_QPA_PLATFORM=offscreen TAMBORIL_MIDI_API=alsa
export TAMBORIL_KIT_PROGRAM=/bin/tamboril-kit
export TAMBORIL_VIRMIDI_MODULE=/modules/snd-virmidi.ko
cd /tmp
/bin/test_alsa_vm -o "$log,txt"
echo "ALSA VM DONE $?" >>"$log"
sync
poweroff -f
