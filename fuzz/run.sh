#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on a copy of its
# seed corpus, as many at once as there are processors. Exits non-zero on any finding (crash,
# sanitizer report, timeout, leak).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets="record_fuzzer run_fuzzer herdbook_fuzzer ids_fuzzer show_fuzzer"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPEDPREP_FUZZ=ON -DPEDPREP_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target $targets
# fuzz TARGET: one fuzzer for $seconds on a copy of its corpus; its log in build-fuzz.
fuzz() {
  local target=$1 name=${1%_fuzzer} work status=0
  [ "$name" = record ] && name=records
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/"
  (cd build-fuzz/findings && ../fuzz/$target "$work" -max_total_time="$seconds" -max_len=8192 \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 >"../$target.log" 2>&1) || status=$?
  rm -rf "$work"
  return "$status"
}
# Each fuzzer is one process: as many run at once as there are processors.
mkdir -p build-fuzz/findings
set -- $targets
while [ $# -gt 0 ]; do
  batch=()
  for _ in $(seq "$(nproc)"); do
    [ $# -gt 0 ] || break
    batch+=("$1")
    shift
  done
  pids=()
  for target in "${batch[@]}"; do
    echo "fuzzing $target for ${seconds}s"
    fuzz "$target" &
    pids+=($!)
  done
  failed=()
  for k in "${!batch[@]}"; do
    wait "${pids[$k]}" || failed+=("${batch[$k]}")
  done
  for target in "${batch[@]}"; do
    echo "$target:"
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' \
      "build-fuzz/$target.log" || true
  done
  for target in "${failed[@]}"; do
    tail -n 40 "build-fuzz/$target.log" >&2
    echo "finding in $target: see build-fuzz/findings" >&2
  done
  [ ${#failed[@]} -eq 0 ] || exit 1
done
