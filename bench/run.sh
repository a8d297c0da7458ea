#!/usr/bin/env bash
# Benchmark: optimised build, generated input folders, whole-run and per-stage timings.
#
#   bash bench/run.sh            (or: make bench)
#
# Environment: REPS (runs per case, default 5), RUN_TIMEOUT (seconds per whole run,
# default 600), CASES (default "herd families flat herd-3k"), JOBS (build jobs, default 2).
#
# Builds build-bench (Release, bench tools, no tests), writes the cases into bench/out/
# (git-ignored), runs the pedprep executable on each case REPS times (stdin /dev/null) and
# pedprep_bench once per case, and prints one table. Parts that cannot be built or run yet
# (stages still being written) show "-" or their status instead of failing the script.
# The result table uses one printf format for its heading and rows. Then the import
# (bench/import_bench.sh) and `pedprep animals` beside the run on the largest herd books of
# ../shared/data (bench/animals_bench.sh), `pedprep kinship` and a mating plan of 200 sires x
# 5,000 dams (bench/kinship_bench.sh), and pictures drawn from them (bench/draw_bench.sh).
# shellcheck disable=SC2059
set -u

cd "$(dirname "$0")/.." || exit 1
ROOT=$PWD
BUILD=$ROOT/build-bench
OUT=$ROOT/bench/out
REPS=${REPS:-5}
RUN_TIMEOUT=${RUN_TIMEOUT:-600}
CASES=${CASES:-"herd families flat herd-3k"}
JOBS=${JOBS:-2}
LOG=$OUT/build.log

mkdir -p "$OUT"
: >"$LOG"

echo "== build ($BUILD, log in ${LOG#"$ROOT"/})"
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPEDPREP_BENCH=ON -DPEDPREP_TESTS=OFF \
  >>"$LOG" 2>&1 || { echo "cmake configure failed (see $LOG)"; exit 1; }
if ! cmake --build "$BUILD" -j "$JOBS" --target pedprep_gen >>"$LOG" 2>&1; then
  echo "pedprep_gen does not build (see $LOG)"
  exit 1
fi
have_pedprep=1
cmake --build "$BUILD" -j "$JOBS" --target pedprep >>"$LOG" 2>&1 || {
  have_pedprep=0
  echo "note: pedprep does not build yet; whole-run times are skipped"
}
have_bench=1
cmake --build "$BUILD" -j "$JOBS" --target pedprep_bench >>"$LOG" 2>&1 || {
  have_bench=0
  echo "note: pedprep_bench does not build yet; stage times are skipped"
}
have_time=0
[ -x /usr/bin/time ] && /usr/bin/time -v true >/dev/null 2>&1 && have_time=1

# kv KEY LINE: the value of KEY=value in a line of key=value pairs, "-" when absent.
kv() {
  local v
  v=$(tr ' ' '\n' <<<"$2" | sed -n "s/^$1=//p" | head -n 1)
  echo "${v:--}"
}

# median of the numbers on stdin (one per line), "-" when there are none.
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "-"; exit }
    if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# One whole run of pedprep in folder $1; prints "status seconds peak_kb".
