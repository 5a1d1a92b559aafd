#!/usr/bin/env bash
# Fails when the model library holds a mutable variable at file or namespace
# scope (or a function-local static): two models in one process, or in two
# threads, would share it. Such variables are the symbols nm puts in the
# data and bss sections. Allowed: the two flags the signal handlers set, the
# iostream initialiser, and the compiler's own run-time type information.
#   no_file_scope_state.sh <library> [nm]
set -euo pipefail
library=$1
nm_tool=${2:-nm}
found=$("$nm_tool" -C "$library" | awk '$2 ~ /^[BbDdGgSs]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' |
  grep -v -E '^(tidmor::\(anonymous namespace\)::(recorded_signal|checkpoint_asked)|std::__ioinit|typeinfo( name)? for .*|vtable for .*)$' |
  sort -u || true)
if [ -n "$found" ]; then
  echo "mutable state at file scope in $library (keep it in the Model or pass it in):" >&2
  echo "$found" | sed 's/^/  /' >&2
  exit 1
fi
echo "no mutable file-scope state in $library"
