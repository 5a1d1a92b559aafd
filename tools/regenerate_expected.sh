#!/usr/bin/env bash
# Rewrites the expected results of the whole-run cases from the current build.
# Run it only when a change of the numbers is intended, and commit the new
# files on their own with a message that says why they changed.
#   tools/regenerate_expected.sh [case folder ...]   (default: every case)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
exe="$top/build/tidmor"
[ -x "$exe" ] || { echo "build first: make build" >&2; exit 1; }
if [ "$#" -eq 0 ]; then
  set -- $(find "$top/examples" "$top/tests/run/cases" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | sort)
fi
for case_dir in "$@"; do
  case_dir="$(cd "$case_dir" && pwd)"
  # Only case folders: examples/python holds the Python examples.
  [ -f "$case_dir/SIM.FILE" ] || continue
  scratch="$(mktemp -d)"
  find "$case_dir" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$scratch" \;
  status=0
  (cd "$scratch" && "$exe" > console.txt 2> stderr.txt) || status=$?
  mkdir -p "$case_dir/expected"
  for f in outw.dat outb.dat outg.dat outs.dat console.txt stderr.txt; do
    if [ -f "$scratch/$f" ]; then cp "$scratch/$f" "$case_dir/expected/$f"; else : > "$case_dir/expected/$f"; fi
  done
  echo "$status" > "$case_dir/expected/status"
  rm -rf "$scratch"
  echo "$(basename "$case_dir"): exit status $status"
done
