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

# shellcheck source=bench/small_files.sh
source "$ROOT/bench/small_files.sh"

cp -r "$WORK/text" "$WORK/converted"
(cd "$WORK/converted" && "$PELCOR" ./*.txt /866 >/dev/null 2>&1 </dev/null) || true

CHECK="" CONVERT="" RECORDED=""
for _ in $(seq "$REPS"); do
  CHECK+="$(time_run text "$PELCOR" --check) "
  CONVERT+="$(time_run text "$PELCOR" /866) "
  RECORDED+="$(time_run converted "$PELCOR" --check) "
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
