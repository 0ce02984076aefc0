#!/usr/bin/env python3
"""The detailed layout against Graphviz dot on the same networks.

    bench/compare_dot.py [BUILD_DIR] [WORKS...]   (default build/release; 60 200 400)

crossing_table lays out generated project-like schemes (three seeds a size)
and writes each network for dot, every link once, dot free to rank it. dot
lays each out (dot -v -Tplain; graphviz is a tool of this script only). Its
crossings come from its own log ("mincross G: N crossings"), its total link
length in ranks from the positions it writes (the ranks are its distinct
heights), its time from the log's network simplex and mincross times. Prints
a Markdown table: ours next to dot's, and their ratios.
"""
import re
import subprocess
import sys
import tempfile

build = sys.argv[1] if len(sys.argv) > 1 else "build/release"
sizes = sys.argv[2:] or ["60", "200", "400"]


def dot_layout(path):
    run = subprocess.run(["dot", "-v", "-Tplain", path], capture_output=True, text=True, check=True)
    log = run.stderr
    crossings = int(re.findall(r"mincross G: (\d+) crossings", log)[-1])
    secs = sum(float(t) for t in re.findall(r"network simplex: \d+ nodes \d+ edges \d+ iter ([\d.]+) sec", log)[:1])
    secs += float(re.findall(r"mincross G: \d+ crossings, ([\d.]+) secs", log)[-1])
    height = {}
    for line in run.stdout.splitlines():
        part = line.split()
        if part and part[0] == "node":
            height[part[1]] = float(part[3])
    levels = sorted(set(height.values()), reverse=True)
    rank = {n: levels.index(y) for n, y in height.items()}
    length = 0
    for line in open(path):
        m = re.match(r"(\w+) -> (\w+);", line)
        if m:
            length += rank[m.group(2)] - rank[m.group(1)]
    return length, crossings, secs * 1000


with tempfile.TemporaryDirectory() as out:
    ours = subprocess.run([f"{build}/bench/crossing_table", "--dot", out] + sizes,
                          capture_output=True, text=True, check=True).stdout.splitlines()[1:]
    print("| works | seed | length | dot's length | crossings | dot's crossings | crossings / dot "
          "| ranking ms | layout ms | dot ms |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for line in ours:
        n, seed, length, crossings, rank_ms, layout_ms, plain_ms = line.split()
        d_length, d_cross, d_ms = dot_layout(f"{out}/scheme-{n}-{seed}.dot")
        ratio = int(crossings) / d_cross if d_cross else float("nan")
        print(f"| {n} | {seed} | {length} | {d_length} | {crossings} | {d_cross} | {ratio:.2f} "
              f"| {rank_ms} | {layout_ms} | {d_ms:.0f} |", flush=True)
