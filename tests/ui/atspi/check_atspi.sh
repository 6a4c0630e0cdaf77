#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the window program as a screen reader meets it: on a virtual display
# of its own, in a private D-Bus session with the AT-SPI bus and registry of
# at-spi2-core, with Qt's AT-SPI bridge on. check_atspi.py then reads the
# windows through pyatspi, as Orca does, and presses what a user would.
# Usage: check_atspi.sh PROGRAM
set -euo pipefail
program=$1
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${TAMBORIL_ATSPI_SESSION:-}" ]; then
  # A session bus of our own: the AT-SPI bus it starts ends with it.
  exec dbus-run-session -- env TAMBORIL_ATSPI_SESSION=1 bash "$0" "$@"
fi

run=$(mktemp -d)
chmod 700 "$run"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$run"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$run/display" 2>"$run/xvfb.log" &
pids+=($!)
for _ in $(seq 100); do [ -s "$run/display" ] && break; sleep 0.1; done
[ -s "$run/display" ] || { echo "FAIL: Xvfb did not start: $(cat "$run/xvfb.log")" >&2; exit 1; }
export DISPLAY=":$(cat "$run/display")"
export XDG_RUNTIME_DIR=$run QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# No MIDI system: the device window lists only "Device not enabled", and no
# JACK server is started on the program's behalf.
export JACK_NO_START_SERVER=1 JACK_DEFAULT_SERVER=tamboril-atspi-none

# The program runs from a folder of its own, where its Send writes temp.syx,
# with a kit given on its command line. Debian's own Python has pyatspi.
mkdir "$run/program"
cp "$program" "$run/program/tamboril"
/usr/bin/python3 - "$run/kit.syx" <<'PY'
import sys
kit = bytearray(197)
kit[0], kit[6], kit[196] = 0xF0, 7, 0xF7
kit[184:195] = b"TECHNO KIT "
open(sys.argv[1], "wb").write(kit)
PY

# The registry must run before the program starts, or Qt's bridge stays off.
/usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0)' 2>"$run/atspi.log" ||
  { echo "FAIL: no AT-SPI registry: $(cat "$run/atspi.log")" >&2; exit 1; }
# On X, libxkbcommon-x11 copies the keymap's names with strndup() from
# counted strings that have no NUL after them, which is correct; the sanitizer
# build's strict string checks read one byte further and stop the program
# before its window shows. Those checks stay on everywhere else.
asan_options=${ASAN_OPTIONS:-}
ASAN_OPTIONS=${asan_options//strict_string_checks=1/strict_string_checks=0} \
  "$run/program/tamboril" "$run/kit.syx" >"$run/program.log" 2>&1 &
pids+=($!)
if ! /usr/bin/python3 "$here/check_atspi.py"; then
  echo "--- program output:" >&2
  cat "$run/program.log" >&2
  exit 1
fi
