#!/usr/bin/env bash
# Times `pedprep animals --csv`, `pedprep report` (with its founder figures) and `pedprep
# report --html` (with its loop pictures) beside the run itself on the real herd books, and
# shows animals against the run and the page against the text report as ratios:
#   bench/animals_bench.sh PEDPREP [WORK_FOLDER]      (REPS=5, ANIMALS_SETS by default
#   "large-herd large-herds eeza-ungulates": the largest data set, 24,096 animals whose run
#   stops at the row limit, the largest one whose run finishes, and the one with the most
#   loop-break copies)
# The data sets are taken from ../shared/data beside the repository (DATA overrides it) and
# copied into WORK_FOLDER, since the run writes its outputs into its folder. Each command
# runs REPS times; the table shows the median seconds and the exit status. A missing data
# set is reported and skipped; exit status 0 either way.
set -u
pedprep=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
data=${DATA:-$root/../shared/data}
work=${2:-$(mktemp -d)}
reps=${REPS:-5}
sets=${ANIMALS_SETS:-"large-herd large-herds eeza-ungulates"}
mkdir -p "$work"

# median of the numbers on stdin
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "-"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# timed DIR ARGS...: runs pedprep ARGS in DIR REPS times; prints "median_seconds status".
timed() {
  local dir=$1 start end rc=0 times=()
  shift
  for ((r = 1; r <= reps; r++)); do
    start=$EPOCHREALTIME
    (cd "$dir" && "$pedprep" "$@" </dev/null >"$dir/.bench.out" 2>&1)
    rc=$?
    end=$EPOCHREALTIME
    times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')")
  done
  echo "$(printf '%s\n' "${times[@]}" | median) $rc"
}

row='%-15s %6s %7s %6s %9s %6s %6s %8s %9s %9s %9s\n'
# ratio A B: A / B with two decimals, "-" when B is 0.
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
printf "$row" set ND run_s status animals_s status rows report_s html_s animals/run html/report
for name in $sets; do
  if [ ! -f "$data/$name/PEDIGREE.PRN" ]; then
    printf '%-12s (not found in %s)\n' "$name" "$data"
    continue
  fi
  dir=$work/$name
  rm -rf "$dir" && cp -r "$data/$name" "$dir" && chmod -R u+w "$dir"
  nd=$(head -n 1 "$dir/PEDIGREE.PRN" | awk '{ print $1 }')
  read -r run_s run_rc < <(timed "$dir" run --batch)
  read -r animals_s animals_rc < <(timed "$dir" animals --csv)
  rows=$(($("$pedprep" animals "$dir" --csv 2>/dev/null | wc -l) - 1))
  read -r report_s _ < <(timed "$dir" report)
  read -r html_s _ < <(timed "$dir" report --html)
  printf "$row" "$name" "$nd" "$run_s" "$run_rc" "$animals_s" "$animals_rc" "$rows" "$report_s" \
    "$html_s" "$(ratio "$animals_s" "$run_s")" "$(ratio "$html_s" "$report_s")"
done
echo "(run: pedprep run --batch, writes the outputs; animals: the run in memory plus every"
echo " animal's generation, inbreeding, breed fractions and completeness; status 1: the run"
echo " stops, and animals lists the animals read; report: the run in memory, the report and"
echo " its founder figures; html: the page with up to 20 loop pictures rendered by dot)"
exit 0
