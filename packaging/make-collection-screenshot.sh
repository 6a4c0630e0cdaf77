#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the README's picture of the Library's Collection view: a collection
# generated from the made-up bank of make-demo-bank.sh (two backups, one a
# copy, and the bank split into kit files) in a data folder of its own,
# searched for "jazz", drawn offscreen.
#
#   make-collection-screenshot.sh TAMBORIL-LIBRARY TAMBORIL-KIT OUTPUT.png
set -euo pipefail
library=$1 kit=$2 output=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=offscreen
mkdir -p "$work/Kits/Backups" "$work/Kits/Split"
bash "$(dirname "$0")/make-demo-bank.sh" "$work/Kits/Backups/Backup 2023.syx"
cp "$work/Kits/Backups/Backup 2023.syx" "$work/Kits/Backups/Backup 2024.syx"
"$kit" split "$work/Kits/Backups/Backup 2023.syx" --into "$work/Kits/Split" >/dev/null
"$kit" collection add "$work/Kits" >/dev/null
"$library" --screenshot "$output" --find "jazz" "$work/Kits/Backups/Backup 2024.syx"
