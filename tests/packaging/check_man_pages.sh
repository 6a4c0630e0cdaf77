#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed man pages render with man -l without complaints, and the
# tamboril-kit page has a section for every command the program lists, with
# every option that command's --help names.
#
#   check_man_pages.sh MAN1-FOLDER TAMBORIL-KIT
set -euo pipefail
man1=$1 kit=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

render() {
  MANWIDTH=100 man --warnings=all -l "$man1/$1.1.gz" 2>"$errors"
  ! [ -s "$errors" ] || fail "$1(1) renders with warnings: $(cat "$errors")"
}
render tamboril | grep -q "^SYNOPSIS" || fail "tamboril(1) has no synopsis"
library=$(render tamboril-library)
for section in SYNOPSIS KEYBOARD FILES; do
  grep -qx "$section" <<<"$library" || fail "tamboril-library(1) has no $section section"
done
grep -q -- "--screenshot" <<<"$library" || fail "tamboril-library(1) does not name --screenshot"
page=$(render tamboril-kit)
for section in SYNOPSIS COMMANDS "EXIT STATUS" EXAMPLES; do
  grep -qx "$section" <<<"$page" || fail "tamboril-kit(1) has no $section section"
done
commands=$("$kit" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on { print $1 }')
[ -n "$commands" ] || fail "tamboril-kit --help lists no commands"
for c in $commands; do
  section=$(awk -v c="$c" '$0 == "   " c { on = 1; next } on && /^   [^ ]/ { exit } on' <<<"$page")
  [ -n "$section" ] || fail "tamboril-kit(1) has no section for $c"
  for option in $("$kit" "$c" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
    [ "$option" = "--help" ] && continue
    grep -q -- "$option" <<<"$section" || fail "tamboril-kit(1) does not name $c $option"
  done
done
