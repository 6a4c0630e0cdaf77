#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a throw-away prefix (with a blank in its name, as
# home folders may have) and checks the layout, the desktop entry and the
# AppStream metainfo.
set -euo pipefail
build_dir=$1
prefix_root=$(mktemp -d)
trap 'rm -rf "$prefix_root"' EXIT
prefix="$prefix_root/my apps"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

id=org.tamboril.Tamboril
fail() { echo "FAIL: $*" >&2; exit 1; }

for exe in tamboril tamboril-kit; do
  if [ -e "$build_dir/app/$exe" ] || [ -e "$build_dir/cli/$exe" ]; then
    [ -x "$prefix/lib/tamboril/$exe" ] || fail "$exe is not at the root of lib/tamboril"
  fi
done
[ -f "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "icon missing"
desktop="$prefix/share/applications/$id.desktop"
[ -f "$desktop" ] || fail "desktop entry missing"
grep -qx "Exec=\"$prefix/lib/tamboril/tamboril\" %f" "$desktop" || fail "desktop entry runs the wrong program"
grep -qx "Icon=$id" "$desktop" || fail "desktop entry has the wrong icon"
grep -qx "MimeType=application/x-sysex;" "$desktop" || fail "desktop entry does not open .syx files"
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
[ ! -e "$prefix/bin" ] || fail "the Debian package's layout was installed too"
# The MIME definition is one the desktop's database takes, and maps *.syx.
update-mime-database "$prefix/share/mime"
grep -qx "50:application/x-sysex:\*.syx" "$prefix/share/mime/globs2" || fail "*.syx is not application/x-sysex"
bash "$(dirname "$0")/check_man_pages.sh" "$prefix/share/man/man1" "$prefix/lib/tamboril/tamboril-kit"
# The installed programs work as the build tree's do.
if [ -x "$build_dir/cli/tamboril-kit" ]; then
  work="$prefix_root/work"
  mkdir -p "$work/installed" "$work/built"
  head -c 12608 /dev/urandom >"$work/bulk.syx"
  "$prefix/lib/tamboril/tamboril-kit" split "$work/bulk.syx" --into "$work/installed" >/dev/null
  "$build_dir/cli/tamboril-kit" split "$work/bulk.syx" --into "$work/built" >/dev/null
  [ "$(ls "$work/installed" | wc -l)" -eq 64 ] || fail "installed tamboril-kit did not split into 64 kits"
  diff -r "$work/installed" "$work/built" || fail "installed and built tamboril-kit split differently"
fi
if [ -x "$build_dir/app/tamboril" ]; then
  # It starts and keeps running until it is stopped (124: stopped by timeout).
  status=0
  QT_QPA_PLATFORM=offscreen timeout 3 "$prefix/lib/tamboril/tamboril" >/dev/null 2>&1 || status=$?
  [ "$status" -eq 124 ] || fail "installed tamboril did not start (exit $status)"
fi
echo "install layout OK"
