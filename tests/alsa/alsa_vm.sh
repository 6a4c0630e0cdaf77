#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The ALSA test stage: a real ALSA sequencer without sound hardware or KVM.
# Debian's own kernel boots under qemu (software emulation) from a small
# initramfs holding busybox, the sound modules snd-seq-dummy ("Midi Through")
# and snd-virmidi (four "VirMIDI 0-N" ports with raw MIDI devices hw:0,N),
# /usr/share/alsa, amidi and aconnect, and the programs under test with the
# shared libraries they use. The tests' log comes back on the second serial
# port.
#
#   alsa_vm.sh run STATE_DIR OFFSCREEN_PLUGIN PROGRAM...
#       build the initramfs, boot the machine, run the tests there; fails only
#       when the run did not come to its end (each test's result is `check`'s)
#   alsa_vm.sh check STATE_DIR FUNCTION
#       the result of one test function of that run, with its log lines
#   alsa_vm.sh stop STATE_DIR
#       ends the machine if it is still running (after a timeout or a crash)
set -uo pipefail

action=${1:?run, check or stop}
state=${2:?state directory}
mkdir -p "$state"
pidfile=$state/qemu.pid
results=$state/results.txt
console=$state/console.log
# The run's own limit, below ctest's for the fixture.
machine_seconds=${TAMBORIL_ALSA_VM_SECONDS:-150}

# True when pid is the qemu of this state directory, so that a stale pid file
# never leads to stopping another process.
is_our_qemu() {
    local pid=$1
    [ -r "/proc/$pid/cmdline" ] || return 1
    local cmdline
    cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline")
    [[ $cmdline == *qemu-system* && $cmdline == *"$state/"* ]]
}

stop_machine() {
    local pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    if [[ $pid =~ ^[0-9]+$ ]] && is_our_qemu "$pid"; then
        echo "stopping the test machine (qemu $pid)"
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 30); do
            is_our_qemu "$pid" || break
            sleep 0.1
        done
        is_our_qemu "$pid" && kill -KILL "$pid" 2>/dev/null
    fi
    rm -f "$pidfile" "$state/initramfs.cpio"
}

# The newest installed kernel that has its sound modules.
pick_kernel() {
    local image version
    for image in $(ls -v /boot/vmlinuz-* 2>/dev/null | tac); do
        version=${image#/boot/vmlinuz-}
        if [ -r "$image" ] && [ -d "/lib/modules/$version/kernel/sound" ]; then
            echo "$version"
            return 0
        fi
    done
    return 1
}

# Copies the shared libraries file $1 needs into the root, at their paths.
copy_libraries() {
    local file=$1 root=$2 lib
    for lib in $(ldd "$file" | grep -o '/[^ ]*'); do
        if [ ! -e "$root$lib" ]; then
            mkdir -p "$root$(dirname "$lib")"
            cp -L "$lib" "$root$lib"
        fi
    done
}

# Copies file $1 into the root at the same path, with its libraries.
copy_with_libraries() {
    local file=$1 root=$2
    mkdir -p "$root$(dirname "$file")"
    cp -L "$file" "$root$file"
    copy_libraries "$file" "$root"
}

# Copies program $1 to /bin (without debug information) and its libraries.
copy_program() {
    local program=$1 root=$2
    copy_libraries "$program" "$root"
    objcopy --strip-debug "$program" "$root/bin/$(basename "$program")"
}

build_initramfs() {
    local root=$1 version=$2 plugin=$3
    shift 3
    rm -rf "$root"
    mkdir -p "$root"/{bin,dev,proc,sys,tmp,modules,etc}
    cp "$(command -v busybox)" "$root/bin/busybox" || return 1
    ldd "$root/bin/busybox" >/dev/null 2>&1 && {
        echo "busybox is not the static one: install busybox-static"
        return 1
    }
    cp "$(dirname "$0")/guest_init.sh" "$root/init"
    chmod +x "$root/init"

    local line module
    : >"$root/modules/order"
    for module in snd-seq-dummy snd-virmidi; do
        modprobe --show-depends -S "$version" "$module" || return 1
    done | awk '$1 == "insmod" && !seen[$2]++ { print $2 }' | while read -r line; do
        module=$(basename "$line")
        case $module in
        *.ko.xz) xz -dc "$line" >"$root/modules/${module%.xz}" ;;
        *.ko.zst) zstd -qdc "$line" >"$root/modules/${module%.zst}" ;;
        *) cp "$line" "$root/modules/$module" ;;
        esac
        echo "${module%.ko*}.ko" >>"$root/modules/order"
    done
    [ -s "$root/modules/order" ] || return 1

    mkdir -p "$root/usr/share"
    cp -r /usr/share/alsa "$root/usr/share/alsa"
    local program
    for program in "$@" "$(command -v amidi)" "$(command -v aconnect)"; do
        copy_program "$program" "$root" || return 1
    done
    copy_with_libraries "$plugin" "$root"
    # A font for the window, found through fontconfig.
    cp -r /etc/fonts "$root/etc/fonts"
    mkdir -p "$root/usr/share/fonts/truetype"
    cp -r /usr/share/fonts/truetype/dejavu "$root/usr/share/fonts/truetype/" 2>/dev/null

    (cd "$root" && find . | cpio -o -H newc --quiet) >"$state/initramfs.cpio"
}

