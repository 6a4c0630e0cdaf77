#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from the build tree, checks it with lintian and
# unpacks it into a temporary root whose usr/ is mounted read-only, as an
# installed package's folders are for their users. Then runs both installed
# programs from there: tamboril-kit splits a bulk file and sends a kit; the
# window program, under Xvfb and driven with xdotool, opens a kit given on its
# command line, splits a bulk file (into the per-user data folder) and sends
# the kit (its scratch file in the per-user cache folder). Kits are sent
# through the test run's JACK server to jack_midi_dump.
#
#   check_deb.sh BUILD_DIR VERSION DISPLAY_VERSION
set -euo pipefail
build_dir=$(realpath "$1") version=$2 display_version=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d)
pids=()
mounted=""
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -z "$mounted" ] || umount "$mounted" || true
  rm -rf "$work"
}
trap cleanup EXIT

# The package: its name carries the project's version, its dependencies come
# from the binaries.
SECONDS=0
(cd "$build_dir" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
deb="$build_dir/package/tamboril_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6printsupport6 librtmidi6 libqt6svg6 fonts-dejavu-core; do
  grep -q "$lib" <<<"$depends" || fail "the package does not depend on $lib: $depends"
done
# No error and no warning. What lintian still says is information only:
# hardening-no-bindnow (the build does not link with -z now) and
# binary-has-unneeded-section (CPack strips without removing .comment).
lintian --fail-on error,warning "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error,warning "$deb" >/dev/null 2>&1 || fail "lintian found errors or warnings"

echo "package built and checked in ${SECONDS}s"
root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/bin/tamboril usr/bin/tamboril-kit usr/share/doc/tamboril/copyright \
         usr/share/applications/org.tamboril.Tamboril.desktop \
         usr/share/icons/hicolor/scalable/apps/org.tamboril.Tamboril.svg \
         usr/share/metainfo/org.tamboril.Tamboril.metainfo.xml \
         usr/share/mime/packages/org.tamboril.Tamboril.xml; do
  [ -f "$root/$f" ] || fail "the package has no /$f"
done
desktop="$root/usr/share/applications/org.tamboril.Tamboril.desktop"
grep -qx "Exec=tamboril %f" "$desktop" || fail "the desktop entry does not run tamboril %f"
desktop-file-validate "$desktop"
metainfo="$root/usr/share/metainfo/org.tamboril.Tamboril.metainfo.xml"
appstreamcli validate --no-net "$metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
grep -q "<project_license>GPL-3.0-or-later</project_license>" "$metainfo" || fail "metainfo licence"
grep -q "^License: GPL-3.0-or-later" "$root/usr/share/doc/tamboril/copyright" || fail "copyright"
bash "$here/check_man_pages.sh" "$root/usr/share/man/man1" "$root/usr/bin/tamboril-kit"

mount --bind "$root/usr" "$root/usr"
mounted="$root/usr"
mount -o remount,bind,ro "$root/usr"
if touch "$root/usr/bin/probe" 2>/dev/null; then fail "the installed folder is writable"; fi
bin="$root/usr/bin"

export HOME="$work/home" XDG_DATA_HOME="$work/home/data" XDG_CACHE_HOME="$work/home/cache"
export XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
[ "$("$bin/tamboril-kit" --version)" = "tamboril-kit $display_version" ] || fail "tamboril-kit --version"
[ "$("$bin/tamboril" --version)" = "Tamboril $display_version" ] || fail "tamboril --version"

# A kit with the transmission checksum (bytes 6 to 194) that Send puts in
# byte 195, and a bulk file of 64 kits.
kit=()
sum=0
for i in $(seq 0 196); do
  b=0
  if [ "$i" -eq 6 ]; then b=5; elif [ "$i" -ge 10 ] && [ "$i" -le 194 ]; then b=$((i * 7 % 128)); fi
  kit+=("$b")
  if [ "$i" -ge 6 ] && [ "$i" -le 194 ]; then sum=$((sum + b)); fi
done
kit[0]=240 kit[195]=$(((128 - sum % 128) % 128)) kit[196]=247
for b in "${kit[@]}"; do printf "\\$(printf '%03o' "$b")"; done >"$work/kit.syx"
printf '%02x ' "${kit[@]}" | sed 's/ $//' >"$work/kit.hex"
[ "$(stat -c %s "$work/kit.syx")" -eq 197 ] || fail "test kit"
head -c 12608 /dev/urandom >"$work/bulk.syx"

# The receiver: a JACK client of its own name on the run's server.
receiver="deb-receiver-$$"
stdbuf -oL jack_midi_dump "$receiver" >"$work/dump" 2>&1 &
pids+=($!)
arrived() {  # true when the kit is in what jack_midi_dump printed
  tr -d '\0' <"$work/dump" | grep -q "$(cat "$work/kit.hex")"
}
received() {  # waits until the kit has arrived, for twenty seconds at most
  for _ in $(seq 200); do
    arrived && return 0
    sleep 0.1
  done
  return 1
}
for _ in $(seq 100); do
  "$bin/tamboril-kit" ports 2>/dev/null | grep -q "$receiver" && break
  sleep 0.1
done
"$bin/tamboril-kit" ports 2>/dev/null | grep -q "$receiver" || fail "jack_midi_dump's port is not listed"

# tamboril-kit: split and send.
mkdir "$work/kits"
"$bin/tamboril-kit" split "$work/bulk.syx" --into "$work/kits" >/dev/null
[ "$(ls "$work/kits" | wc -l)" -eq 64 ] || fail "installed tamboril-kit did not split into 64 kits"
cmp -s <(head -c 197 "$work/bulk.syx") "$work/kits/Kit - 63.syx" || fail "Kit - 63.syx is not the first kit"
# A send during a JACK overload is reported as such ("Send it again"); the
# dummy server on a busy test machine has those now and then.
for attempt in 1 2 3; do
  status=0
  "$bin/tamboril-kit" send "$work/kit.syx" --port "$receiver" >/dev/null 2>"$work/send.err" || status=$?
  [ "$status" -ne 0 ] && grep -q "overloaded" "$work/send.err" && continue
  break
done
[ "$status" -eq 0 ] || fail "tamboril-kit send: $(cat "$work/send.err")"
received || fail "the kit tamboril-kit sent did not arrive"
: >"$work/dump"  # the window's send is looked for in what comes next

# The window program on a virtual display of its own.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"
QT_QPA_PLATFORM=xcb "$bin/tamboril" "$work/kit.syx" >"$work/tamboril.log" 2>&1 &
pids+=($!)

# Windows come and go while a dialog opens or closes, and xdotool gives up on
# a window that vanishes while it looks at it (BadWindow). So every step waits
# for the state it needs, asks X again when a query failed that way, and
# gives up after twenty seconds.
windows() {  # the visible windows whose title matches the pattern
  local ids
  for _ in $(seq 20); do
    # No match and an X error both end xdotool with status 1; only the
    # error says so on stderr.
    ids=$(xdotool search --onlyvisible --name "$1" 2>"$work/xdotool.err") || true
    if ! grep -q "X Error" "$work/xdotool.err"; then
      printf '%s\n' "$ids" | sed '/^$/d'
      return 0
    fi
    sleep 0.1
  done
  return 1
}
window() {  # the visible window with this title, once there is one
  local id
  for _ in $(seq 200); do
    id=$(windows "^$1\$" | head -1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
gone() {  # waits until no window with this title is visible
  for _ in $(seq 200); do
    [ -z "$(windows "^$1\$")" ] && return 0
    sleep 0.1
  done
  return 1
}
focus() {  # gives the window the keyboard focus and waits until it has it
  for _ in $(seq 50); do
    xdotool windowfocus --sync "$1" 2>/dev/null &&
      [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}
main=$(window Tamboril) || fail "tamboril did not show its window: $(cat "$work/tamboril.log")"

# Edit, Spilt File; the open dialog takes the bulk file's name. A dialog that
# replaced its window while the name was typed still shows; the name is then
# typed into it again.
focus "$main" || fail "the main window did not take the focus"
xdotool key ctrl+k
split_done=""
for attempt in 1 2 3; do
  dialog=$(window "Load File") || fail "Spilt File did not open its dialog"
  focus "$dialog" || continue
  xdotool key ctrl+a type --delay 10 "$work/bulk.syx"
  xdotool key Return
  if done_box=$(window Done); then split_done=1; break; fi
done
[ -n "$split_done" ] || fail "the split was not reported done: $(cat "$work/tamboril.log")"
focus "$done_box" || fail "the Done message did not take the focus"
xdotool key Return
gone Done || fail "the Done message did not close"
kits="$XDG_DATA_HOME/Tamboril/Kits"
[ "$(ls "$kits" | wc -l)" -eq 64 ] || fail "the window did not split into $kits"
diff -r "$kits" "$work/kits" || fail "the window and tamboril-kit split differently"

# Edit, Change Device: the receiver's port is picked by typing its name in
# the list, then the Select label (at 56,96 105x25 in that window) is clicked,
# which hides the window.
focus "$main" || fail "the main window did not take the focus"
xdotool key ctrl+c
devices=$(window "Select MIDI Output Device") || fail "Change Device did not open its window"
focus "$devices" || fail "the device window did not take the focus"
xdotool mousemove --window "$devices" 60 22 click 1
xdotool type --delay 20 "$receiver"
xdotool mousemove --window "$devices" 108 108 click 1
gone "Select MIDI Output Device" || fail "Select did not close the device window"

# Send, on the menu bar: either the kit arrives or a message box says why it
# may not have (a JACK overload, as above); that box is answered and the kit
# sent again, three times at most.
for attempt in 1 2 3; do
  focus "$main" || fail "the main window did not take the focus"
  xdotool key alt+s
  box=""
  for _ in $(seq 200); do
    arrived && break
    box=$(windows . | grep -vx "$main" | head -1) || true
    [ -n "$box" ] && break
    sleep 0.1
  done
  arrived && break
  [ -n "$box" ] || break
  echo "Send showed a message (attempt $attempt); answering it"
  focus "$box" && xdotool key Return
  for _ in $(seq 200); do
    [ -z "$(windows . | grep -vx "$main")" ] && break
    sleep 0.1
  done
done
received || fail "the kit the window sent did not arrive: $(cat "$work/tamboril.log")"
cmp -s "$work/kit.syx" "$XDG_CACHE_HOME/Tamboril/temp.syx" || fail "temp.syx is not in the cache folder"
echo "Debian package OK: $deb"

# The Library from the read-only tree: its entry and metainfo validate, and it
# opens the bulk file offscreen, draws its window and exits cleanly.
library_id=org.tamboril.TamborilLibrary
[ -x "$bin/tamboril-library" ] || fail "the package has no /usr/bin/tamboril-library"
grep -qx "Exec=tamboril-library %F" "$root/usr/share/applications/$library_id.desktop" \
  || fail "the Library's desktop entry does not run tamboril-library %F"
desktop-file-validate "$root/usr/share/applications/$library_id.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/$library_id.metainfo.xml"
QT_QPA_PLATFORM=offscreen timeout 30 "$bin/tamboril-library" --screenshot "$work/library.png" \
  "$work/bulk.syx" >"$work/library.log" 2>&1 \
  || fail "the installed Library did not open a bulk file: $(cat "$work/library.log")"
[ -s "$work/library.png" ] || fail "the installed Library drew no window"
echo "Library in the Debian package OK"
