#!/usr/bin/env bash
# Writes a minimal PE32 file (one section of zeros) of about SIZE bytes: a stand-in for
# Kavrel.exe and UNLHA32.dll that signers and the overlay reader take for a program.
# Usage: stub-pe.sh FILE SIZE
set -eu
out=$1 size=$2
raw=$(( (size > 1024 ? size - 512 : 512) / 512 * 512 ))
le() { local v=$1 n=$2; while [ "$n" -gt 0 ]; do printf "\\$(printf %03o $((v & 255)))"; v=$((v >> 8)); n=$((n - 1)); done; }
{
  printf 'MZ'; head -c 58 /dev/zero; le 64 4                          # DOS header, PE at 64
  printf 'PE\0\0'; le 0x14c 2; le 1 2; le 0 4; le 0 4; le 0 4; le 224 2; le 0x102 2
  le 0x10b 2; le 0 2; le "$raw" 4; le 0 4; le 0 4; le 0x1000 4; le 0x1000 4; le 0x1000 4
  le 0x400000 4; le 0x1000 4; le 512 4; le 4 2; le 0 2; le 0 2; le 0 2; le 4 2; le 0 2; le 0 4
  le $((0x1000 + (raw + 4095) / 4096 * 4096)) 4; le 512 4; le 0 4; le 2 2; le 0 2
  le 0x100000 4; le 0x1000 4; le 0x100000 4; le 0x1000 4; le 0 4; le 16 4
  head -c 128 /dev/zero                                                 # 16 data directories
  printf '.text\0\0\0'; le "$raw" 4; le 0x1000 4; le "$raw" 4; le 512 4; head -c 12 /dev/zero; le 0x60000020 4
} >"$out"
truncate -s 512 "$out"
head -c "$raw" /dev/zero >>"$out"
