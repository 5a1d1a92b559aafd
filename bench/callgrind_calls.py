#!/usr/bin/python3
"""Calls and inclusive instructions of chosen functions in a callgrind output.

    callgrind_calls.py CALLGRIND_OUT NAME_PREFIX...

For every function whose name starts with one of the prefixes (an
anonymous namespace written {anonymous}), prints the
number of calls, the instructions spent in them (callees included), the
instructions per call and the share of the whole run. A function counts
only its calls from outside itself (a recursion would be counted twice).
"""
import re
import sys


def read(path):
    names = {}            # compressed id -> name
    calls, inclusive = {}, {}
    total = 0
    current = None
    pending = None        # callee of the calls= line just read
    with open(path) as f:
        for line in f:
            line = line.rstrip("\n")
            if pending is not None:
                inclusive[pending] = inclusive.get(pending, 0) + int(line.split()[-1])
                pending = None
                continue
            m = re.match(r"(c?fn)=\((\d+)\)(?: (.*))?$", line)
            if m:
                kind, ident, name = m.groups()
                if name is not None:
                    names[ident] = name
                if kind == "fn":
                    current = names[ident]
                else:
                    callee = names[ident]
                continue
            if line.startswith("calls="):
                count = int(line[6:].split()[0])
                if callee != current:
                    calls[callee] = calls.get(callee, 0) + count
                    pending = callee
                else:
                    pending = None
                    next(f)
                continue
            m = re.match(r"summary: (\d+)", line) or re.match(r"totals: (\d+)", line)
            if m:
                total = int(m.group(1))
    return calls, inclusive, total


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: callgrind_calls.py CALLGRIND_OUT NAME_PREFIX...")
    calls, inclusive, total = read(sys.argv[1])
    print(f"{'function':<44} {'calls':>12} {'instructions':>14} {'per call':>9} {'share':>7}")
    readable = {n: n.replace("(anonymous namespace)", "{anonymous}") for n in calls}
    for prefix in sys.argv[2:]:
        for name in sorted(n for n in calls if readable[n].startswith(prefix)):
            short = re.sub(r"\(.*", "", readable[name])
            n, ir = calls[name], inclusive.get(name, 0)
            share = 100.0 * ir / total if total else 0.0
            print(f"{short:<44} {n:>12,} {ir:>14,} {ir / n:>9.1f} {share:>6.1f}%")


if __name__ == "__main__":
    main()
