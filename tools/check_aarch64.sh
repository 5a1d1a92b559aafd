#!/usr/bin/env bash
# Builds the program for aarch64 with Debian's cross compiler and runs every
# whole-run case (examples/*, tests/run/cases/*) under qemu-user, comparing
# the result files, the console, stderr and the exit status byte for byte
# with the expected files made on x86-64; then continues, under qemu-user,
# checkpoints made by the native (x86-64) program in the middle of the
# coupled cases, and compares the result files and the two consoles put
# together with the same expected files. Needs root the first time, to add
# the arm64 architecture and install the cross tools and MPFR for arm64.
#   tools/check_aarch64.sh [case folder ...]   (default: every case)
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$top/build-aarch64"

needed=(g++-aarch64-linux-gnu qemu-user cmake make libmpfr-dev:arm64 libgmp-dev:arm64)
missing=()
for package in "${needed[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "check_aarch64.sh: missing ${missing[*]}; as root: dpkg --add-architecture arm64;" \
         "apt-get update; apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "check_aarch64.sh: installing ${missing[*]}" >&2
  dpkg --print-foreign-architectures | grep -qx arm64 || dpkg --add-architecture arm64
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=600 update >/dev/null
  apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${missing[@]}" >/dev/null
fi

# The native program, configured together with the aarch64 one so that it names the same version as
# the aarch64 one (a restart goes on only with the program that began it).
native_build="${BUILD_DIR:-$top/build}"
cmake -S "$top" -B "$native_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$native_build" -j "${JOBS:-2}" --target tidmor >/dev/null
native="$native_build/tidmor"

# Statically linked (MPFR and GMP from their arm64 archives), so qemu needs
# no arm64 loader or library path.
arm64_lib=/usr/lib/aarch64-linux-gnu
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTIDMOR_BUILD_PYTHON=OFF \
  -DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64 \
  -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++ -DCMAKE_LIBRARY_ARCHITECTURE=aarch64-linux-gnu \
  -DMPFR_LIBRARY="$arm64_lib/libmpfr.a" -DGMP_LIBRARY="$arm64_lib/libgmp.a" \
  -DCMAKE_EXE_LINKER_FLAGS=-static >/dev/null
cmake --build "$build" -j "${JOBS:-2}" --target tidmor >/dev/null
exe="$build/tidmor"
# ELF machine field (bytes 18-19): 0xb7 is AArch64.
[ "$(od -An -tx1 -j18 -N1 "$exe" | tr -d ' ')" = b7 ] ||
  { echo "check_aarch64.sh: $exe is not an aarch64 program" >&2; exit 1; }

if [ "$#" -eq 0 ]; then
  set -- $(find "$top/examples" "$top/tests/run/cases" -mindepth 1 -maxdepth 1 -type d 2>/dev/null | sort)
fi
failed=0
for case_dir in "$@"; do
  case_dir="$(cd "$case_dir" && pwd)"
  [ -d "$case_dir/expected" ] || continue
  scratch="$(mktemp -d)"
  find "$case_dir" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$scratch" \;
  status=0
  (cd "$scratch" && qemu-aarch64 "$exe" > console.txt 2> stderr.txt) || status=$?
  echo "$status" > "$scratch/status"
  differ=()
  for f in outw.dat outb.dat outg.dat outs.dat console.txt stderr.txt status; do
    [ -f "$scratch/$f" ] || : > "$scratch/$f"
    cmp -s "$scratch/$f" "$case_dir/expected/$f" || differ+=("$f")
  done
  if [ "${#differ[@]}" -eq 0 ]; then
    echo "$(basename "$case_dir"): identical on aarch64"
  else
    echo "$(basename "$case_dir"): DIFFERS on aarch64 in ${differ[*]}"
    failed=1
  fi
  rm -rf "$scratch"
done
# Case and the step after which the native run stops with its checkpoint.
for stop in examples/coupled_beach:4000 tests/run/cases/long_coupled_with_well:7000 examples/plane_beach:5000; do
  case_dir="$top/${stop%%:*}"
  step="${stop##*:}"
  name="$(basename "$case_dir")"
  scratch="$(mktemp -d)"
  find "$case_dir" -maxdepth 1 -type f ! -name '*.md' -exec cp {} "$scratch" \;
  status=0
  (cd "$scratch" && "$native" --checkpoint-every 1000000 --stop-after-step "$step" > console0.txt 2> stderr0.txt) ||
    status=$?
  if [ "$status" -ne 143 ] || [ ! -f "$scratch/tidmor.checkpoint" ]; then
    echo "$name: the native run did not stop with a checkpoint after step $step (status $status)"
    failed=1
    rm -rf "$scratch"
    continue
  fi
  status=0
  (cd "$scratch" && qemu-aarch64 "$exe" --restart > console1.txt 2> stderr.txt) || status=$?
  echo "$status" > "$scratch/status"
  cat "$scratch/console0.txt" "$scratch/console1.txt" > "$scratch/console.txt"
  differ=()
  for f in outw.dat outb.dat outg.dat outs.dat console.txt stderr.txt status; do
    cmp -s "$scratch/$f" "$case_dir/expected/$f" || differ+=("$f")
  done
  if [ "${#differ[@]}" -eq 0 ]; then
    echo "$name: x86-64 checkpoint after step $step continued on aarch64, identical"
  else
    echo "$name: x86-64 checkpoint after step $step continued on aarch64 DIFFERS in ${differ[*]}"
    failed=1
  fi
  rm -rf "$scratch"
done
exit "$failed"
