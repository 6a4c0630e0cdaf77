#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts and stops a headless PipeWire with WirePlumber for the tests that run
# through PipeWire's JACK layer, as on a desktop of today, with nothing of the
# machine's own: a private D-Bus session, runtime, state and config folder.
#
#   pipewire_server.sh start STATE_DIR   start it, wait until a JACK client runs
#   pipewire_server.sh stop  STATE_DIR   stop it (also what a failed start left)
#
# Everything lives below STATE_DIR: run/ is the XDG_RUNTIME_DIR the tests are
# given (PipeWire's socket pipewire-0 is there), pipewire.pid the process
# group of dbus-run-session, PipeWire and WirePlumber.
set -uo pipefail

action=${1:?start or stop}
state=${2:?state directory}
jacklib=${3:-/usr/lib/x86_64-linux-gnu/pipewire-0.3/jack}
mkdir -p "$state"
pidfile=$state/pipewire.pid
log=$state/pipewire.log

# True when pid leads the process group this script started: a stale pid file
# never leads to stopping some other process.
is_ours() {
    local pid=$1
    [ -r "/proc/$pid/environ" ] &&
        tr '\0' '\n' <"/proc/$pid/environ" | grep -qx "TAMBORIL_PIPEWIRE_STATE=$state"
}

stop() {
    local pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    if [[ $pid =~ ^[0-9]+$ ]] && is_ours "$pid"; then
        kill -TERM -- "-$pid" 2>/dev/null
        for _ in $(seq 50); do
            kill -0 -- "-$pid" 2>/dev/null || break
            sleep 0.1
        done
        if kill -0 -- "-$pid" 2>/dev/null; then
            echo "PipeWire group $pid did not stop on TERM; killing it"
            kill -KILL -- "-$pid" 2>/dev/null
        fi
    fi
    rm -f "$pidfile"
    rm -rf "$state/run"
}

case $action in
start)
    stop
    mkdir -m 700 "$state/run" "$state/state" "$state/config" 2>/dev/null
    # setsid makes a process group of its own that stop can end whole.
    TAMBORIL_PIPEWIRE_STATE=$state XDG_RUNTIME_DIR=$state/run \
        XDG_STATE_HOME=$state/state XDG_CONFIG_HOME=$state/config \
        setsid dbus-run-session -- bash -c 'pipewire & wireplumber & wait' \
        </dev/null >"$log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    for _ in $(seq 100); do
        if XDG_RUNTIME_DIR=$state/run LD_LIBRARY_PATH=$jacklib jack_lsp >/dev/null 2>&1; then
            echo "PipeWire is running (group $pid, runtime $state/run)"
            exit 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "PipeWire exited before answering:"
            cat "$log"
            stop
            exit 1
        fi
        sleep 0.1
    done
    echo "PipeWire did not answer within 10 s:"
    cat "$log"
    stop
    exit 1
    ;;
stop)
    stop
    echo "PipeWire stopped"
    ;;
*)
    echo "usage: $0 start|stop STATE_DIR [PIPEWIRE_JACK_LIBDIR]" >&2
    exit 2
    ;;
esac
