#!/usr/bin/env bash
# Times `pedprep draw` on the shared data sets, one line per picture (each within 20 s):
#   bench/draw_bench.sh PEDPREP [WORK_FOLDER]      (REPS=3)
# The data sets are taken from ../shared/data beside the repository (DATA overrides it) and
# copied into WORK_FOLDER. Each picture is drawn REPS times; the table shows the median
# seconds, the exit status and the size of the file written. Needs Graphviz's dot; a missing
# data set is reported and skipped; exit status 0 either way.
set -u
pedprep=$(realpath "$1")
root=$(cd "$(dirname "$0")/.." && pwd)
data=${DATA:-$root/../shared/data}
work=${2:-$(mktemp -d)}
reps=${REPS:-3}
mkdir -p "$work"

# median of the numbers on stdin
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "-"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

row='%-16s %-52s %7s %6s %9s\n'
printf "$row" set picture seconds status bytes
# draw SET OUTPUT ARGS...: draws ARGS of SET into OUTPUT REPS times and prints its line.
draw() {
  local name=$1 output=$2 start end rc=0 times=()
  shift 2
  local dir=$work/$name
  if [ ! -f "$dir/PEDIGREE.PRN" ]; then
    if [ ! -f "$data/$name/PEDIGREE.PRN" ]; then
      printf '%-16s (not found in %s)\n' "$name" "$data"
      return
    fi
    cp -r "$data/$name" "$dir" && chmod -R u+w "$dir"
  fi
  for ((r = 1; r <= reps; r++)); do
    rm -f "$work/$output"
    start=$EPOCHREALTIME
    (cd "$work" && "$pedprep" draw "$dir" "$@" -o "$output" </dev/null >/dev/null 2>&1)
    rc=$?
    end=$EPOCHREALTIME
    times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", e - s }')")
  done
  local bytes=-
  [ -f "$work/$output" ] && bytes=$(wc -c <"$work/$output")
  printf "$row" "$name" "$* -o $output" "$(printf '%s\n' "${times[@]}" | median)" "$rc" "$bytes"
}

draw darwin-wedgwood family.pdf --family 1
draw darwin-wedgwood family.png --family 1
draw darwin-wedgwood ancestors.svg --ancestors 1:53 --up 6 --label id,breed,F
draw darwin-wedgwood copy.png --copy 65
draw eeza-ungulates around.svg --around 10:300
draw eeza-ungulates ancestors.pdf --ancestors 10:300 --up 8 --label id,F
draw eeza-ungulates copy.svg --copy 1316
draw eeza-ungulates family.pdf --family 10 --max-animals 1000
draw eeza-ungulates family.png --family 10 --max-animals 1000
draw hinterwald-2000 around.svg --around 2:5420 --label id,breed,F
draw hinterwald-2000 ancestors.pdf --ancestors 2:5420 --up 6 --label id,breed
echo "(status 1 for family.png of eeza-ungulates: a PNG that would exceed 16,384 pixels a side"
echo " with readable labels is refused)"
exit 0
