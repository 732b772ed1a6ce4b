#!/usr/bin/env bash
# Times --check on many small files beside their conversion: one call on COUNT (default
# 5000) files of SIZE bytes (default 4096) of Russian text in code page 866, checked, and
# converted with /866, each on a fresh copy of the folder, REPS (default 9) runs of each
# in turn; and checked once more as /866 left them, each with its record to read and
# hash where the file system keeps them. Prints the median of each and the ratios of the
# checks' to the conversion's.
#
#   bench/check_files.sh [PELCOR]     PELCOR defaults to build/pelcor
#
# The copies live in a folder under TMPDIR (default /tmp).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PELCOR=$(realpath "${1:-$ROOT/build/pelcor}")
COUNT=${COUNT:-5000}
SIZE=${SIZE:-4096}
REPS=${REPS:-9}
[ -x "$PELCOR" ] || { echo "check_files.sh: no program at $PELCOR" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-check.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/text"
# One file's text, the same in each: a line of prose repeated to SIZE bytes.
printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. № 42\r\n%.0s' $(seq 80) |
  iconv -f UTF-8 -t CP866 | head -c "$SIZE" >"$WORK/one.txt"
for i in $(seq -w 1 "$COUNT"); do cp "$WORK/one.txt" "$WORK/text/f$i.txt"; done
cp -r "$WORK/text" "$WORK/converted"
(cd "$WORK/converted" && "$PELCOR" ./*.txt /866 >/dev/null 2>&1 </dev/null) || true

# Prints the wall time in seconds of one run with the words given on a fresh copy of the
# folder named first, its records and times kept.
time_run() {
  local from=$1
  shift
  rm -rf "$WORK/copy"
  cp -a "$WORK/$from" "$WORK/copy"
  sync
  local start=$EPOCHREALTIME
  (cd "$WORK/copy" && "$PELCOR" "$@" ./*.txt >/dev/null 2>&1 </dev/null) || true
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

CHECK="" CONVERT="" RECORDED=""
for _ in $(seq "$REPS"); do
  CHECK+="$(time_run text --check) "
  CONVERT+="$(time_run text /866) "
  RECORDED+="$(time_run converted --check) "
done
check=$(median <<<"$CHECK")
convert=$(median <<<"$CONVERT")
recorded=$(median <<<"$RECORDED")
echo "--check:           $CHECK"
echo "/866:              $CONVERT"
echo "--check, recorded: $RECORDED"
awk -v c="$check" -v v="$convert" -v r="$recorded" -v n="$COUNT" -v s="$SIZE" 'BEGIN {
  printf "%d files of %d bytes: --check median %.3f s, /866 median %.3f s, ratio %.2f; " \
         "--check of the converted files median %.3f s, ratio %.2f\n",
         n, s, c, v, c / v, r, r / v }'
