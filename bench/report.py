#!/usr/bin/env python3
"""Prints the benchmark table from run.sh's files.

    report.py META RESULTS

META: tab-separated key/value lines about the machine and run; RESULTS: one line per run
(size, case, rep, seconds, peak_kb, status, note).
"""

import statistics
import sys
from collections import defaultdict

# case -> (label, matching baseline A case or None)
CASES = {
    "a-insert": ("baseline A insert", None),
    "a-update": ("baseline A update", None),
    "b-isql": ("baseline B isql script", None),
    "append-delimited": ("delimited append", "a-insert"),
    "append-fixed": ("fixed-width append", "a-insert"),
    "append-html": ("HTML table append", "a-insert"),
    "append-xml": ("XML records append", "a-insert"),
    "appendupdate": ("append/update, half present", "a-update"),
    "update": ("update", "a-update"),
    "delete": ("delete", None),
    "script": ("script mode (--script)", "a-insert"),
    "append-large": ("append onto a 10x table", "a-insert"),
    "tcp-a-insert": ("TCP: baseline A insert", None),
    "tcp-a-update": ("TCP: baseline A update", None),
    "tcp-batch": ("TCP: batched, 100 rows a trip", None),
    "tcp-append": ("TCP: delimited append", "tcp-a-insert"),
    "tcp-appendupdate": ("TCP: append/update, half", "tcp-a-update"),
    "tcp-update": ("TCP: update", "tcp-a-update"),
}
BASELINES = ("a-insert", "a-update", "b-isql", "tcp-a-insert", "tcp-a-update", "tcp-batch")


def read_meta(path):
    meta, file_bytes = {}, {}
    with open(path) as f:
        for line in f:
            parts = line.rstrip("\n").split("\t")
            if parts[0] == "file_bytes":
                file_bytes[int(parts[1])] = int(parts[2])
            elif len(parts) >= 2:
                meta[parts[0]] = parts[1]
    return meta, file_bytes


def read_results(path):
    runs = defaultdict(list)  # (size, case) -> [(seconds, peak_kb, status, note)]
    with open(path) as f:
        next(f)
        for line in f:
            size, case, _rep, seconds, peak, status, note = line.rstrip("\n").split("\t")
            runs[(int(size), case)].append((float(seconds), int(peak or 0), status, note))
    return runs


def summarise(runs, size, case):
    """None when the case was not run; a dict with 'failed' set when a run went wrong."""
    r = runs.get((size, case))
    if not r:
        return None
    bad = [x for x in r if x[2] != "ok"]
    if bad:
        return {"failed": bad[0][3] or "failed"}
    times = [x[0] for x in r]
    # A run too short for the clock still gets a finite speed.
    speeds = [size / max(t, 1e-3) for t in times]
    return {
        "failed": None,
        "time": statistics.median(times),
        "speed": statistics.median(speeds),
        "min": min(speeds),
        "max": max(speeds),
        "peak_mb": max(x[1] for x in r) / 1024,
        "runs": len(r),
    }


def n(x):
    return f"{x:,.0f}"


def ratio(a, b):
    if not a or not b or a["failed"] or b["failed"]:
        return None
    return a["speed"] / b["speed"]


def fmt_ratio(x):
    return "-" if x is None else f"{x:.2f}"


