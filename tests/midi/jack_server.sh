#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts and stops the JACK servers (dummy driver, no audio hardware) that the
# MIDI tests send through.
#
#   jack_server.sh start NAME STATE_DIR   start server NAME, wait until it answers
#   jack_server.sh stop  NAME STATE_DIR   stop every server the tests started
#
# Each server's process id is kept in STATE_DIR/jackd-<server>.pid; tests that
# start a server of their own (named NAME-something) record it there too, so
# that stop also ends those when a test failed or crashed half-way.
set -uo pipefail

action=${1:?start or stop}
name=${2:?server name}
state=${3:?state directory}
mkdir -p "$state"

# True when pid is a jackd serving a server whose name starts with $name, so
# that a stale pid file never leads to stopping some other process.
is_our_jackd() {
    local pid=$1 cmdline
    [ -r "/proc/$pid/cmdline" ] || return 1
    cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline")
    [[ $cmdline == *jackd* && $cmdline == *" -n $name"* ]]
}

stop_pidfile() {
    local pidfile=$1 pid
    pid=$(cat "$pidfile" 2>/dev/null || true)
    if [[ $pid =~ ^[0-9]+$ ]] && is_our_jackd "$pid"; then
        kill -TERM "$pid" 2>/dev/null
        for _ in $(seq 50); do
            is_our_jackd "$pid" || break
            sleep 0.1
        done
        if is_our_jackd "$pid"; then
            echo "jackd $pid did not stop on TERM; killing it"
            kill -KILL "$pid" 2>/dev/null
            sleep 0.2
        fi
    fi
    rm -f "$pidfile"
}

stop_all() {
    local pidfile
    for pidfile in "$state"/jackd-"$name"*.pid; do
        [ -e "$pidfile" ] && stop_pidfile "$pidfile"
    done
    # A killed server leaves its shared memory and its clients' semaphores
    # behind; with every server of ours stopped, they can go.
    rm -f /dev/shm/jack_"$name"_* /dev/shm/jack_"$name"-*_* \
        /dev/shm/jack_sem."$(id -u)"_"$name"_* /dev/shm/jack_sem."$(id -u)"_"$name"-*
    return 0
}

# JACK keeps its servers in a registry in shared memory with room for eight.
# An entry is reclaimed only by a server of the same name, so servers that were
# killed (by a test on purpose, or with a whole test run) under other names
# fill it up until no server starts ("Too many servers already active"). When
# no jackd at all is running, every entry is stale and the registry can go.
clear_stale_registry() {
    if ! pgrep -x jackd >/dev/null 2>&1 && ! pgrep -x jackdbus >/dev/null 2>&1; then
        rm -f /dev/shm/jack-shm-registry /dev/shm/jack-"$(id -u)"-* /dev/shm/jack_sem."$(id -u)"_*
    fi
}

case $action in
start)
    stop_all
    clear_stale_registry
    pidfile=$state/jackd-$name.pid
    log=$state/jackd-$name.log
    # No D-Bus session on CI: do not ask for the audio device reservation.
    JACK_NO_AUDIO_RESERVATION=1 jackd --no-realtime -n "$name" -d dummy \
        </dev/null >"$log" 2>&1 &
    pid=$!
    echo "$pid" >"$pidfile"
    for _ in $(seq 100); do
        if jack_lsp -s "$name" >/dev/null 2>&1; then
            echo "JACK server \"$name\" is running (pid $pid)"
            exit 0
        fi
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "jackd exited before answering:"
            cat "$log"
            rm -f "$pidfile"
            exit 1
        fi
        sleep 0.1
    done
    echo "JACK server \"$name\" did not answer within 10 s:"
    cat "$log"
    stop_all
    exit 1
    ;;
stop)
    stop_all
    echo "JACK servers \"$name\"* stopped"
    ;;
*)
    echo "usage: $0 start|stop NAME STATE_DIR" >&2
    exit 2
    ;;
esac
