#!/usr/bin/env bash
# Checks that the program builds and installs with only a compiler and CMake:
# configures a scratch build without the tests and with GoogleTest (and
# pybind11) hidden from CMake, builds, installs into a scratch prefix and runs
# `tidmor --version` from there.
#   tools/check_minimal_build.sh [JOBS]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${1:-2}"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cmake -S "$top" -B "$scratch/build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
  -DCMAKE_DISABLE_FIND_PACKAGE_pybind11=ON >"$scratch/configure.log" 2>&1 ||
  { cat "$scratch/configure.log" >&2; echo "check_minimal_build: configure failed" >&2; exit 1; }
cmake --build "$scratch/build" -j "$jobs" >"$scratch/build.log" 2>&1 ||
  { tail -n 40 "$scratch/build.log" >&2; echo "check_minimal_build: build failed" >&2; exit 1; }
if grep -q 'test_' "$scratch/build.log"; then
  echo "check_minimal_build: a test target was built with BUILD_TESTING=OFF" >&2
  exit 1
fi
cmake --install "$scratch/build" --prefix "$scratch/prefix" >"$scratch/install.log" 2>&1 ||
  { cat "$scratch/install.log" >&2; echo "check_minimal_build: install failed" >&2; exit 1; }
version="$("$scratch/prefix/bin/tidmor" --version)"
case "$version" in
  "tidmor "*) echo "check_minimal_build: built and installed without GoogleTest: $version" ;;
  *) echo "check_minimal_build: installed tidmor printed '$version'" >&2; exit 1 ;;
esac
