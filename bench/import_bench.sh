#!/usr/bin/env bash
# Times `pedprep import` on generated herd books, beside Python's csv module reading the
# same file, and an import plus a batch run of a 20,000-row herd book.
#   bench/import_bench.sh PEDPREP GEN_HERDBOOK [WORK_FOLDER]
# Prints per case the best wall time of three runs, the CPU time and the peak memory.
set -euo pipefail
pedprep=$(realpath "$1")
gen=$(realpath "$2")
work=${3:-$(mktemp -d)}
mkdir -p "$work"
cd "$work"

best_of_three() {  # LABEL COMMAND...: best wall, its user+sys, peak memory
  local label=$1 best="" line
  shift
  for _ in 1 2 3; do
    /usr/bin/time -o time.txt -f "%e %U %S %M" "$@" >/dev/null 2>&1 || true
    line=$(tail -1 time.txt)
    if [[ -z $best ]] || awk -v a="${line%% *}" -v b="${best%% *}" 'BEGIN{exit !(a<b)}'; then
      best=$line
    fi
  done
  read -r wall user sys mem <<<"$best"
  printf '%-40s %6.2f s wall %6.2f s cpu %6.0f MB\n' "$label" "$wall" \
    "$(awk -v u="$user" -v s="$sys" 'BEGIN{print u+s}')" "$(awk -v m="$mem" 'BEGIN{print m/1024}')"
}

"$gen" big.csv keep.txt
echo "herd book: $(($(wc -l <big.csv) - 1)) rows, $(($(stat -c %s big.csv) / 1000000)) MB;" \
  "keep: $(wc -l <keep.txt) ids"
best_of_three "import --keep --generations 8" \
  "$pedprep" import big.csv --keep keep.txt --generations 8 --marker GT1 -o big --force
best_of_three "python3 csv.reader (read only)" python3 -c '
import csv, sys
with open(sys.argv[1], newline="") as f:
    for _ in csv.reader(f):
        pass' big.csv
"$pedprep" import big.csv --keep keep.txt --generations 8 --marker GT1 -o big --force |
  grep -E "animals kept|families|loop-break"

"$gen" h20k.csv none.txt 40 20 25 3 0
best_of_three "import 20,000 rows" "$pedprep" import h20k.csv -o h20k --force
best_of_three "run --batch on it" "$pedprep" run h20k --batch
"$pedprep" run h20k --batch | tail -2 | head -1
