#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the build into a throw-away prefix (with a blank in its name, as
# home folders may have) and checks the layout, the desktop entry and the
# AppStream metainfo, for the editor and for the Library.
set -euo pipefail
build_dir=$1
prefix_root=$(mktemp -d)
trap 'rm -rf "$prefix_root"' EXIT
prefix="$prefix_root/my apps"
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

id=org.tamboril.Tamboril
fail() { echo "FAIL: $*" >&2; exit 1; }

for exe in tamboril tamboril-kit tamboril-library; do
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
# The Library has an entry, icon and metainfo of its own; it opens .syx
# files too, and folders of kit files given to it.
library="$prefix/share/applications/${id}Library.desktop"
[ -f "$library" ] || fail "the Library's desktop entry is missing"
grep -qx "Exec=\"$prefix/lib/tamboril/tamboril-library\" %F" "$library" || fail "the Library's entry runs the wrong program"
grep -qx "Icon=${id}Library" "$library" || fail "the Library's entry has the wrong icon"
grep -qx "MimeType=application/x-sysex;" "$library" || fail "the Library is not offered for .syx files"
[ -f "$prefix/share/icons/hicolor/scalable/apps/${id}Library.svg" ] || fail "the Library's icon is missing"
desktop-file-validate "$library"
appstreamcli validate --no-net "$prefix/share/metainfo/${id}Library.metainfo.xml"
# With both entries in one database and no choice of the user's, the editor
# comes first for .syx files, so a double click opens the editor.
update-desktop-database "$prefix/share/applications"
grep -qx "application/x-sysex=$id.desktop;${id}Library.desktop;" "$prefix/share/applications/mimeinfo.cache" \
  || fail "the editor is not the first program for .syx files: $(grep x-sysex "$prefix/share/applications/mimeinfo.cache")"
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
if [ -x "$build_dir/app/tamboril-library" ]; then
  # It opens a bank and draws its window without a user.
  work="$prefix_root/library"
  mkdir -p "$work"
  head -c 197 /dev/zero >"$work/kit.syx"
  QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" timeout 30 \
    "$prefix/lib/tamboril/tamboril-library" --screenshot "$work/shot.png" "$work/kit.syx" >/dev/null 2>&1 \
    || fail "installed tamboril-library did not open a kit file"
  [ -s "$work/shot.png" ] || fail "installed tamboril-library drew no window"
fi
echo "install layout OK"
