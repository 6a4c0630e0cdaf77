#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one of the Library's screen-reader checks as a user of one meets the
# Library: a virtual display of its own with the openbox window manager (the
# focus and activation faults of dialogs show only under one), a private
# D-Bus session with at-spi2-core's bus and registry, Qt's AT-SPI bridge on,
# and for the checks of what is spoken Debian's Orca, headless, writing what
# it says to its debug log.
#
# Usage: run_checks.sh CHECK LIBRARY INSTRUMENT
#   CHECK       tree, keys, orca or transfers (check_CHECK.py)
#   LIBRARY     the tamboril-library program
#   INSTRUMENT  the a11y_instrument tool (test banks, the JACK instrument)
# The transfers check needs the JACK server JACK_DEFAULT_SERVER names.
set -euo pipefail
check=$1
library=$2
instrument=$3
here=$(cd "$(dirname "$0")" && pwd)

for tool in Xvfb openbox xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (bash scripts/setup installs it)" >&2; exit 1; }
done
if [ "$check" = orca ] || [ "$check" = transfers ]; then
  [ -x /usr/bin/orca ] || { echo "FAIL: orca is missing (bash scripts/setup installs it)" >&2; exit 1; }
fi

if [ -z "${TAMBORIL_A11Y_SESSION:-}" ]; then
  # A session bus of our own: the AT-SPI bus it starts ends with it.
  exec dbus-run-session -- env TAMBORIL_A11Y_SESSION=1 bash "$0" "$@"
fi

run=$(mktemp -d)
chmod 700 "$run"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$run"
}
trap cleanup EXIT
trap "exit 143" TERM INT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.1; done
[ -s "$run/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$run/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(cat "$run/display")"
# The Library's settings, its one-Library socket and its recent files stay
# in the run's folder.
mkdir -p "$run/home" "$run/xdg" "$run/config" "$run/banks"
chmod 700 "$run/xdg"
export HOME=$run/home XDG_RUNTIME_DIR=$run/xdg XDG_CONFIG_HOME=$run/config LANG=C.UTF-8
export A11Y_RUN=$run LIBRARY_PROGRAM=$library A11Y_INSTRUMENT=$instrument
# The source tree stays as it is: no compiled Python beside the checks.
export PYTHONDONTWRITEBYTECODE=1
if [ "$check" != transfers ]; then
  # No MIDI system: no JACK server is started on the Library's behalf.
  export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=tamboril-a11y-none
fi

openbox --sm-disable >"$run/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done

# The registry must run before the Library starts, or Qt's bridge stays off.
/usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0)' 2>"$run/atspi.log" ||
  { echo "FAIL: no AT-SPI registry: $(cat "$run/atspi.log")" >&2; exit 1; }

if [ "$check" = orca ] || [ "$check" = transfers ]; then
  # A copy of Orca's launcher under a name of its own (the stock one refuses
  # to start beside another Orca of the same user) writing its debug log a
  # line at a time; speech and braille off, what it would say in the log.
  sed -e "s/setProcessName('orca')/setProcessName('orca-a11y-test')/" \
      -e "s/    if otherOrcas():/    if False:/" \
      -e "s/open(args.debug_file, 'w')/open(args.debug_file, 'w', buffering=1)/" \
      /usr/bin/orca >"$run/orca-test"
  export ORCA_LOG=$run/orca.debug
  /usr/bin/python3 "$run/orca-test" -d speech,braille --debug-file="$ORCA_LOG" >"$run/orca.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 300); do grep -q "ORCA: Starting registry" "$ORCA_LOG" 2>/dev/null && break; sleep 0.1; done
  grep -q "ORCA: Starting registry" "$ORCA_LOG" 2>/dev/null ||
    { echo "FAIL: Orca did not start: $(tail -20 "$run/orca.out")" >&2; exit 1; }
fi

# On X, libxkbcommon-x11 reads one byte past counted strings under the
# sanitizer build's strict string checks; they stay on everywhere else.
asan_options=${ASAN_OPTIONS:-}
export ASAN_OPTIONS=${asan_options//strict_string_checks=1/strict_string_checks=0}

status=0
/usr/bin/python3 "$here/check_$check.py" &
checker=$!
pids+=("$checker")
wait "$checker" || status=$?
if [ "$status" -ne 0 ]; then
  echo "--- tamboril-library output:" >&2
  cat "$run/library.log" >&2 2>/dev/null || true
  if [ -n "${ORCA_LOG:-}" ]; then
    echo "--- what Orca said (last 60 utterances):" >&2
    grep -a "SPEECH OUTPUT" "$ORCA_LOG" | tail -60 | sed -E "s/^.*SPEECH OUTPUT: //; s/ ?\{'established'.*\}\$//" >&2 || true
  fi
  if [ -n "${A11Y_KEEP:-}" ]; then
    cp -r "$run" "$A11Y_KEEP" && echo "run folder kept in $A11Y_KEEP" >&2
  fi
fi
exit "$status"
