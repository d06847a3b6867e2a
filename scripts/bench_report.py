#!/usr/bin/env python3
"""Writes docs/PERFORMANCE.md from marrowgast_bench's JSON results (see scripts/bench.sh)."""
import json
import platform
import re
import subprocess
import sys

results_file, report_file, load_before, load_after = sys.argv[1:5]
# An optional second results file: the window benchmark, run under a virtual X display.
extra_files = [f for f in sys.argv[5:] if f]
with open(results_file) as f:
    results = json.load(f)
context = results["context"]
for extra in extra_files:
    try:
        with open(extra) as f:
            results["benchmarks"] += json.load(f)["benchmarks"]
    except FileNotFoundError:
        pass

UNIT = {"ns": 1e-9, "us": 1e-6, "ms": 1e-3, "s": 1.0}
bench = {}
for run in results["benchmarks"]:
    # The median of the repetitions, or the single run when there were none.
    if run.get("run_type") == "aggregate" and run.get("aggregate_name") != "median":
        continue
    name = run["run_name"].split("/iterations:")[0].removesuffix("/real_time").removesuffix("/manual_time")
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
frame_rows = []  # the frames table: every variant of every room and size side by side
pixels_changed = 0
for size in ("640x480", "1024x768"):
    for room in render_rooms:
        name = f"render/{room}/{size}"
        base = f"render_baseline/{room}/{size}"
        if name not in bench or base not in bench:
            continue
        t, b = seconds(name), seconds(base)
        game = bench[name]
        copies = game.get("copies", 0)
        if size == "1024x768":
            rows.append((f"renderWorld, {room}, {size} ({copies:.0f} copies)", f"{t * 1e3:.3f} ms",
                         "≤ 0.35 × today's copies", f"{b * 1e3:.3f} ms", f"{t / b:.2f}", verdict(t / b <= 0.35)))
        allocs = game.get("allocs_per_frame", 0.0)
        if allocs:
            rows.append((f"Heap allocations per frame, {room}, {size}", f"{allocs:g}", "0", "", "", verdict(False)))
        pixels_changed += game.get("pixels_unlike_the_device", 0)
        cells = [f"{room}, {size}", f"{t * 1e3:.3f} ms", f"{b * 1e3:.3f} ms"]
        for variant in ("render_opaque_unblended", "render_full_copy"):
            other = f"{variant}/{room}/{size}"
            cells.append(f"{seconds(other) * 1e3:.3f} ms ({seconds(other) / b:.2f})" if other in bench else "")
        cells += [f"{t / b:.2f}", f"{game.get('live_pass0_objects', 0):.0f}",
                  f"{game.get('pixels_unlike_the_device', 0):.0f}"]
        frame_rows.append(cells)
frames_allocating = any(bench[n].get("allocs_per_frame", 0.0) for n in bench if n.startswith("render/"))
if render_rooms:
    rows.append(("Heap allocations per frame, every room and size", "0" if not frames_allocating else "see above",
                 "0", "", "", verdict(not frames_allocating)))
    rows.append(("Pixels unlike the device's, every room and size, along a walk",
                 f"{pixels_changed:.0f}", "0", "", "", verdict(pixels_changed == 0)))

crowd_rows = (("render_1000_objects/headless/1024x768", "headless device", False),
              ("render_1000_objects/window/1024x768", "window under Xvfb", True))
