#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes a man page with help2man from the program's own --help texts, so the
# page says what the program says. For tamboril-kit every command the program
# lists under "Subcommands:" gets a section of its own from
# `tamboril-kit COMMAND --help` (and each command of a command, such as
# `collection add`, from its own --help): a new command reaches the page by
# itself.
#
#   make-man.sh PROGRAM NAME-LINE STATIC-INCLUDE OUTPUT
set -euo pipefail
program=$1 name_line=$2 static_include=$3 output=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# One command's --help as man text: the summary, the usage line, each
# argument and option as a tagged paragraph, the examples verbatim. The help
# text is made roff-safe first (backslashes, minus signs, leading dots).
command_section() {
  local name="$*"
  echo ".SS \"$name\""
  "$program" "$@" --help | sed -e 's/\\/\\e/g' -e 's/-/\\-/g' | awk '
    function out(s) { if (s ~ /^[.\047]/) s = "\\&" s; print s }
    function flush() { if (tag != "") { print ".TP"; out("\\fB" tag "\\fR"); out(text); tag = ""; text = "" } }
    NR == 1 { out($0); next }
    /^Usage: / { flush(); sub(/^Usage: /, ""); print ".PP"; out("Usage: \\fB" $0 "\\fR"); next }
    /^[A-Za-z][A-Za-z ]*:$/ {
      flush(); para = 0; examples = ($0 ~ /^Examples?:$/)
      if (examples) { print ".PP"; out($0); print ".nf" }
      next
    }
    /^$/ { flush(); para = 0; if (examples) { print ".fi"; examples = 0 } next }
    examples { out($0); next }
    /^  [^ ]/ {
      flush()
      line = substr($0, 3)
      if (line ~ /^\\\-h,/) next
      if (match(line, /  +/)) { tag = substr(line, 1, RSTART - 1); text = substr(line, RSTART + RLENGTH) }
      else { tag = line; text = "" }
      next
    }
    /^   +[^ ]/ { sub(/^ +/, ""); text = (text == "" ? $0 : text " " $0); next }
    { flush(); if (!para) print ".PP"; para = 1; out($0) }
    END { flush(); if (examples) print ".fi" }
  '
}

# The words listed under "Subcommands:" in a --help text.
subcommands() {
  "$program" "$@" --help | awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on { print $1 }'
}

includes=()
commands=$(subcommands)
if [ -n "$commands" ]; then
  includes+=(--include="$work/commands.h2m")
  echo "[COMMANDS]" >"$work/commands.h2m"
  for c in $commands; do
    command_section "$c" >>"$work/commands.h2m"
    # A command of commands (collection) gives each of them a section too.
    for s in $(subcommands "$c"); do
      command_section "$c" "$s" >>"$work/commands.h2m"
    done
  done
fi

# The page is named after the program file; the version is the program's own.
version=$("$program" --version | awk '{ print $NF; exit }')
help2man --no-info --name="$name_line" \
  --version-string="$(basename "$program") $version" \
  "${includes[@]}" --include="$static_include" \
  --output="$work/page" "$program"
# The page names the program as installed, not by the build path it ran from.
sed -e "s|$(dirname "$program")/||g" "$work/page" >"$output"
