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

# shellcheck source=bench/small_files.sh
source "$(dirname "${BASH_SOURCE[0]}")/small_files.sh"

declare -A TIMES
for _ in $(seq "$REPS"); do
  for program in "$@"; do TIMES[$program]+="$(time_run text "$program" /866) "; done
done
first=""
for program in "$@"; do
  m=$(median <<<"${TIMES[$program]}")
  [ -n "$first" ] || first=$m
  awk -v p="$program" -v m="$m" -v f="$first" -v c="$COUNT" \
    'BEGIN { printf "%s: median %.3f s for %d files, %.2f times the first\n", p, m, c, m / f }'
done
