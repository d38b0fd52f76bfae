#!/usr/bin/env python3
"""Summary of scaling_bench's JSON output: per family a table of the fastest
repetition's CPU time (the least disturbed by other load) against the file's
size, the least-squares line through it, and the
10^4-line write against its 5 ms target. Lines starting with "scaling:" are
the results bench/all.sh collects."""
import json
import sys
from collections import defaultdict


def fit(xs, ys):
    n = len(xs)
    mx, my = sum(xs) / n, sum(ys) / n
    sxx = sum((x - mx) ** 2 for x in xs)
    sxy = sum((x - mx) * (y - my) for x, y in zip(xs, ys))
    b = sxy / sxx if sxx else 0.0
    a = my - b * mx
    ss_tot = sum((y - my) ** 2 for y in ys)
    ss_res = sum((y - a - b * x) ** 2 for x, y in zip(xs, ys))
    return a, b, 1 - ss_res / ss_tot if ss_tot else 1.0


def main(path):
    data = json.load(open(path))
    best = {}
    for bm in data["benchmarks"]:
        if bm.get("run_type") == "aggregate":
            continue
        name = bm["run_name"]
        if name not in best or bm["cpu_time"] < best[name]["cpu_time"]:
            best[name] = bm
    rows = defaultdict(list)
    write = None
    for name, bm in best.items():
        if name.startswith("BM_write_session_lines"):
            write = bm
            continue
        family, n = name.rsplit("/", 1)
        rows[family].append((int(n), bm["lines"], bm["file_kB"], bm["cpu_time"], bm["real_time"]))
    for family, r in rows.items():
        r.sort()
        print(f"{family}:")
        print(f"  {'tracks':>6} {'lines':>7} {'kB':>8} {'CPU us':>9} {'wall us':>9} {'CPU us/100 kB':>14}")
        for n, lines, kb, cpu, wall in r:
            per = cpu / kb * 100 if kb > 50 else float("nan")
            print(f"  {n:>6} {lines:>7.0f} {kb:>8.1f} {cpu:>9.0f} {wall:>9.0f} {per:>14.0f}")
        a, b, r2 = fit([x[2] for x in r], [x[3] for x in r])
        big, mid = r[-1], next((x for x in r if x[0] == r[-1][0] // 2), None)
        ratio = ""
        if mid and mid[3] > 0:
            ratio = (f"; {big[0]} vs {mid[0]} tracks: size x{big[2] / mid[2]:.2f}, "
                     f"CPU time x{big[3] / mid[3]:.2f}")
        print(f"scaling: {family.replace('BM_', '')}: CPU = {a:.0f} us + {b * 1000:.2f} us per MB "
              f"(R^2 {r2:.3f}){ratio}; at {big[0]} tracks {big[1]:.0f} lines, {big[2]:.0f} kB, "
              f"{big[3] / 1000:.1f} ms")
    if write:
        print(f"scaling: write of a {write['lines']:.0f}-line placefile ({write['file_kB']:.0f} kB, real session "
              f"lines): {write['cpu_time'] / 1000:.2f} ms CPU, {write['real_time'] / 1000:.2f} ms wall "
              f"(target < 5 ms: {'met' if write['real_time'] < 5000 else 'NOT met'})")


if __name__ == "__main__":
    main(sys.argv[1])