for name, where, real in crowd_rows:
    if name not in bench:
        if real:
            notes.append("The window was not timed in this run (scripts/bench.sh times it only where xvfb-run is "
                         "installed), so its budget is not shown as met.")
            rows.append((f"Frames per second, 1,000-object room, 1024x768, {where}", "not measured", "≥ 60", "", "",
                         verdict(False)))
        continue
    run = bench[name]
    fps = 1.0 / seconds(name, real=real)
    rows.append((f"Frames per second, 1,000-object room, 1024x768, {where} ({run.get('objects', 0):.0f} objects)",
                 f"{fps:,.0f}", "≥ 60", "", "", verdict(fps >= 60)))
    game_allocs = run.get("allocs_per_frame", 0.0)
    shown_allocs = run.get("allocs_per_frame_shown", 0.0)
    if real:
        rows.append((f"Heap allocations per frame, 1,000-object room, {where}, the game's step and frame",
                     f"{game_allocs:g}", "0", "", "", verdict(game_allocs == 0)))
        notes.append(f"In the window, showing the frame (SDL's upload and present) made {shown_allocs:.2f} C++ "
                     "allocations a frame, counted apart from the game's own step and frame: they are the "
                     "OpenGL driver's (Mesa's llvmpipe building its shaders through LLVM, as a debugger shows), "
                     "not the game's.")
    else:
        total = game_allocs + shown_allocs
        rows.append((f"Heap allocations per frame, 1,000-object room, {where}", f"{total:g}", "0", "", "",
                     verdict(total == 0)))

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

# The room editor starts both ways of a room as two marrowgast-solve processes after every change (with
# its options: the room as a file, --lines, --keys-out): the answer of both, with their windows, is due
# within 2 s of wall-clock time on a 2-core machine.
for name in sorted(n for n in bench if n.startswith("solve/both_ways/")):
    room = name.rsplit("/", 1)[1]
    t = seconds(name, real=True)
    rows.append((f"Solver, {room}, both ways with windows as two processes at once, as the room editor runs them (wall clock)", f"{t:.2f} s",
                 "≤ 2 s", "", "", verdict(t <= 2.0)))
    for way in ("east", "west"):
        one = f"solve/{room}/{way}"
        if one in bench:
            run = bench[one]
            rows.append((f"Solver, {room} {way} alone ({run.get('states', 0):,.0f} states, crossed in "
                         f"{run.get('steps', 0):.0f} steps, tightest window {run.get('window', 0):.0f})",
                         f"{seconds(one):.2f} s", "", "", "", ""))

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
    "leaves out time other processes took on the shared cores); the replay's, and the solver's two processes "
    "at once, are wall-clock time.",
    "- Frames: the game composes each frame on the CPU and keeps the platforms that nothing covers per room "
    "and size. Baseline (today's copies): SDL's software renderer on a surface with a back-buffer target, as "
    "the headless device was made before, doing the same clear, fills and copies (same images, rectangles and "
    "tints) that the game's frame stands for, every image blended, with no game code around it. "
    "Ratio = game / baseline.",
    "- Frames per second in the window are wall-clock (they include showing the frame on the X display); "
    "headless they are the process's CPU time.",
    "",
    "| Figure | Measured | Budget | Baseline | Ratio | Budget met |",
    "|---|---|---|---|---|---|",
]
for row in rows:
    lines.append("| " + " | ".join(row) + " |")
if frame_rows:
    lines += [
        "",
        "## Frames side by side",
        "",
        "The same frame of each room (the player at its entry point), drawn by the game and by SDL's software "
        "renderer doing the copies the frame stands for: every image blended (today's copies), only images with "
        "transparency blended, and one full-frame copy as the floor (in brackets: against today's copies). "
        "SDL's copies are the same runs of texels, so their pixels differ from the device's (SDL rounds its "
        "blends and spreads stretched texels its own way); they are only a measure of time. "
        "Along a 1,200-step walk, a frame every 20 steps (60 frames) is compared with a plain model of the device "
        "drawing the same quads (pixel centres at whole coordinates, the texel at each centre, blends rounded to "
        "nearest): every pixel must be equal.",
        "",
        "| Room, size | Game | Today's copies | Opaque unblended | One full-frame copy | Game / today's "
        "| Objects drawn every frame in pass 0 | Pixels unlike the device's (60 frames) |",
        "|---|---|---|---|---|---|---|---|",
    ]
    for cells in frame_rows:
        lines.append("| " + " | ".join(cells) + " |")
if notes:
    lines += ["", "Notes:", ""] + [f"- {n}" for n in notes]
lines.append("")
with open(report_file, "w") as f:
    f.write("\n".join(lines))