run_machine() {
    local plugin=${1:?offscreen platform plugin}
    shift
    stop_machine
    rm -f "$results" "$console"
    local version
    if ! version=$(pick_kernel); then
        echo "no kernel with sound modules in /boot and /lib/modules: install linux-image-amd64"
        return 1
    fi
    for tool in qemu-system-x86_64 busybox cpio amidi aconnect modprobe objcopy; do
        if ! command -v "$tool" >/dev/null; then
            echo "$tool is missing: run scripts/setup"
            return 1
        fi
    done
    local started=$SECONDS
    if ! build_initramfs "$state/root" "$version" "$plugin" "$@"; then
        echo "the initramfs could not be built"
        return 1
    fi
    rm -rf "$state/root"
    echo "initramfs for kernel $version: $(du -h "$state/initramfs.cpio" | cut -f1)," \
        "built in $((SECONDS - started)) s"

    touch "$results"
    timeout --kill-after=5 "$machine_seconds" qemu-system-x86_64 \
        -accel tcg -smp 2 -m 1024 -display none -monitor none -no-reboot \
        -pidfile "$pidfile" \
        -kernel "/boot/vmlinuz-$version" -initrd "$state/initramfs.cpio" \
        -append "console=ttyS0 panic=-1 quiet" \
        -serial "file:$console" -serial "file:$results" </dev/null
    local status=$?
    rm -f "$pidfile" "$state/initramfs.cpio"
    echo "the test machine ran for $((SECONDS - started)) s"
    grep -E "^(Totals|ALSA VM)" "$results"
    if ! grep -q "^ALSA VM DONE" "$results"; then
        if [ "$status" -eq 124 ]; then
            echo "the test machine did not finish within $machine_seconds s"
        else
            echo "the test machine ended before the tests did (qemu exit $status)"
        fi
        echo "-- console:"
        tail -n 40 "$console"
        echo "-- test log:"
        tail -n 40 "$results"
        return 1
    fi
    return 0
}

check_function() {
    local name=${1:?test function}
    if [ ! -s "$results" ]; then
        echo "no results: the test machine did not run (see the alsa_vm_run test)"
        return 1
    fi
    # The log lines of this function: each starts with a tag and the class
    # and function name; continuation lines ("   Loc: ...") follow their line.
    awk -v fn="::$name(" '
        /^[A-Z!]+ *: [A-Za-z_]+::/ { inside = index($0, fn) > 0 }
        /^(Totals|\*\*\*|Config|ALSA VM)/ { inside = 0 }
        inside { print }
    ' "$results" | tr -d '\r'
    if grep -q "^FAIL!  : [A-Za-z_]*::$name(" "$results"; then
        return 1
    fi
    if grep -q "^PASS   : [A-Za-z_]*::$name()" "$results"; then
        return 0
    fi
    echo "no result for $name: the test run ended before it"
    tail -n 5 "$results"
    return 1
}

case $action in
run) run_machine "${@:3}" ;;
check) check_function "${3:-}" ;;
stop) stop_machine ;;
*)
    echo "usage: $0 run|check|stop STATE_DIR ..." >&2
    exit 2
    ;;
esac