whole_run() {
  local dir=$1 log=$1/run.log tlog=$1/time.log start end rc status peak="-"
  rm -f "$dir/ped.dat" "$dir/PEDIGREE" "$dir/ID.PE" "$dir/MARKERS.BIN"
  start=$EPOCHREALTIME
  if [ "$have_time" = 1 ]; then
    (cd "$dir" && timeout "$RUN_TIMEOUT" /usr/bin/time -v -o "$tlog" \
      "$BUILD/pedprep" </dev/null >"$log" 2>&1)
  else
    (cd "$dir" && timeout "$RUN_TIMEOUT" "$BUILD/pedprep" </dev/null >"$log" 2>&1)
  fi
  rc=$?
  end=$EPOCHREALTIME
  if [ "$have_time" = 1 ] && [ -f "$tlog" ]; then
    peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$tlog")
    # /usr/bin/time reports the command's own status; keep timeout's 124.
    [ "$rc" != 124 ] && rc=$(sed -n 's/.*Exit status: //p' "$tlog")
    [ -z "$rc" ] && rc=1
  fi
  if [ "$rc" = 124 ]; then
    status=timeout
  elif [ "$rc" = 2 ]; then
    status=input-error
  elif [ "$rc" != 0 ]; then
    status=exit-$rc
  elif [ -f "$dir/PEDIGREE" ] && [ -f "$dir/ID.PE" ] && [ -f "$dir/MARKERS.BIN" ]; then
    status=complete
  elif tail -n 1 "$log" | grep -q "Stop - Program terminated."; then
    status=stopped
  else
    status=no-output
  fi
  awk -v s="$start" -v e="$end" -v st="$status" -v p="${peak:--}" \
    'BEGIN { printf "%s %.3f %s\n", st, e - s, p }'
}

declare -A GEN RUNSTAT RUNMED RUNPEAK BENCH REF

for c in $CASES; do
  dir=$OUT/$c
  rm -rf "$dir"
  echo "== $c: generate"
  if ! GEN[$c]=$("$BUILD/bench/pedprep_gen" "$c" "$dir"); then
    echo "   pedprep_gen failed for $c"
    GEN[$c]=""
    continue
  fi
  echo "   ${GEN[$c]}"

  if [ "$have_pedprep" = 1 ]; then
    echo "== $c: pedprep x $REPS"
    times=() peaks=() statuses=()
    for ((r = 1; r <= REPS; r++)); do
      read -r st secs pk < <(whole_run "$dir")
      statuses+=("$st") times+=("$secs") peaks+=("$pk")
      [ "$st" = timeout ] && break  # one timeout says enough
    done
    RUNSTAT[$c]=$(printf '%s\n' "${statuses[@]}" | sort -u | paste -sd/ -)
    RUNMED[$c]=$(printf '%s\n' "${times[@]}" | median)
    RUNPEAK[$c]=$(printf '%s\n' "${peaks[@]}" | grep -v '^-$' | sort -n | tail -n 1)
    echo "   status ${RUNSTAT[$c]}, median ${RUNMED[$c]} s (console of the last run: ${dir#"$ROOT"/}/run.log)"
  fi

  if [ "$have_bench" = 1 ] && [[ "${RUNSTAT[$c]:-}" == *timeout* ]]; then
    echo "== $c: pedprep_bench skipped: the whole run timed out after $RUN_TIMEOUT s"
  elif [ "$have_bench" = 1 ]; then
    echo "== $c: pedprep_bench x $REPS"
    extra=()
    [ "$c" = herd-3k ] && extra=(--reference)
    if out=$(timeout $((RUN_TIMEOUT * (REPS + 1) * 3)) \
      "$BUILD/bench/pedprep_bench" --reps "$REPS" "${extra[@]}" "$dir" 2>&1); then
      BENCH[$c]=$(grep '^folder=' <<<"$out")
      REF[$c]=$(grep '^reference_stryu_ms=' <<<"$out")
      while IFS= read -r line; do echo "   $line"; done <<<"$out"
    else
      echo "   pedprep_bench failed or timed out"
    fi
  fi
done

ms_to_s() { if [ "$1" = - ]; then echo -; else awk -v v="$1" 'BEGIN { printf "%.3f", v / 1000 }'; fi; }
kb_to_mb() {
  if [ -z "$1" ] || [ "$1" = - ]; then echo -; else awk -v v="$1" 'BEGIN { printf "%.0f", v / 1024 }'; fi
}

echo
echo "== results (run: median seconds of the whole pedprep run; stage columns: pedprep_bench"
echo "   median milliseconds; MB: peak resident memory of pedprep / of pedprep_bench)"
row='%-9s %6s %6s %6s %6s %8s %-9s %7s %7s %7s %9s %7s %7s %8s %6s %6s %s\n'
printf "$row" case ND breaks NBREAK ND_end run status read testsex blood stryu renum recon \
  rewrdat run_MB bench_MB bench_end
