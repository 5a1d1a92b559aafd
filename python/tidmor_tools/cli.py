"""The command line: `tidmor-tools read|convert|check-cf|plot|budget|sweep|summary|converge ...`."""
from __future__ import annotations

import argparse
import os
import sys
import warnings

from .program import find_tidmor
from .provenance import TidmorProvenanceWarning
from .readers import TidmorFieldWarning, read_case
from .text_files import BadInput


def _read(args):
    case = read_case(args.case, args.results, force=args.force)
    data = case["input"]
    print(f"input data file {data.path}: DX = {data.dx!r} m, N_GRID = {data.n_grid}, "
          f"initial shoreline node {data.initial_shoreline_node}")
    for name in ("wave", "profile", "swash", "aquifer"):
        print(f"\n== {name} ==")
        print(case[name])
    return 0


def _convert(args):
    from .netcdf import convert_case
    print(convert_case(args.case, args.output, args.tidmor, command="tidmor-tools " + " ".join(sys.argv[1:]),
                       start_time=args.start_time, force=args.force, results_dir=args.results))
    return 0


def _check_cf(args):
    from .cf_check import check_cf
    problems = []
    for path in args.files:
        try:
            problems += check_cf(path)
        except OSError as error:
            raise BadInput(f"{path}: not a netCDF file that can be read ({error})") from None
    for problem in problems:
        print(problem)
    print(f"{len(args.files)} file(s) checked, {len(problems)} problem(s)")
    return 1 if problems else 0


def _plot(args):
    from .figures import plot_case
    for path in plot_case(args.case, args.output, force=args.force):
        print(path)
    return 0


def report_cases(results):
    """Lists the cases that failed on stderr; returns how many failed."""
    failed = 0
    for result in results:
        name = os.path.basename(result.case_dir)
        if result.status is None:
            failed += 1
            why = (result.run or {}).get("stopped_by") or "killed, timed out or not run"
            print(f"{name}: did not finish ({why}); see its folder", file=sys.stderr)
        elif result.status != 0:
            failed += 1
            # The program's warnings come first; the line that ends the run is the last.
            reason = result.stderr.splitlines()[-1] if result.stderr else "(no stderr)"
            print(f"{name}: failed with exit status {result.status}: {reason}", file=sys.stderr)
    return failed


def _sweep(args):
    from .sweep import run_sweep
    tidmor = find_tidmor(args.tidmor)
    results, job_id = run_sweep(args.plan, tidmor, backend="slurm" if args.slurm else "parallel", jobs=args.jobs,
                                sshlogins=args.sshlogin or (), partition=args.partition, wait=args.wait,
                                dry_run=args.dry_run, max_cases=args.max_cases)
    if results is None:
        return 0
    failed = report_cases(results)
    print(f"{len(results) - failed} of {len(results)} cases done" + (f", {failed} failed" if failed else ""))
    return 1 if failed else 0


def _budget(args):
    from .budget import write_budget_csv
    from .readers import case_name
    case = read_case(args.case, args.results, force=args.force)
    print(write_budget_csv(case, args.output or case_name(args.case) + "-budget.csv"))
    return 0


def _converge(args):
    from .converge import QUANTITIES, converge_case, parse_changes
    import numpy as np

    from .convergence import size
    tidmor = find_tidmor(args.tidmor)
    if not 0 <= args.timeout <= 30 * 24 * 3600:
        raise BadInput(f"--timeout {args.timeout:g}: give seconds from 0 (no limit) to 2592000 (30 days)")
    study = converge_case(args.case, tidmor, args.output, args.levels, args.ratio, args.refine or ("L_ELEM",),
                          parse_changes(args.set), parse_changes(args.compare, "--compare") or None,
                          args.tolerance / 100.0, "slurm" if args.slurm else "parallel", args.jobs or 1,
                          args.timeout, args.sshlogin or (), args.partition, args.wait or not args.slurm)
    if study is None:
        print("submitted; run the same command again once the job array is over")
        return 0
    print("levels: " + "; ".join(study.level_name(k) for k in range(len(study.levels))))
    units = {name: unit for name, unit, _ in QUANTITIES}
    for name, c in study.assessed.items():
        # A field is shown by its largest magnitude, a scalar as it is.
        sizes = ", ".join(f"{size(v) if np.ndim(v) else v:.4g}" for v in study.values[name])
        order = "" if c.order != c.order else f", order {c.order:.2f}"
        print(f"{name} ({units[name]}): {sizes}{order}: {c.verdict}")
    print("wall time (s): " + ", ".join(f"{t:.1f}" for t in study.wall_times))
    print(study.csv_path)
    print(study.figure_path)
    return 0


def _summary(args):
    from .summary import summarise_sweep
    print(summarise_sweep(args.sweep, args.output))
    return 0


def _positive_int(text):
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is not a whole number") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"{value} must be 1 or more")
    return value


