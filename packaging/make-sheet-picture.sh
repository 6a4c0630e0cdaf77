#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's picture of a kit sheet: the made-up bank of
# make-demo-bank.sh drawn by `tamboril-kit sheet` on A4, its first page put
# into a PNG by pdftoppm (poppler-utils).
#
#   make-sheet-picture.sh TAMBORIL-KIT OUTPUT.png
set -euo pipefail
program=$(realpath "$1") output=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bash "$(dirname "$0")/make-demo-bank.sh" "$work/Bank.syx"
# The footer names the bank as it was given: by its name alone.
(cd "$work" && LC_ALL=C.UTF-8 "$program" sheet Bank.syx --pdf sheet.pdf >/dev/null)
pdftoppm -png -r 60 -f 1 -l 1 -singlefile "$work/sheet.pdf" "$work/page"
mv "$work/page.png" "$output"
