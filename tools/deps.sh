#!/usr/bin/env bash
# Installs the Debian packages a build or test step needs, when they are missing.
#   tools/deps.sh GROUP ...
# Groups: model (build the program), test (unit and whole-run tests),
# bench (benchmarks), python (tidmor-tools, the Python module tidmor, the
# example notebook and their tests), cluster (the
# one-node Slurm test), fuzz (the libFuzzer target: clang and its runtimes).
# As root the missing packages are installed with apt-get; otherwise the
# command to run is printed and the script fails.
set -euo pipefail

packages_of() {
  case "$1" in
    model) echo "g++ cmake make pkg-config libmpfr-dev" ;;
    test)  echo "libgtest-dev" ;;
    bench) echo "libbenchmark-dev valgrind bc" ;;
    python) echo "python3 python3-numpy python3-xarray python3-netcdf4 python3-matplotlib python3-pytest python3-yaml netcdf-bin udunits-bin parallel python3-venv python3-pip python3-setuptools python3-wheel python3-dev pybind11-dev python3-pybind11 python3-nbformat python3-nbclient python3-ipykernel" ;;
    cluster) echo "slurm-wlm munge" ;;
    fuzz)  echo "clang libclang-rt-14-dev" ;;
    *) echo "tools/deps.sh: unknown group '$1' (model, test, bench, python, cluster, fuzz)" >&2; exit 1 ;;
  esac
}

wanted=()
for group in "$@"; do
  for package in $(packages_of "$group"); do wanted+=("$package"); done
done

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ "${#missing[@]}" -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null; then
  echo "tools/deps.sh: missing packages ${missing[*]}; install their equivalents for your system (see README)" >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "tools/deps.sh: missing Debian packages: ${missing[*]}" >&2
  echo "  install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "tools/deps.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}" >/dev/null ||
  { apt-get -o DPkg::Lock::Timeout=600 update >/dev/null && apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}" >/dev/null; }
