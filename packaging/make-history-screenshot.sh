#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's picture of the Library's History view: a history
# written by make-history-demo (backups of the made-up bank of
# make-demo-bank.sh over three weeks, a send between them) in a data folder
# of its own, shown offscreen with that bank open.
#
#   make-history-screenshot.sh TAMBORIL-LIBRARY MAKE-HISTORY-DEMO OUTPUT.png
set -euo pipefail
library=$1 demo=$2 output=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
bash "$(dirname "$0")/make-demo-bank.sh" "$work/Bank.syx"
"$demo" "$work/Bank.syx"
"$library" --screenshot "$output" --history "$work/Bank.syx"
