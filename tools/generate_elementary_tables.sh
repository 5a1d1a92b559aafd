#!/usr/bin/env bash
# Regenerates src/common/elementary_tables.hpp, the tables and constants of
# the correctly rounded elementary functions, from GNU MPFR. The output is
# committed; run this only to change the tables.
#   tools/generate_elementary_tables.sh
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/deps.sh" model
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
g++ -std=c++20 -O1 -Wall -Wextra -ffp-contract=off -o "$scratch/generate" \
  "$top/tools/elementary_tables/generate.cpp" -lmpfr -lgmp
"$scratch/generate" > "$scratch/elementary_tables.hpp"
mv "$scratch/elementary_tables.hpp" "$top/src/common/elementary_tables.hpp"
echo "wrote src/common/elementary_tables.hpp"
