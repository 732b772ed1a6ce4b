#!/usr/bin/env bash
# Times one call of Pelcor on many small files: COUNT (default 5000) files of SIZE bytes
# (default 4096) of Russian text in code page 866, converted with /866 on a fresh copy of
# the folder each run. Each program named is timed in turn, REPS (default 9) runs each;
# the median of each and its ratio to the first program's are printed.
#
#   bench/many_files.sh PELCOR [OTHER_PELCOR...]
#
# The copies live in a folder under TMPDIR (default /tmp); where its file system keeps
# user extended attributes, the records are written as a run writes them.
set -euo pipefail

COUNT=${COUNT:-5000}
SIZE=${SIZE:-4096}
REPS=${REPS:-9}
[ $# -ge 1 ] || { echo "usage: $0 PELCOR [OTHER_PELCOR...]" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-many.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/text"
# One file's text, the same in each: a line of prose repeated to SIZE bytes.
printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. № 42\r\n%.0s' $(seq 80) |
  iconv -f UTF-8 -t CP866 | head -c "$SIZE" >"$WORK/one.txt"
for i in $(seq -w 1 "$COUNT"); do cp "$WORK/one.txt" "$WORK/text/f$i.txt"; done

# Prints the wall time in seconds of one run of the program on a fresh copy.
time_run() {
  rm -rf "$WORK/copy"
  cp -r "$WORK/text" "$WORK/copy"
  sync
  local start=$EPOCHREALTIME
  (cd "$WORK/copy" && "$1" ./*.txt /866 >/dev/null 2>&1 </dev/null)
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A TIMES
for rep in $(seq "$REPS"); do
  for program in "$@"; do TIMES[$program]+="$(time_run "$program") "; done
done
first=""
for program in "$@"; do
  m=$(tr ' ' '\n' <<<"${TIMES[$program]}" | grep . | median)
  [ -n "$first" ] || first=$m
  awk -v p="$program" -v m="$m" -v f="$first" -v c="$COUNT" \
    'BEGIN { printf "%s: median %.3f s for %d files, %.2f times the first\n", p, m, c, m / f }'
done
