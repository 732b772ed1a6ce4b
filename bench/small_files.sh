# shellcheck shell=bash
# Shared by the benches that time one call on many small files: a folder, text/, of COUNT
# files of SIZE bytes of Russian text in code page 866 under a work folder in TMPDIR
# (default /tmp) that goes when the bench ends; a timed run on a fresh copy; a median.
# Source it with COUNT and SIZE set.

WORK=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-files.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/text"
# One file's text, the same in each: a line of prose repeated to SIZE bytes.
printf 'Съешь же ещё этих мягких французских булок, да выпей чаю. № 42\r\n%.0s' $(seq 80) |
  iconv -f UTF-8 -t CP866 | head -c "$SIZE" >"$WORK/one.txt"
for i in $(seq -w 1 "$COUNT"); do cp "$WORK/one.txt" "$WORK/text/f$i.txt"; done

# time_run FOLDER PROGRAM WORD...: the wall time in seconds of one run of PROGRAM with the
# words given on every file of a fresh copy of the work folder's FOLDER, its records and
# times kept.
time_run() {
  local from=$1 program=$2
  shift 2
  rm -rf "$WORK/copy"
  cp -a "$WORK/$from" "$WORK/copy"
  sync
  local start=$EPOCHREALTIME
  (cd "$WORK/copy" && "$program" "$@" ./*.txt >/dev/null 2>&1 </dev/null) || true
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

# The median of the numbers given, separated by blanks or lines.
median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
