#!/usr/bin/env bash
# Runs pedprep and pedprep_reference on copies of each input folder and compares the exit
# status, the console text and every file the runs leave, byte for byte.
#
#   bash bench/compare.sh FOLDER...      (build-bench must hold both programs)
#
# Environment: RUN_TIMEOUT (seconds for the reference run, default 7200).
set -u
cd "$(dirname "$0")/.." || exit 1
ROOT=$PWD
BUILD=$ROOT/build-bench
RUN_TIMEOUT=${RUN_TIMEOUT:-7200}
cmake -S . -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DPEDPREP_BENCH=ON -DPEDPREP_TESTS=OFF \
  >/dev/null && cmake --build "$BUILD" -j 2 --target pedprep pedprep_reference >/dev/null ||
  { echo "build failed"; exit 1; }
failed=0
for folder in "$@"; do
  work=$(mktemp -d)
  timed_out=0
  for kind in fast reference; do
    cp -r "$folder" "$work/$kind"
    program=$BUILD/pedprep
    [ "$kind" = reference ] && program=$BUILD/bench/pedprep_reference
    start=$(date +%s.%N)
    status=0
    # Standard error (the command line's pointers onward) and the run record (written by the
    # command line only, with its time) are not the run's own output.
    (cd "$work/$kind" && timeout "$RUN_TIMEOUT" "$program" </dev/null >console.txt 2>/dev/null) ||
      status=$?
    [ "$status" -eq 124 ] && timed_out=1
    echo "exit $status" >>"$work/$kind/console.txt"
    end=$(date +%s.%N)
    printf '%-40s %-9s %8.2fs\n' "$(basename "$folder")" "$kind" "$(echo "$end - $start" | bc)"
  done
  if [ "$timed_out" -eq 1 ]; then
    echo "$(basename "$folder"): timeout after ${RUN_TIMEOUT}s, not compared"
    failed=1
  elif diff -r -x PEDPREP.RUN "$work/fast" "$work/reference" >/dev/null; then
    echo "$(basename "$folder"): identical ($(cd "$work/fast" && find . -type f | wc -l) files)"
  else
    echo "$(basename "$folder"): DIFFERENT"; diff -rq -x PEDPREP.RUN "$work/fast" "$work/reference"
    failed=1
  fi
  rm -rf "$work"
done
exit $failed
