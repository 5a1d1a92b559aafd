#!/usr/bin/env bash
# A real Slurm test of `tidmor-tools sweep --slurm`: starts munged, slurmctld
# and slurmd for a one-node cluster on this machine (configuration, state and
# logs in a temporary folder), submits a 4-case sweep as a job array, waits for
# it, and checks every case against the same case run here with GNU parallel.
# Stops the daemons it started on exit. Needs root (slurmd runs the jobs as
# root) and the Debian packages slurm-wlm and munge (tools/deps.sh cluster).
#   tests/cluster/test_slurm.sh [TIDMOR]
set -euo pipefail
repository=$(cd "$(dirname "$0")/../.." && pwd)
tidmor=${1:-$repository/build/tidmor}
tools=$repository/tools/tidmor-tools
started=$(date +%s)

[ -x "$tidmor" ] || { echo "test_slurm: no tidmor executable at $tidmor; build it with make" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "test_slurm: must run as root (slurmd runs the jobs as root)" >&2; exit 1; }
for command in munged slurmctld slurmd sbatch scontrol sinfo parallel; do
  command -v "$command" >/dev/null || { echo "test_slurm: $command missing: tools/deps.sh python cluster" >&2; exit 1; }
done

work=$(mktemp -d /tmp/tidmor-slurm.XXXXXX)
chmod 755 "$work"
pids=()
stop_daemons() {
  local status=$?
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "$status" -ne 0 ]; then
    echo "test_slurm: failed; daemon logs:" >&2
    tail -n 20 "$work"/*.log "$work"/*.out >&2 2>/dev/null || true
  fi
  rm -rf "$work"
  exit "$status"
}
trap stop_daemons EXIT
trap 'exit 130' INT TERM

# Two free TCP ports for the controller and the node daemon.
read -r ctld_port slurmd_port < <(/usr/bin/python3 -c '
import socket
socks = [socket.socket() for _ in range(2)]
for s in socks: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in socks])')

# munge: a key of its own and a socket in the work folder.
dd if=/dev/urandom of="$work/munge.key" bs=1024 count=1 status=none
chmod 400 "$work/munge.key"
munged --foreground --force --key-file="$work/munge.key" --socket="$work/munge.socket" \
  --pid-file="$work/munged.pid" --log-file="$work/munged.log" --seed-file="$work/munged.seed" \
  >"$work/munged.out" 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -S "$work/munge.socket" ] && break; sleep 0.1; done
[ -S "$work/munge.socket" ] || { echo "test_slurm: munged did not start" >&2; exit 1; }

node=$(hostname -s)
node_line=$(slurmd -C | head -n 1)   # NodeName=... CPUs=... as slurmd sees this machine
mkdir -p "$work/state" "$work/spool"
cat > "$work/slurm.conf" <<CONF
ClusterName=tidmortest
SlurmctldHost=$node(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$work/munge.socket
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerType=sched/backfill
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
ReturnToService=2
$node_line NodeAddr=127.0.0.1 State=UNKNOWN
PartitionName=test Nodes=$node Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$work/slurm.conf

slurmctld -D -f "$SLURM_CONF" >"$work/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" -N "$node" >"$work/slurmd.out" 2>&1 &
pids+=($!)
ready=""
for _ in $(seq 120); do
  if [ "$(sinfo -h -N -o %t 2>/dev/null | head -n 1)" = idle ]; then ready=yes; break; fi
  sleep 0.5
done
[ -n "$ready" ] || { echo "test_slurm: the node did not come up idle within 60 s" >&2; sinfo -N >&2 || true; exit 1; }
echo "test_slurm: one-node cluster up after $(( $(date +%s) - started )) s"

# Four short wave-only cases, run as a job array and, for comparison, here.
plan() {
  cat > "$work/$1.toml" <<PLAN
template = "$repository/examples/plane_beach"
folder = "$1"
[fixed]
T_MAX = 16.0
I_MORPH = 0
[grid]
H_WAVE = [0.4, 0.5]
T_WAVE = [6.0, 8.0]
[run]
jobs = 2
timeout = 300
PLAN
  echo "$work/$1.toml"
}
timeout 600 "$tools" sweep "$(plan cluster)" --slurm --wait --tidmor "$tidmor"
"$tools" sweep "$(plan local)" --tidmor "$tidmor"

compared=0
for case_dir in "$work"/local/case_*; do
  name=$(basename "$case_dir")
  [ "$(cat "$work/cluster/$name/status")" = 0 ] || { echo "test_slurm: $name failed under Slurm" >&2; exit 1; }
  for file in outw.dat outb.dat outg.dat outs.dat console.txt case.dat; do
    cmp "$case_dir/$file" "$work/cluster/$name/$file" ||
      { echo "test_slurm: $name/$file differs between Slurm and the local run" >&2; exit 1; }
  done
  compared=$((compared + 1))
done
[ "$compared" -eq 4 ] || { echo "test_slurm: $compared cases compared, 4 expected" >&2; exit 1; }
[ "$(ls "$work"/cluster/slurm-*.out | wc -l)" -eq 4 ] ||
  { echo "test_slurm: the job array did not run 4 tasks" >&2; exit 1; }
echo "test_slurm: 4 cases of the job array equal the local runs; took $(( $(date +%s) - started )) s"
