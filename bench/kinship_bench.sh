#!/usr/bin/env bash
# Times `pedprep kinship` (every animal a candidate) beside the run itself, and a mating plan
# of 200 sires x 5,000 dams (`pedprep mate --plan`), on the largest herd book whose run
# finishes:
#   bench/kinship_bench.sh PEDPREP [WORK_FOLDER]     (REPS=3, KINSHIP_SET=large-herds)
# The data set is taken from ../shared/data beside the repository (DATA overrides it) and
# copied into WORK_FOLDER. The plan's sires are the last 200 males of ped.dat, its dams the
# last 5,000 females (no copies). The table shows the median seconds and the exit status; a
# missing data set is reported and skipped; exit status 0 either way.
set -u
pedprep=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
data=${DATA:-$root/../shared/data}
work=${2:-$(mktemp -d)}
reps=${REPS:-3}
name=${KINSHIP_SET:-large-herds}
mkdir -p "$work"

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

if [ ! -f "$data/$name/PEDIGREE.PRN" ]; then
  echo "$name (not found in $data)"
  exit 0
fi
dir=$work/$name
rm -rf "$dir" && cp -r "$data/$name" "$dir" && chmod -R u+w "$dir"
nd=$(head -n 1 "$dir/PEDIGREE.PRN" | awk '{ print $1 }')
read -r run_s run_rc < <(timed "$dir" run --batch)
read -r kinship_s kinship_rc < <(timed "$dir" kinship)
# FAMILY:INDIVIDUAL and sex of every animal that is no copy: `animals` gives the rows of
# ped.dat in order (copy_of column 6), ped.dat their sex (columns 26-30 after 11 lines).
"$pedprep" animals "$dir" --csv 2>/dev/null | tr -d '\r' | awk -F, 'NR > 1 { print $2 ":" $3, $6 }' \
  >"$work/animals.txt"
# A copy's line has three fields: FAMILY:INDIVIDUAL, copy_of, sex.
tail -n +12 "$dir/ped.dat" | tr -d '\r' | cut -c26-30 | paste -d' ' "$work/animals.txt" - \
  >"$work/sexes.txt"
awk 'NF == 2 && $2 + 0 == 1 { print $1 }' "$work/sexes.txt" | tail -n 200 >"$work/sires.txt"
awk 'NF == 2 && $2 + 0 == 2 { print $1 }' "$work/sexes.txt" | tail -n 5000 >"$work/dams.txt"
read -r plan_s plan_rc < <(timed "$dir" mate --plan --sires "$work/sires.txt" \
  --dams "$work/dams.txt" --csv)
row='%-12s %6s %9s %6s %11s %6s %7s %7s %8s %6s\n'
printf "$row" set ND run_s status kinship_s status sires dams plan_s status
printf "$row" "$name" "$nd" "$run_s" "$run_rc" "$kinship_s" "$kinship_rc" \
  "$(wc -l <"$work/sires.txt")" "$(wc -l <"$work/dams.txt")" "$plan_s" "$plan_rc"
echo "(kinship: the run in memory plus the mean kinship of every animal, at most twice the"
echo " run's time; plan: the run in memory, each sire's kinship with every dam and the least"
echo " mean F by network simplex, under 10 s)"
exit 0