for c in $CASES; do
  g=${GEN[$c]:-} b=${BENCH[$c]:-}
  [ -z "$g" ] && { printf '%-9s (not generated)\n' "$c"; continue; }
  printf "$row" "$c" "$(kv ND "$g")" "$(kv breaks "$g")" "$(kv breaks "$b")" \
    "$(kv ND_end "$b")" "${RUNMED[$c]:--}" "${RUNSTAT[$c]:--}" "$(kv read_ms "$b")" \
    "$(kv testsex_ms "$b")" "$(kv findblood_ms "$b")" "$(kv stryu_ms "$b")" \
    "$(kv renum_ms "$b")" "$(kv reconstruction_ms "$b")" "$(kv rewrdat_ms "$b")" \
    "$(kb_to_mb "${RUNPEAK[$c]:-}")" "$(kb_to_mb "$(kv peak_kb "$b")")" "$(kv ended "$b")"
done
echo "(breaks: copies the generator counted by running the structure analysis; NBREAK: copies"
echo " the structure analysis made; ND_end: ND after the reconstruction; bench_end: ok, or"
echo " the stage where the in-process run ended)"

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN {
    if (a == "-" || b == "-" || a == "" || b == "" || b + 0 == 0) print "-";
    else printf "%.2f", a / b }'
}
flat_run=$(ratio "${RUNMED[herd]:--}" "${RUNMED[flat]:--}")
# A timed-out herd run only gives a lower bound.
[[ "${RUNSTAT[herd]:-}" == *timeout* && "$flat_run" != - ]] && flat_run=">$flat_run"
flat_bench=$(ratio "$(kv total_ms "${BENCH[herd]:-}")" "$(kv total_ms "${BENCH[flat]:-}")")
echo "flat ratio (herd / flat): whole run $flat_run, in-process stages $flat_bench"
r=${REF[herd-3k]:-}
if [ -n "$r" ]; then
  echo "herd-3k reference / fast structure analysis: $(kv reference_over_fast "$r")" \
    "(reference $(ms_to_s "$(kv reference_stryu_ms "$r")") s, fast" \
    "$(ms_to_s "$(kv fast_stryu_ms "$r")") s, same result: $(kv same_result "$r"))," \
    "reference ended: $(kv reference_ended "$r")"
else
  echo "herd-3k reference / fast structure analysis: -"
fi

echo "== import (herd books; beside Python's csv module reading the same file)"
if cmake --build "$BUILD" -j "$JOBS" --target pedprep_gen_herdbook >>"$LOG" 2>&1 &&
  [ "$have_pedprep" = 1 ]; then
  bash bench/import_bench.sh "$BUILD/pedprep" "$BUILD/bench/pedprep_gen_herdbook" "$OUT/import" ||
    echo "import bench failed"
else
  echo "import bench: pedprep or the herd-book generator does not build (see $LOG)"
fi

echo "== animals (the largest herd books of ../shared/data; beside the run's own time)"
if [ "$have_pedprep" = 1 ]; then
  bash bench/animals_bench.sh "$BUILD/pedprep" "$OUT/animals" || echo "animals bench failed"
else
  echo "animals bench: pedprep does not build (see $LOG)"
fi

echo "== kinship and a mating plan (large-herds; beside the run's own time)"
if [ "$have_pedprep" = 1 ]; then
  bash bench/kinship_bench.sh "$BUILD/pedprep" "$OUT/kinship" || echo "kinship bench failed"
else
  echo "kinship bench: pedprep does not build (see $LOG)"
fi

echo "== draw (pictures of ../shared/data through Graphviz's dot; each within 20 s)"
if [ "$have_pedprep" = 1 ] && command -v dot >/dev/null; then
  bash bench/draw_bench.sh "$BUILD/pedprep" "$OUT/draw" || echo "draw bench failed"
else
  echo "draw bench: pedprep does not build (see $LOG) or dot is not installed"
fi
exit 0