def build_parser():
    parser = argparse.ArgumentParser(prog="tidmor-tools", description="Read, convert, plot, budget, sweep and converge TIDMOR cases.")
    commands = parser.add_subparsers(dest="command", required=True)

    p = commands.add_parser("read", help="read the four result files of a case and show them as datasets")
    p.add_argument("case", help='case folder (with "SIM.FILE"); a folder such as CASE/expected takes the '
                                "input of its parent")
    p.add_argument("--results", help="folder of the result files (default: the case folder)")
    p.add_argument("--force", action="store_true", help="read results whose input changed after the run")
    p.set_defaults(run=_read)

    p = commands.add_parser("convert", help="write the results of a case as one CF netCDF file")
    p.add_argument("case")
    p.add_argument("-o", "--output", help="netCDF file to write (default: NAME.nc here, NAME the case folder's name)")
    p.add_argument("--results", help="folder of the result files (default: the case folder)")
    p.add_argument("--tidmor", help="tidmor executable asked for its version when the results have no run.json")
    p.add_argument("--start-time", help="UTC time of the start of the run, e.g. 2024-03-01T06:00:00Z "
                                        "(default 2000-01-01T00:00:00Z)")
    p.add_argument("--force", action="store_true",
                   help="convert results whose input changed after the run, with a warning recorded in the file")
    p.set_defaults(run=_convert)

    p = commands.add_parser("check-cf", help="check netCDF files written by convert against the CF rules they use")
    p.add_argument("files", nargs="+", metavar="FILE.nc")
    p.set_defaults(run=_check_cf)

    p = commands.add_parser("plot", help="draw the figures of a case as PNG files")
    p.add_argument("case")
    p.add_argument("-o", "--output", help="folder for the figures (default: NAME-figures here)")
    p.add_argument("--force", action="store_true", help="draw results whose input changed after the run")
    p.set_defaults(run=_plot)

    p = commands.add_parser("sweep", help="write and run the cases of a sweep file (GNU parallel or Slurm)")
    p.add_argument("plan", metavar="FILE", help="TOML or YAML sweep file")
    p.add_argument("--tidmor", help="tidmor executable (default: $TIDMOR, build/tidmor, PATH)")
    p.add_argument("-j", "--jobs", type=_positive_int, help="cases at a time on each host (default: [run] jobs of the sweep file)")
    p.add_argument("--sshlogin", action="append",
                   help="run on this host over ssh (GNU parallel's --sshlogin, e.g. 4/user@host); repeatable; "
                        "the sweep folder and tidmor must be at the same path there")
    p.add_argument("--slurm", action="store_true", help="submit a Slurm job array instead of running here")
    p.add_argument("--partition", help="Slurm partition")
    p.add_argument("--wait", action="store_true", help="with --slurm: wait for the array and report the cases")
    p.add_argument("--dry-run", action="store_true", help="write the case folders and print the command only")
    p.add_argument("--max-cases", type=_positive_int, default=10_000,
                   help="refuse a sweep of more cases than this (default 10000)")
    p.set_defaults(run=_sweep)

    p = commands.add_parser("budget", help="face flow and aquifer water budget of every snapshot as CSV")
    p.add_argument("case")
    p.add_argument("-o", "--output", help="CSV file (default: NAME-budget.csv here)")
    p.add_argument("--results", help="folder of the result files (default: the case folder)")
    p.add_argument("--force", action="store_true", help="use results whose input changed after the run")
    p.set_defaults(run=_budget)

    p = commands.add_parser("converge", help="run a case at shorter element lengths (and grid spacings) and "
                                              "assess the convergence of its key results")
    p.add_argument("case")
    p.add_argument("-o", "--output", help="folder of the levels and the results (default: NAME-converge here)")
    p.add_argument("--levels", type=_positive_int, default=3, help="number of levels (default 3)")
    p.add_argument("--ratio", type=float, default=2.0, help="refinement ratio between levels (default 2)")
    p.add_argument("--refine", action="append", choices=["L_ELEM", "DX_ND"],
                   help="value divided by the ratio at each level (default L_ELEM); repeatable")
    p.add_argument("--set", action="append", metavar="NAME=VALUE", help="change an input value at every level")
    p.add_argument("--compare", action="append", metavar="NAME=VALUE",
                   help="also run every level with this change (e.g. Q_WELL=0) and assess the effect on the bed")
    p.add_argument("--tolerance", type=float, default=5.0, help="percent left that counts as converged (default 5)")
    p.add_argument("--tidmor", help="tidmor executable (default: $TIDMOR, build/tidmor, PATH)")
    p.add_argument("-j", "--jobs", type=_positive_int, help="levels at a time on each host (default 1)")
    p.add_argument("--sshlogin", action="append", help="run on this host over ssh (as for sweep); repeatable")
    p.add_argument("--slurm", action="store_true", help="run the levels as a Slurm job array")
    p.add_argument("--partition", help="Slurm partition")
    p.add_argument("--wait", action="store_true", help="with --slurm: wait for the array (else run again later)")
    p.add_argument("--timeout", type=float, default=0.0, help="seconds a level may take (default: no limit)")
    p.set_defaults(run=_converge)

    p = commands.add_parser("summary", help="one CSV table of the cases of a sweep folder")
    p.add_argument("sweep", help="sweep folder")
    p.add_argument("-o", "--output", help="CSV file (default: SWEEP/summary.csv)")
    p.set_defaults(run=_summary)
    return parser


def main(argv=None):
    args = build_parser().parse_args(argv)
    # The command line only writes image files: a backend without a display, chosen before any figure.
    import matplotlib
    matplotlib.use("Agg")

    def show(message, category, filename, lineno, file=None, line=None):
        print(f"tidmor-tools: warning: {message}", file=sys.stderr)

    warnings.showwarning = show
    warnings.simplefilter("always", TidmorFieldWarning)
    warnings.simplefilter("always", TidmorProvenanceWarning)
    try:
        return args.run(args)
    except (BadInput, FileNotFoundError) as error:
        print(f"tidmor-tools: {error}", file=sys.stderr)
        return 2
    except OSError as error:
        # A file or folder the tools were told to write or read that the system refuses.
        where = f"{error.filename}: " if error.filename else ""
        print(f"tidmor-tools: {where}{error.strerror or error}", file=sys.stderr)
        return 2
