#!/usr/bin/env bash
# Times Pelcor on large code page 866 texts beside iconv, uconv and dd, and measures its
# peak memory on small and large files. Pelcor is timed on Russian prose and on random
# letters, a text its guard cannot decide.
#
#   bench/compare.sh [PELCOR]     PELCOR defaults to build-bench/pelcor (built if missing)
#
# Environment: REPS (runs of each command, default 7), SIZES (sizes of the text in MiB,
# default "32 64"), KEEP_DIR (keep the work folder there instead of a temporary one).
# With WINE_EXE naming a Pelcor.exe, it also times that under Wine on WINE_MIB (default
# 16) MiB, less a run that shows only the version, in the prefix WINEPREFIX names (a new
# one in the work folder where unset).
# Every timed command works on a fresh cp of the text, and the copy is not timed.
# Installs nothing: a missing tool is named with its Debian package, and the run stops.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
REPS=${REPS:-7}
SIZES=${SIZES:-32 64}

fail() {
  echo "compare.sh: $*" >&2
  exit 1
}

# require COMMAND PACKAGE: stops the run when COMMAND is missing.
MISSING=()
require() {
  command -v "$1" >/dev/null 2>&1 || MISSING+=("$1 (Debian package $2)")
}
require iconv libc-bin
require uconv icu-devtools
require dd coreutils
require cp coreutils
require awk mawk
[ -x /usr/bin/time ] || MISSING+=("/usr/bin/time (Debian package time)")
if [ ${#MISSING[@]} -ne 0 ]; then
  printf 'compare.sh: missing %s\n' "${MISSING[@]}" >&2
  exit 1
fi
CONVERTERS=$(uconv -l | tr ' ' '\n')
for name in ibm-866 windows-1251; do
  grep -qx "$name" <<<"$CONVERTERS" || fail "uconv knows no converter $name"
done

# The program under test: the argument, or the benchmark build, made when missing.
if [ $# -ge 1 ]; then
  PELCOR=$(realpath "$1")
else
  PELCOR=$ROOT/build-bench/pelcor
  if [ ! -x "$PELCOR" ]; then
    require cmake cmake
    require ninja ninja-build
    [ ${#MISSING[@]} -eq 0 ] || fail "missing ${MISSING[*]}, needed to build $PELCOR"
    echo "Building $PELCOR with the bench preset"
    (cd "$ROOT" && cmake --preset bench >/dev/null && cmake --build --preset bench >/dev/null)
  fi
fi
[ -x "$PELCOR" ] || fail "no program at $PELCOR"

if [ -n "${KEEP_DIR:-}" ]; then
  WORK=$KEEP_DIR
  mkdir -p "$WORK"
else
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/pelcor-compare.XXXXXX")
  trap 'rm -rf "$WORK"' EXIT
fi
COPY=$WORK/copy.txt
OUT=$WORK/out.txt

# make_text KIND FILE: about 1 MiB of prose or of letters, repeated to the largest size.
make_text() {
  if [ "$1" = letters ]; then
    # Every byte value onto one of the 64 letters, four values a letter.
    head -c 1048576 /dev/urandom |
      LC_ALL=C tr '\000-\377' '\200-\257\340-\357\200-\257\340-\357\200-\257\340-\357\200-\257\340-\357' \
        >"$WORK/chunk.txt"
  else
    make_prose
  fi
  local count=$((LARGEST * 1048576))
  : >"$2"
  while [ "$(stat -c %s "$2")" -lt "$count" ]; do
    cat "$WORK/chunk.txt" >>"$2"
  done
  truncate -s "$count" "$2"
}

# Russian prose of dictionary words in sentences, with digits, punctuation and DOS line
# ends and the numero sign.
make_prose() {
  awk 'BEGIN {
    n = split("Приказ отдел склад отчёт ведомость бухгалтерия начальник работа " \
      "документ счёт договор поставка товар оборудование ремонт проверка " \
      "сотрудник директор заместитель совещание решение вопрос срок план " \
      "Ёлка ёмкость учёт приём передача акт списание материал деталь " \
      "город улица дом квартира телефон адрес письмо ответ запрос справка " \
      "год месяц неделя день утро вечер время цена сумма рубль копейка " \
      "новый старый большой малый важный срочный точный полный годовой " \
      "сделать проверить подписать отправить получить принять выдать учесть " \
      "и в на по к с за от до для при о об у без под над через между " \
      "съешь же ещё этих мягких французских булок да выпей чаю", word, " ")
    srand(866)
    line = ""; bytes = 0; sentence = 0
    while (bytes < 1048576) {
      w = word[int(rand() * n) + 1]
      if (sentence == 0 && rand() < 0.3) w = (rand() < 0.3 ? "№ " : "") int(rand() * 1000) " " w
      piece = (line == "" ? "" : " ") w
      sentence++
      if (sentence > 6 && rand() < 0.25) { piece = piece "."; sentence = 0 }
      else if (rand() < 0.08) piece = piece ","
      line = line piece
      if (length(line) > 110) {  # bytes of UTF-8, about 60 letters
        printf "%s\r\n", line
        bytes += length(line) + 2
        if (rand() < 0.1) { printf "\r\n"; bytes += 2 }
        line = ""
      }
    }
  }' | iconv -f UTF-8 -t CP866 >"$WORK/chunk.txt"
}

# Runs one command on a fresh copy of its text and prints its wall time in seconds.
time_on_copy() {
  if [[ $1 == run_pelcor_letters ]]; then cp "$LETTERS_TEXT" "$COPY"; else cp "$TEXT" "$COPY"; fi
  rm -f "$OUT"
  sync "$COPY"
  local start=$EPOCHREALTIME
  "$@" >/dev/null </dev/null
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f\n", b - a }'
}

run_pelcor() { "$PELCOR" "$COPY" /866; }
run_pelcor_letters() { "$PELCOR" "$COPY" /866; }
run_iconv() { iconv -f CP866 -t CP1251 "$COPY" >"$OUT"; }
run_uconv() { uconv -f ibm-866 -t windows-1251 -o "$OUT" "$COPY"; }
# dd rewrites the file in place with no conversion: in blocks of 1 KiB it makes the calls
# a converter of 1 KiB blocks makes; in blocks of 64 KiB it shows what the rewrite itself
# costs through the page cache.
run_dd1k() { dd if="$COPY" of="$COPY" bs=1K conv=notrunc status=none; }
run_dd64k() { dd if="$COPY" of="$COPY" bs=64K conv=notrunc status=none; }

median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# Peak resident memory of one run of Pelcor on a copy of the given file, in KiB. Address
# randomisation alone moves it by a few hundred KiB from run to run, so it is switched off
# where setarch can do that.
NO_RANDOM=()
if setarch -R true >/dev/null 2>&1; then
  NO_RANDOM=(setarch -R)
fi
peak_kib() {
  cp "$1" "$COPY"
  "${NO_RANDOM[@]}" /usr/bin/time -f %M -o "$WORK/peak" "$PELCOR" "$COPY" /866 >/dev/null </dev/null
  cat "$WORK/peak"
}

LARGEST=$(tr ' ' '\n' <<<"$SIZES" | sort -n | tail -n 1)
echo "Making ${LARGEST} MiB of code page 866 prose and of random letters in $WORK"
make_text prose "$WORK/all.txt"
make_text letters "$WORK/letters.txt"

TOOLS=(pelcor pelcor_letters iconv uconv dd1k dd64k)

# time_tools TOOL...: REPS runs of each tool in turn, each on a fresh copy; fills MEDIAN
# and prints the medians with every run.
time_tools() {
  unset TIMES MEDIAN
  declare -gA TIMES MEDIAN
  for ((rep = 1; rep <= REPS; rep++)); do
    for tool in "$@"; do
      TIMES[$tool]+="$(time_on_copy "run_$tool" 2>/dev/null) "
    done
  done
  printf '%-13s %10s   %s\n' tool "median s" "all runs (s)"
  for tool in "$@"; do
    MEDIAN[$tool]=$(tr ' ' '\n' <<<"${TIMES[$tool]}" | grep . | median)
    printf '%-13s %10.4f   %s\n' "$tool" "${MEDIAN[$tool]}" "${TIMES[$tool]}"
  done
}

# ratio NAME TARGET [PROGRAM]: the median of PROGRAM (pelcor) over that of NAME, against
# its target if any.
ratio() {
  local program=${3:-pelcor}
  awk -v p="${MEDIAN[$program]}" -v o="${MEDIAN[$1]}" -v t="${2:-}" -v n="$1" -v m="$program" 'BEGIN {
    r = p / o
    printf "  %-20s %6.3f", m "/" n, r
    if (t != "") printf "   target <= %.3f: %s", t, (r <= t ? "met" : "missed")
    printf "\n"
  }'
}

for size in $SIZES; do
  TEXT=$WORK/text-$size.txt
  LETTERS_TEXT=$WORK/letters-$size.txt
  head -c $((size * 1048576)) "$WORK/all.txt" >"$TEXT"
  head -c $((size * 1048576)) "$WORK/letters.txt" >"$LETTERS_TEXT"

  # The program must really convert: its result is iconv's, byte for byte.
  for text in "$TEXT" "$LETTERS_TEXT"; do
    cp "$text" "$COPY"
    run_pelcor >/dev/null </dev/null
    iconv -f CP866 -t CP1251 "$text" >"$OUT"
    cmp -s "$COPY" "$OUT" || fail "pelcor's result differs from iconv's on $text"
  done

  echo
  echo "$size MiB: timing ${TOOLS[*]}, $REPS runs each, in turn"
  time_tools "${TOOLS[@]}"
  # At least 8 times as fast as iconv; within 1.3 times a plain rewrite in 64 KiB blocks.
  ratio iconv 0.125
  ratio uconv
  ratio dd1k
  ratio dd64k 1.3
  ratio dd64k 1.3 pelcor_letters
done

# Under Wine a process takes a while to start: a run with --version alone tells it apart.
if [ -n "${WINE_EXE:-}" ]; then
  require wine wine
  [ ${#MISSING[@]} -eq 0 ] || fail "missing ${MISSING[*]}"
  WINE_MIB=${WINE_MIB:-16}
  TEXT=$WORK/text-wine.txt
  head -c $((WINE_MIB * 1048576)) "$WORK/all.txt" >"$TEXT"
  WINE_RUN=(env -u DISPLAY WINEPREFIX="${WINEPREFIX:-$WORK/wine}" WINEDEBUG=-all
    WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' wine "$(realpath "$WINE_EXE")")
  run_wine() { (cd "$WORK" && "${WINE_RUN[@]}" copy.txt /866); }
  run_wine_version() { "${WINE_RUN[@]}" --version; }
  run_wine_version >/dev/null </dev/null 2>&1 # a new prefix is made here, untimed
  cp "$TEXT" "$COPY"
  run_wine >/dev/null </dev/null 2>&1
  iconv -f CP866 -t CP1251 "$TEXT" >"$OUT"
  cmp -s "$COPY" "$OUT" || fail "Pelcor.exe's result differs from iconv's"

  echo
  echo "$WINE_MIB MiB under Wine: timing $WINE_EXE and its --version, $REPS runs each, in turn"
  time_tools wine wine_version
  awk -v r="${MEDIAN[wine]}" -v v="${MEDIAN[wine_version]}" 'BEGIN {
    printf "  conversion   %10.4f   target <= 0.300: %s\n", r - v, (r - v <= 0.3 ? "met" : "missed")
  }'
fi

# The buffer is filled only as far as the file reaches, so a file smaller than one span
# touches less of it; from one span on, the peak must be the same whatever the size.
head -c 1024 "$WORK/all.txt" >"$WORK/small.txt"
head -c 1048576 "$WORK/all.txt" >"$WORK/medium.txt"
small=$(for _ in 1 2 3 4 5; do peak_kib "$WORK/small.txt"; done | sort -n | tr '\n' ' ')
medium=$(for _ in 1 2 3 4 5; do peak_kib "$WORK/medium.txt"; done | sort -n | tr '\n' ' ')
large=$(for _ in 1 2 3 4 5; do peak_kib "$WORK/all.txt"; done | sort -n | tr '\n' ' ')
echo
echo "pelcor peak memory (KiB, 5 runs each${NO_RANDOM[*]:+, without address randomisation}):"
printf '  %-14s %s\n' "1 KiB file:" "$small" "1 MiB file:" "$medium" "${LARGEST} MiB file:" "$large"
awk -v s="$medium" -v l="$large" 'BEGIN {
  ns = split(s, a, " "); nl = split(l, b, " ")
  same = a[1] <= b[nl] && b[1] <= a[ns]
  printf "  target the same for 1 MiB and %s MiB: %s\n", "'"$LARGEST"'", same ? "met" : "missed"
}'
