#!/usr/bin/env bash
# A real Slurm test of `tidmor-tools sweep --slurm`: starts munged, slurmctld
# and slurmd for a one-node cluster on this machine (configuration, state and
# logs in a temporary folder), submits a 4-case sweep as a job array, waits for
# it, and checks every case against the same case run here with GNU parallel.
# Then a coupled case of about two and a half minutes under a time limit of one
# minute a job, with two CPUs a task: it must stop at the limit with a
# checkpoint and go on in new jobs until it ends, with the threads of its
# allocation, counted once by `summary`, and byte for byte a straight run.
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

# The long case: the coupled beach (aquifer on, profile held) for 50000 wave
# periods, a checkpoint every 20 periods, one minute a job; the straight run
# to compare with runs here meanwhile. The case takes about three minutes on
# an idle two-core machine, so that even a much faster one needs several jobs.
long_started=$(date +%s)
cat > "$work/long.toml" <<PLAN
template = "$repository/examples/coupled_beach"
folder = "long"
[[cases]]
T_MAX = 400000.0
I_MORPH = 0
[run]
time_limit = 1
cpus_per_task = 2
checkpoint_every = 20
PLAN
timeout 1800 "$tools" sweep "$work/long.toml" --slurm --wait --tidmor "$tidmor" > "$work/long.out" 2>&1 &
sweep_pid=$!
case_dir=$work/long/case_001
for _ in $(seq 100); do [ -f "$case_dir/case.dat" ] && break; sleep 0.1; done
straight=$work/straight
mkdir "$straight"
cp "$case_dir/SIM.FILE" "$case_dir/case.dat" "$straight/"
(cd "$straight" && "$tidmor" --threads 1 > console.txt)
wait "$sweep_pid" || { cat "$work/long.out" >&2; echo "test_slurm: the long sweep failed" >&2; exit 1; }
cat "$work/long.out"
[ "$(cat "$case_dir/status")" = 0 ] || { echo "test_slurm: the long case did not end with status 0" >&2; exit 1; }
jobs=$(ls "$work"/long/slurm-*.out | wc -l)
[ "$jobs" -ge 2 ] || { echo "test_slurm: the long case ran in $jobs job(s), not over several" >&2; exit 1; }
pieces=$(/usr/bin/python3 -c 'import json, sys; r = json.load(open(sys.argv[1])); print(r["pieces"], r["threads"])' \
  "$case_dir/run.json")
[ "$pieces" = "$jobs 2" ] ||
  { echo "test_slurm: run.json says pieces and threads '$pieces', expected '$jobs 2'" >&2; exit 1; }
[ ! -e "$case_dir/tidmor.checkpoint" ] || { echo "test_slurm: the finished case kept its checkpoint" >&2; exit 1; }
"$tools" summary "$work/long" -o "$work/long-summary.csv" >/dev/null
rows=$(($(wc -l < "$work/long-summary.csv") - 1))
[ "$rows" -eq 1 ] || { echo "test_slurm: summary counts $rows rows for the one long case" >&2; exit 1; }
for file in outw.dat outb.dat outg.dat outs.dat console.txt; do
  cmp "$straight/$file" "$case_dir/$file" ||
    { echo "test_slurm: the long case's $file differs from a straight run" >&2; exit 1; }
done
echo "test_slurm: a case of $(( $(date +%s) - long_started )) s under a 1-minute time limit ended over $jobs jobs" \
  "with 2 threads, byte for byte the straight run"