def main():
    meta, file_bytes = read_meta(sys.argv[1])
    runs = read_results(sys.argv[2])
    sizes = sorted({size for size, _ in runs})
    cases = [c for c in CASES if any((s, c) in runs for s in sizes)]
    summary = {(s, c): summarise(runs, s, c) for s in sizes for c in cases}

    print()
    print(f"Ferrovane load benchmark, {meta.get('date', '?')}, {meta.get('host', '?')}: "
          f"{meta.get('cpu', '?')}, {meta.get('memory', '?')}")
    print(f"{meta.get('firebird', '?')} (embedded); commit {meta.get('commit', '?')}, ferrovane-import {meta.get('binary', '?')}")
    print(f"{meta.get('reps', '?')} runs per case; load average {meta.get('load_start', '?')} at the start, "
          f"{meta.get('load_end', '?')} at the end")
    if int(meta.get("reps", "0")) < 3:
        print("FEWER THAN 3 RUNS PER CASE: a check that the bench works, not a measurement.")
    print("rows/s: median of the runs (slowest-fastest); peak MB: largest resident set of the runs;")
    print("xA: Ferrovane's median rows/s over baseline A's (insert for appends and script mode,")
    print("update for update and append/update; over TCP, baseline A over TCP); xB: over baseline B's")
    print("(embedded only). TCP: a private server on a loopback port, the same machine.")

    for s in sizes:
        size_mb = file_bytes.get(s, 0) / 2**20
        print()
        print(f"{n(s)} rows (delimited file {size_mb:.1f} MB)")
        print(f"  {'case':<30}{'median s':>9}  {'rows/s median (min-max)':<32}{'peak MB':>8}{'xA':>7}{'xB':>7}")
        for c in cases:
            label, base = CASES[c]
            x = summary[(s, c)]
            if x is None:
                continue
            if x["failed"]:
                print(f"  {label:<30}  FAILED: {x['failed']}")
                continue
            speeds = f"{n(x['speed'])} ({n(x['min'])}-{n(x['max'])})"
            xa = xb = ""
            if c not in BASELINES:
                xa = fmt_ratio(ratio(x, summary.get((s, base)))) if base else "-"
                xb = "-" if c.startswith("tcp-") else fmt_ratio(ratio(x, summary.get((s, "b-isql"))))
            print(f"  {label:<30}{x['time']:>9.2f}  {speeds:<32}{x['peak_mb']:>8.1f}{xa:>7}{xb:>7}")

    local_sizes = [x for x in sizes if any((x, c) in runs for c in CASES if not c.startswith("tcp-"))]
    tcp_sizes = [x for x in sizes if any((x, c) in runs for c in CASES if c.startswith("tcp-"))]
    if len(local_sizes) > 1:
        lo, hi = local_sizes[0], local_sizes[-1]
        print()
        print(f"Growth: median time at {n(hi)} rows over median time at {n(lo)} rows "
              f"(linear would be {hi / lo:.0f})")
        for c in cases:
            a, b = summary[(lo, c)], summary[(hi, c)]
            if a and b and not a["failed"] and not b["failed"]:
                print(f"  {CASES[c][0]:<30}{b['time'] / a['time']:>7.1f}")

    # The load goals, read off the largest size measured of each kind.
    s = local_sizes[-1] if local_sizes else sizes[-1]
    get = lambda c: summary.get((s, c))
    t = tcp_sizes[-1] if tcp_sizes else None
    get_tcp = lambda c: summary.get((t, c))
    checks = []

    def check(text, value, goal, fmt="{:.2f}"):
        if value is not None:
            checks.append((text, fmt.format(value), "met" if value >= goal else "NOT met"))

    check("delimited append >= 0.75 x baseline A insert", ratio(get("append-delimited"), get("a-insert")), 0.75)
    check("delimited append >= 3 x baseline B", ratio(get("append-delimited"), get("b-isql")), 3)
    check("append/update >= 0.5 x baseline A update", ratio(get("appendupdate"), get("a-update")), 0.5)
    check("update >= 0.5 x baseline A update", ratio(get("update"), get("a-update")), 0.5)
    check("script mode >= 2 x delimited append", ratio(get("script"), get("append-delimited")), 2)
    if len(local_sizes) > 1 and local_sizes[-1] == 10 * local_sizes[0]:
        for c in ("append-delimited", "appendupdate", "update"):
            a, b = summary.get((local_sizes[0], c)), summary.get((local_sizes[-1], c))
            if a and b and not a["failed"] and not b["failed"]:
                growth = b["time"] / a["time"]
                checks.append((f"{CASES[c][0]}: time x10 rows <= 11 x", f"{growth:.1f}",
                               "met" if growth <= 11 else "NOT met"))
    # Appending onto a table ten times the rows costs what appending to an empty one does.
    for size in local_sizes:
        big, empty = summary.get((size, "append-large")), summary.get((size, "append-delimited"))
        if big and empty and not big["failed"] and not empty["failed"]:
            for what, unit in (("time", "s"), ("peak_mb", "MB")):
                r = big[what] / empty[what]
                checks.append((f"append onto a 10x table, {what.replace('peak_mb', 'peak')} <= 1.1 x empty ({n(size)})",
                               f"{r:.2f}", "met" if r <= 1.1 else "NOT met"))
    for size in local_sizes:
        u = summary.get((size, "update"))
        if size >= 1_000_000 and u and not u["failed"]:
            checks.append((f"update peak <= 300 MB ({n(size)} rows)", f"{u['peak_mb']:.0f} MB",
                           "met" if u["peak_mb"] <= 300 else "NOT met"))
        d = summary.get((size, "append-delimited"))
        if size >= 10_000_000 and d and not d["failed"]:
            checks.append((f"delimited append peak <= 200 MB ({n(size)} rows)", f"{d['peak_mb']:.0f} MB",
                           "met" if d["peak_mb"] <= 200 else "NOT met"))
    if t is not None:
        check(f"TCP ({n(t)} rows): append >= 5 x baseline A over TCP", ratio(get_tcp("tcp-append"), get_tcp("tcp-a-insert")), 5)
        check(f"TCP ({n(t)} rows): append >= 0.75 x batched baseline", ratio(get_tcp("tcp-append"), get_tcp("tcp-batch")), 0.75)
        check(f"TCP ({n(t)} rows): append/update >= 3 x baseline A update",
              ratio(get_tcp("tcp-appendupdate"), get_tcp("tcp-a-update")), 3)
        check(f"TCP ({n(t)} rows): update >= 3 x baseline A update", ratio(get_tcp("tcp-update"), get_tcp("tcp-a-update")), 3)
    d = get("append-delimited")
    if d and not d["failed"] and s in file_bytes:
        allowed = 3 * file_bytes[s] / 2**20 + 100
        checks.append((f"delimited append peak <= 3 x file + 100 MB ({allowed:.0f} MB)", f"{d['peak_mb']:.0f} MB",
                       "met" if d["peak_mb"] <= allowed else "NOT met"))
    if checks:
        print()
        print(f"Goals at {n(s)} rows" + ("" if s >= 100_000 else " (a quick run: the goals are set for 100,000 and more)"))
        for text, value, verdict in checks:
            print(f"  {text:<56}{value:>10}  {verdict}")
    print()


if __name__ == "__main__":
    main()
