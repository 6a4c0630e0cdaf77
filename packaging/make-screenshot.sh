#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's picture of the Library: the made-up bank of
# make-demo-bank.sh opened in the installed-alike program, drawn offscreen.
#
#   make-screenshot.sh TAMBORIL-LIBRARY OUTPUT.png
set -euo pipefail
program=$1 output=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$(dirname "$0")/make-demo-bank.sh" "$work/Bank.syx"
# A data folder of its own: the picture never shows or touches the user's collection.
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" "$program" --screenshot "$output" "$work/Bank.syx"
