#!/bin/bash
# Compares the Windows build with the Linux build: the run, show, report and animals on
# copies of each input folder given (and of example/), and the import of the example herd
# book by a Windows path (Z:\...), must give the same files, the same standard output and
# error and the same exit status.
#   tools/compare-windows.sh LINUX_PEDPREP WINDOWS_PEDPREP.EXE WINE_PREFIX [FOLDER...]
# Prints one line per folder and command; exit status 1 when anything differs.
set -uo pipefail
linux=$(realpath "$1") exe=$(realpath "$2") prefix=$(realpath -m "$3")
shift 3
here=$(cd "$(dirname "$0")/.." && pwd)
wine_run() { sh "$here/tools/wine-run.sh" "$prefix" "$exe" "$@"; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
differ=0

# One command in copies of FOLDER by both builds; compares everything they left.
compare() {
  local name=$1 folder=$2
  shift 2
  rm -rf "$work/l" "$work/w" && mkdir -p "$work/l" "$work/w"
  cp -r "$folder/." "$work/l/" && cp -r "$folder/." "$work/w/"
  local started=$SECONDS
  (cd "$work/l" && "$linux" "$@" </dev/null >"$work/l.out" 2>"$work/l.err"; echo $? >"$work/l.rc")
  local linux_s=$((SECONDS - started))
  started=$SECONDS
  (cd "$work/w" && wine_run "$@" </dev/null >"$work/w.out" 2>"$work/w.err"; echo $? >"$work/w.rc")
  local wine_s=$((SECONDS - started))
  # The run record holds the time of the run; everything else must be equal.
  for side in l w; do
    [ -f "$work/$side/PEDPREP.RUN" ] && sed -i '/^time /d' "$work/$side/PEDPREP.RUN"
  done
  local result=same
  if ! diff -r "$work/l" "$work/w" >"$work/diff" || ! cmp -s "$work/l.out" "$work/w.out" ||
    ! cmp -s "$work/l.err" "$work/w.err" || ! cmp -s "$work/l.rc" "$work/w.rc"; then
    result=DIFFERENT
    differ=1
  fi
  printf '%-18s %-28s exit %s  files %3d  stdout %8d B  %s  (%d s / %d s)\n' "$name" "$*" \
    "$(cat "$work/l.rc")" "$(find "$work/l" -type f | wc -l)" "$(wc -c <"$work/l.out")" \
    "$result" "$linux_s" "$wine_s"
  if [ $result != same ]; then
    head -5 "$work/diff"
    diff "$work/l.out" "$work/w.out" | head -5
    diff "$work/l.err" "$work/w.err" | head -5
  fi
}

for folder in "$here/example" "$@"; do
  name=$(basename "$folder")
  compare "$name" "$folder" run --batch
  # A second folder where the run has written, read back.
  rm -rf "$work/ran" && mkdir "$work/ran" && cp -r "$folder/." "$work/ran/"
  (cd "$work/ran" && "$linux" run --batch </dev/null >/dev/null 2>&1)
  compare "$name" "$work/ran" show
  compare "$name" "$work/ran" report --csv
  compare "$name" "$work/ran" animals --csv
done

# The import of the example herd book named by its Windows path.
book="Z:$(echo "$here/example/herdbook.csv" | tr / '\\')"
rm -rf "$work/empty" && mkdir "$work/empty"
rm -rf "$work/l" "$work/w" && mkdir -p "$work/l" "$work/w"
(cd "$work/l" && "$linux" import "$here/example/herdbook.csv" --marker GT1 >"$work/l.out" 2>&1; echo $? >"$work/l.rc")
(cd "$work/w" && wine_run import "$book" --marker GT1 >"$work/w.out" 2>&1; echo $? >"$work/w.rc")
# PEDIGREE.PRN names the book as it was given: the Windows path there is the Linux one.
sed -i "s|Z:[^ ]*herdbook\.csv|$here/example/herdbook.csv|" "$work/w/PEDIGREE.PRN" "$work/w.out"
if diff -r "$work/l" "$work/w" >/dev/null && cmp -s "$work/l.rc" "$work/w.rc" && cmp -s "$work/l.out" "$work/w.out"; then
  echo "import $book: same folder ($(find "$work/l" -type f | wc -l) files), exit $(cat "$work/l.rc")"
else
  echo "import $book: DIFFERENT"
  diff -r "$work/l" "$work/w" | head -5
  diff "$work/l.out" "$work/w.out" | head -5
  differ=1
fi
exit $differ
