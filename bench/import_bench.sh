#!/usr/bin/env bash
# Times `pedprep import` against its targets:
#  1. a generated herd book of 1,000,000 rows (2,000 herds x 20 generations), --keep of the
#     youngest generation of 100 herds (2,500 ids), --generations 8: the whole import under
#     1 s wall and at most half the time Python's csv module needs merely to read the same
#     file, both run alternately in one loop (best of RUNS each); peak memory under 500 MB;
#     the same with --generations auto (the most generations that fit) within half of it too;
#  2. 100,000 rows of ancestry cycles without --repair: reported under 1 s wall;
#  3. a loop-light herd book of 24,000 rows without --keep: import plus `pedprep run --batch`
#     under 0.2 s wall together (best of RUNS).
#   bench/import_bench.sh PEDPREP GEN_HERDBOOK [WORK_FOLDER]      (RUNS=5 by default)
# Ends with one line per target, "ok" or "MISSED"; exit status 0 either way.
set -euo pipefail
pedprep=$(realpath "$1")
gen=$(realpath "$2")
work=${3:-$(mktemp -d)}
runs=${RUNS:-5}
mkdir -p "$work"
cd "$work"

measure() {  # VAR COMMAND...: appends "wall cpu peak_kb" of one run to the array VAR
  local -n into=$1
  shift
  /usr/bin/time -o time.txt -f "%e %U %S %M" "$@" >/dev/null 2>&1 || {
    echo "failed: $*" >&2
    exit 1
  }
  read -r wall user sys mem < <(tail -1 time.txt)
  into+=("$wall $(awk -v u="$user" -v s="$sys" 'BEGIN{print u+s}') $mem")
}
best() {  # LINES...: the line with the smallest first field
  printf '%s\n' "$@" | sort -g -k1,1 | head -1
}
column_max() {  # N LINES...: the largest field N
  local n=$1
  shift
  printf '%s\n' "$@" | awk -v n="$n" '$n > m {m = $n} END {print m}'
}

"$gen" big.csv keep.txt
echo "herd book: $(($(wc -l <big.csv) - 1)) rows, $(($(stat -c %s big.csv) / 1000000)) MB;" \
  "keep: $(wc -l <keep.txt) ids, --generations 8, $runs runs each, alternating"
import=(import big.csv --keep keep.txt --generations 8 --marker GT1 -o big --force)
read_csv='import csv, sys
with open(sys.argv[1], newline="") as f:
    for _ in csv.reader(f):
        pass'
auto=(import big.csv --keep keep.txt --generations auto --marker GT1 -o auto --force)
imports=() reads=() autos=()
for _ in $(seq "$runs"); do
  measure imports "$pedprep" "${import[@]}"
  measure reads python3 -c "$read_csv" big.csv
  measure autos "$pedprep" "${auto[@]}"
done
read -r a_wall _ _ <<<"$(best "${autos[@]}")"
read -r i_wall i_cpu _ <<<"$(best "${imports[@]}")"
read -r p_wall p_cpu _ <<<"$(best "${reads[@]}")"
peak_mb=$(awk -v k="$(column_max 3 "${imports[@]}")" 'BEGIN{printf "%.0f", k / 1024}')
wall_ratio=$(awk -v a="$i_wall" -v b="$p_wall" 'BEGIN{printf "%.2f", a / b}')
auto_ratio=$(awk -v a="$a_wall" -v b="$p_wall" 'BEGIN{printf "%.2f", a / b}')
cpu_ratio=$(awk -v a="$i_cpu" -v b="$p_cpu" 'BEGIN{printf "%.2f", a / b}')
printf '%-34s %6.2f s wall %6.2f s cpu %5s MB peak\n' "pedprep import (best)" "$i_wall" \
  "$i_cpu" "$peak_mb"
printf '%-34s %6.2f s wall %6.2f s cpu\n' "python3 csv.reader, read only (best)" "$p_wall" \
  "$p_cpu"
echo "import / python: $wall_ratio wall, $cpu_ratio cpu"
printf '%-34s %6.2f s wall\n' "pedprep import, generations auto" "$a_wall"
"$pedprep" "${auto[@]}" | grep -E "^generations"
"$pedprep" "${import[@]}" | grep -E "animals kept|families|loop-break"
selected=$("$pedprep" "${import[@]}" | awk '/^animals kept:/ {gsub(",", "", $3); print $3}')
big_run=$("$pedprep" run big --batch | tail -2 | head -1)
echo "run --batch on the selection: $big_run"

# Ancestry cycles without --repair: 100,000 rows in 100 lines of 1,000 animals whose sire is
# the next and whose dam the one after (the last ones closing the line into cycles):
# reported once per line in one linear search.
awk 'BEGIN{print "id,sire,dam"; for (c = 0; c < 100; c++) for (i = 0; i < 1000; i++)
  printf "c%d_%d,c%d_%d,c%d_%d\n", c, i, c, (i + 1) % 1000, c, (i + 2) % 1000}' >cycles.csv
cycle_times=()
for _ in $(seq "$runs"); do
  /usr/bin/time -o time.txt -f "%e" "$pedprep" import cycles.csv -o cycles --force \
    >/dev/null 2>&1 || true
  cycle_times+=("$(tail -1 time.txt)")
done
cycles=$(best "${cycle_times[@]}")
echo "100,000 rows of ancestry cycles, no --repair (best): $cycles s wall"

"$gen" small.csv none.txt 40 24 25 1 0 1 0 100
echo "herd book: $(($(wc -l <small.csv) - 1)) rows, no --keep"
pairs=()
for _ in $(seq "$runs"); do
  start=$(date +%s.%N)
  "$pedprep" import small.csv -o small --force >/dev/null
  "$pedprep" run small --batch >run.txt
  pairs+=("$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN{printf "%.3f", b - a}')")
done
small=$(best "${pairs[@]}")
"$pedprep" import small.csv -o small --force | grep -E "animals kept|loop-break"
tail -2 run.txt | head -1
echo "import + run --batch (best): $small s wall"

verdict() {  # TEXT CONDITION
  if awk "BEGIN{exit !($2)}"; then echo "ok      $1"; else echo "MISSED  $1"; fi
}
echo "== targets"
verdict "import under 1 s wall ($i_wall s)" "$i_wall < 1"
verdict "import at most half of Python's csv read ($wall_ratio wall, $cpu_ratio cpu)" \
  "$wall_ratio <= 0.5"
verdict "peak memory under 500 MB ($peak_mb MB)" "$peak_mb < 500"
verdict "with --generations auto at most half of Python's csv read ($auto_ratio wall)" \
  "$auto_ratio <= 0.5"
verdict "100,000 rows of cycles without --repair under 1 s ($cycles s)" "$cycles < 1"
verdict "some 17,000 animals selected ($selected)" "$selected >= 15000 && $selected <= 24096"
if [[ $big_run == "ALL RIGHT"* ]]; then
  echo "ok      the run takes the selection (copies within the capacities)"
else
  echo "MISSED  the run takes the selection: $big_run"
fi
verdict "24,000 rows: import + run under 0.2 s ($small s)" "$small < 0.2"
