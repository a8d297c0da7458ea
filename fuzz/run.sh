#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 60) on a copy of its
# seed corpus. Exits non-zero on any finding (crash, sanitizer report, timeout, leak).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
targets="record_fuzzer run_fuzzer herdbook_fuzzer ids_fuzzer show_fuzzer"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPEDPREP_FUZZ=ON -DPEDPREP_TESTS=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target $targets
for target in $targets; do
  name=${target%_fuzzer}; [ "$name" = record ] && name=records
  work=$(mktemp -d)
  cp -r "fuzz/corpus/$name/." "$work/"
  mkdir -p build-fuzz/findings
  echo "fuzzing $target for ${seconds}s"
  status=0
  (cd build-fuzz/findings && ../fuzz/$target "$work" -max_total_time="$seconds" -max_len=8192 \
      -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 >"../$target.log" 2>&1) || status=$?
  rm -rf "$work"
  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' \
    "build-fuzz/$target.log" || true
  if [ "$status" -ne 0 ]; then
    tail -n 40 "build-fuzz/$target.log" >&2
    echo "finding in $target (exit $status): see build-fuzz/findings" >&2
    exit 1
  fi
done
