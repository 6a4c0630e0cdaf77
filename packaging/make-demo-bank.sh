#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a bulk file of 64 made-up kits (named, numbered, each pad given a
# sound, file checksums stored): the bank the README's pictures show.
#
#   make-demo-bank.sh OUTPUT.syx
set -euo pipefail
output=$1
names=(ROCK\ KIT HOUSE TECHNO JAZZ\ BRUSH HIP\ HOP ELECTRO LATIN DUB REGGAE FUNK)
for k in $(seq 0 63); do
  kit=(240 0 0 0 0 0 "$k" 0 0 0)
  for p in $(seq 0 13); do
    sound=$(((k * 37 + p * 19) % 256))
    kit+=($((sound / 16)) $((sound % 16)))
  done
  for _ in $(seq 38 183); do kit+=(0); done
  name=$(printf '%-11.11s' "${names[k % ${#names[@]}]} $((k / ${#names[@]} + 1))")
  for i in $(seq 0 10); do printf -v code '%d' "'${name:i:1}"; kit+=("$code"); done
  sum=0
  for i in $(seq 10 194); do sum=$((sum + kit[i])); done
  kit+=($(((128 - sum % 128) % 128)) 247)
  bytes=""
  for b in "${kit[@]}"; do printf -v octal '\\%03o' "$b"; bytes+=$octal; done
  printf "$bytes"
done >"$output"
