#!/usr/bin/env bash
# Fails (exit 1) when any tracked .h or .cpp file differs from what clang-format makes of it
# with the repository's .clang-format, and lists those files (third_party/ is kept as it
# comes and not checked). CLANG_FORMAT picks the binary.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null || { echo "check_format: $clang_format not found" >&2; exit 2; }
unformatted=()
while IFS= read -r -d '' file; do
  if ! "$clang_format" --style=file "$file" | cmp -s - "$file"; then unformatted+=("$file"); fi
done < <(git ls-files -z -- '*.h' '*.cpp' ':!third_party')
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not clang-formatted: %s\n' "${unformatted[@]}" >&2
  echo "fix with: clang-format -i ${unformatted[*]}" >&2
  exit 1
fi
echo "check_format: all tracked .h and .cpp files are clang-formatted"
