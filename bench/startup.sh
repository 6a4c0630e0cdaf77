#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Library's start-up with a bank against a program showing a bare
# QMainWindow, both from process start to the window mapped, median of 10,
# on a virtual display of its own: fails when the Library takes more than
# 1.3 times as long. Usage: startup.sh BUILD_BENCH_DIR
set -euo pipefail
build=${1:?build folder with the benchmarks}
runs=${TAMBORIL_STARTUP_RUNS:-10}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A home and runtime folder of its own: no Library of the user's takes the
# bank over, and no setting of the user's changes what is measured.
mkdir -p "$scratch/home" "$scratch/run"
chmod 700 "$scratch/run"
export HOME=$scratch/home XDG_RUNTIME_DIR=$scratch/run XDG_CONFIG_HOME=$scratch/home/.config
export QT_QPA_PLATFORM=xcb
# A bank of 64 kits, as a backup of the instrument gives it.
cp "$(dirname "$0")/../fuzz/corpus/split/bulk.syx" "$scratch/bank.syx"
measure() {
  "$build/bench/startup_time" "$runs" "$@" | tee /dev/stderr | sed -n 's/^median: \(.*\) ms$/\1/p'
}
echo "-- bare QMainWindow"
bare=$(measure "$build/bench/bare_window")
echo "-- tamboril-library with a bank"
library=$(measure "$build/app/tamboril-library" "$scratch/bank.syx")
ratio=$(awk -v l="$library" -v b="$bare" 'BEGIN { printf "%.2f", l / b }')
echo "Library start-up: ${library} ms, bare window: ${bare} ms, ratio ${ratio} (limit 1.30)"
# With a collection of 10,000 kit files and 300 bulks (made and scanned by
# bench_collection), unchanged: the collection opens after the window shows.
if [ -x "$build/bench/bench_collection" ]; then
  "$build/bench/bench_collection" "$scratch/collection" >/dev/null || true
  echo "-- tamboril-library with a bank and the collection"
  with=$(XDG_DATA_HOME=$scratch/collection/data measure "$build/app/tamboril-library" "$scratch/bank.syx")
  echo "Library start-up with the collection: ${with} ms, without: ${library} ms"
fi
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.30) }'
