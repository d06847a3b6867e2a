#!/usr/bin/env python3
"""Writes docs/PERFORMANCE.md from marrowgast_bench's JSON results (see scripts/bench.sh)."""
import json
import platform
import re
import subprocess
import sys

results_file, report_file, load_before, load_after = sys.argv[1:5]
with open(results_file) as f:
    results = json.load(f)
context = results["context"]

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
bench = {}
for run in results["benchmarks"]:
    # The median of the repetitions, or the single run when there were none.
    if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
        continue
    name = run["run_name"].split("/iterations:")[0]
    if run.get("run_type") == "aggregate" or name not in bench:
        bench[name] = run


def seconds(name, real=False):
    run = bench[name]
    return run["real_time" if real else "cpu_time"] * UNIT[run["time_unit"]]


def verdict(ok):
    return "met" if ok else "**not met**"


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def git_commit():
    try:
        return subprocess.run(["git", "rev-parse", "--short", "HEAD"], capture_output=True, text=True,
                              check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "unknown"


rows = []  # (figure, measured, budget, baseline, ratio, verdict)
notes = []

busiest = bench.get("simulation/busiest_room")
if busiest:
    rate = 1.0 / seconds("simulation/busiest_room")
    rows.append(("Steps per second, busiest room, no drawing", f"{rate:,.0f}", "≥ 2,000,000", "", "",
                 verdict(rate >= 2_000_000)))
    allocs = busiest.get("allocs_per_step", 0.0)
    rows.append(("Heap allocations per step, busiest room", f"{allocs:g}", "0", "", "", verdict(allocs == 0)))
    if busiest.get("reentries", 0):
        notes.append(f"The walk left the busiest room {busiest['reentries']:.0f} times in the median run; each "
                     "time the player was put back into it off the clock, so every timed step is play in that "
                     "room. Deaths (curtain steps, which move nothing) in that run: "
                     f"{busiest.get('deaths', 0):.0f}.")

synthetic = sorted((int(n.rsplit("/", 1)[1]), n) for n in bench if n.startswith("simulation/synthetic/"))
per_object = []
for objects, name in synthetic:
    t = seconds(name)
    per_object.append(t / objects)
    rows.append((f"Time per step, synthetic room of {objects} objects", f"{t * 1e9:,.0f} ns "
                 f"({t * 1e9 / objects:.1f} ns per object)", "linear in objects", "", "", ""))
if len(per_object) >= 2:
    spread = max(per_object) / min(per_object)
    rows.append(("Cost per object, largest over smallest (synthetic rooms)", f"{spread:.2f}", "≤ 1.5 (linear)", "",
                 "", verdict(spread <= 1.5)))

render_rooms = sorted({n.split("/")[1] for n in bench if n.startswith("render/")})
for size in ("640x480", "1024x768"):
    for room in render_rooms:
        name = f"render/{room}/{size}"
        base = f"render_baseline/{room}/{size}"
        if name not in bench or base not in bench:
            continue
        t, b = seconds(name), seconds(base)
        copies = bench[name].get("copies", 0)
        if size == "1024x768":
            budget, ok = "≤ 2 ms and ≤ 1.2 × baseline", t <= 0.002 and t / b <= 1.2
        else:
            budget, ok = "", None
        rows.append((f"renderWorld, {room}, {size} ({copies:.0f} copies)", f"{t * 1e3:.3f} ms",
                     budget, f"{b * 1e3:.3f} ms", f"{t / b:.2f}", verdict(ok) if ok is not None else ""))
        allocs = bench[name].get("allocs_per_frame", 0.0)
        if allocs:
            rows.append((f"Heap allocations per frame, {room}, {size}", f"{allocs:g}", "0", "", "", verdict(False)))
frames_allocating = any(bench[n].get("allocs_per_frame", 0.0) for n in bench if n.startswith("render/"))
if render_rooms:
    rows.append(("Heap allocations per frame, every room and size", "0" if not frames_allocating else "see above",
                 "0", "", "", verdict(not frames_allocating)))

if "startup/load_world_cold" in bench:
    t = seconds("startup/load_world_cold")
    decoded = bench["startup/load_world_cold"].get("images_decoded", 0)
    rows.append((f"loadWorld, cold cache ({decoded:.0f} images decoded)", f"{t * 1e3:.2f} ms", "≤ 100 ms", "", "",
                 verdict(t <= 0.1)))
if "startup/enter_1000_robots" in bench:
    t = seconds("startup/enter_1000_robots")
    rows.append(("Entering a room of 1,000 robots, warm cache", f"{t * 1e3:.2f} ms", "≤ 5 ms", "", "",
                 verdict(t <= 0.005)))
for name in sorted(n for n in bench if n.startswith("startup/room_change_warm/")):
    t = seconds(name)
    rows.append((f"Room change, warm cache, {name.rsplit('/', 1)[1]}", f"{t * 1e3:.3f} ms", "≤ 5 ms", "", "",
                 verdict(t <= 0.005)))

for name in sorted(n for n in bench if n.startswith("snapshot/save_restore/")):
    room = name.rsplit("/", 1)[1]
    t = seconds(name)
    rows.append((f"World snapshot saved and restored, {room}", f"{t * 1e9:,.0f} ns", "≤ 2 µs", "", "",
                 verdict(t <= 2e-6)))
    node = f"snapshot/search_node/{room}"
    if node in bench:
        rows.append((f"Search node (restore, one step, save, hash), {room}", f"{seconds(node) * 1e9:,.0f} ns", "",
                     "", "", ""))

replay = bench.get("memory/replay_100000_steps")
if replay:
    peak = replay.get("peak_MB", 0.0)
    rows.append(("Peak resident memory, 100,000-step replay", f"{peak:.1f} MB", "≤ 40 MB", "", "",
                 verdict(0 < peak <= 40)))
    replay_rate = replay.get("replay_steps_per_second", 0.0)
    rows.append(("marrowgast-replay's own steps per second (the same walk from the same room)", f"{replay_rate:,.0f}", "", "",
                 "", ""))
    curtain = replay.get("replay_curtain_steps", 0.0)
    notes.append("marrowgast-replay times its whole run in wall-clock time and follows the walk wherever it "
                 f"leads: {curtain:,.0f} of its 100,000 steps ran behind the curtain (a death or a room change), "
                 "where nothing moves. Its figure is therefore not expected to equal the benchmark's CPU-time "
                 "figure for play in one room; it is shown so that a large gap stands out.")

lines = [
    "# Performance",
    "",
    "Written by `scripts/bench.sh` from the benchmarks under `bench/`; do not edit by hand, run the script.",
    "",
    f"- Date: {context.get('date', '')}",
    f"- Commit: {git_commit()}",
    f"- Machine: {cpu_model()}, {context.get('num_cpus', '?')} cores at {context.get('mhz_per_cpu', '?')} MHz, "
    f"{platform.system()} {platform.release()}",
    f"- Load average (1, 5, 15 min): {load_before} before the run, {load_after} after; the machine is shared",
    f"- Busiest bundled room: {context.get('busiest_room', '?')}",
    "- Times are the median over the repetitions of CPU time (the benchmark process's own time, which "
    "leaves out time other processes took on the shared cores); the replay's is wall-clock time.",
    "- Baseline: SDL's software renderer on a surface with a back-buffer target, as the headless device is made, "
    "doing the same clear, fills and copies (same images, rectangles and tints) that the game's frame asked "
    "for, with no game code around it. Ratio = game / baseline.",
    "",
    "| Figure | Measured | Budget | Baseline | Ratio | Budget met |",
    "|---|---|---|---|---|---|",
]
for row in rows:
    lines.append("| " + " | ".join(row) + " |")
if notes:
    lines += ["", "Notes:", ""] + [f"- {n}" for n in notes]
lines.append("")
with open(report_file, "w") as f:
    f.write("\n".join(lines))
