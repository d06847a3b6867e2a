#!/usr/bin/env python3
"""The floors of the game's code, and a check that every include points down them.

Usage: include_graph_check.py SOURCE_DIR

Reads every #include "..." of src/, tools/, tests/, bench/ and fuzz/ and fails, naming the
file, its line and the include, when one points up a floor or sideways to another part of
the same floor, when headers include each other in a circle, when a quoted include names no
file, when code outside src/platform/ includes libpng or libjpeg, or when code that ships
without SDL (src/ and tools/, but for src/platform/Sdl* and the game's main) includes SDL or
an SDL header of the platform.
"""
import os
import re
import sys

# Lowest first. A file belongs to the part with the longest matching prefix; it may include
# its own part and any part of a lower floor, nothing else.
FLOORS = [
    ("services", ["src/graphics/", "src/input/", "src/sound/"]),
    ("definitions", ["src/definitions/"]),
    ("world", ["src/world/"]),
    ("actors", ["src/actors/"]),
    ("game", ["src/game/"]),
    ("platform", ["src/platform/"]),
    ("app", ["src/app/"]),
    ("tools", ["tools/"]),
    ("benchmarks and fuzzing", ["bench/", "fuzz/"]),
    ("tests", ["tests/"]),
]

# Where quoted includes are looked up after the including file's own directory.
INCLUDE_ROOTS = ["src", ".", "tools", "tests", "bench"]

SCANNED = ["src", "tools", "tests", "bench", "fuzz"]
SOURCE_SUFFIXES = (".h", ".cpp")

QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
IMAGE_LIBRARY = re.compile(r'^\s*#\s*include\s*[<"](png\.h|jpeglib\.h)[">]')
SDL_INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]((SDL2/)?SDL[^">]*|platform/Sdl[^">]*)[">]')


def without_sdl(path):
    """Whether the file is built into marrowgast_core or a tool, which link no SDL."""
    in_sdl_library = path.startswith("src/platform/Sdl") or path == "src/app/main.cpp"
    return path.startswith(("src/", "tools/")) and not in_sdl_library


def part_of(path):
    """(floor index, floor name, part prefix) of a path relative to the source tree."""
    best = None
    for index, (name, prefixes) in enumerate(FLOORS):
        for prefix in prefixes:
            if path.startswith(prefix) and (best is None or len(prefix) > len(best[2])):
                best = (index, name, prefix)
    return best


def source_files(root):
    for top in SCANNED:
        for directory, subdirectories, names in os.walk(os.path.join(root, top)):
            subdirectories[:] = sorted(d for d in subdirectories if d != "data")
            for name in sorted(names):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.relpath(os.path.join(directory, name), root)


def resolve(root, including, named):
    candidates = [os.path.join(os.path.dirname(including), named)]
    candidates += [os.path.join(base, named) for base in INCLUDE_ROOTS]
    for candidate in candidates:
        if os.path.isfile(os.path.join(root, candidate)):
            return os.path.normpath(candidate)
    return None


def find_circle(graph):
    """One circle of includes as a list of files, or None."""
    state = {}
    trail = []

    def visit(node):
        state[node] = "open"
        trail.append(node)
        for _, target in graph.get(node, []):
            if state.get(target) == "open":
                return trail[trail.index(target):] + [target]
            if target not in state:
                found = visit(target)
                if found:
                    return found
        trail.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main(argv):
    if len(argv) != 2:
        print("usage: include_graph_check.py SOURCE_DIR", file=sys.stderr)
        return 2
    root = argv[1]
    problems = []
    graph = {}
    files = 0
    for path in source_files(root):
        files += 1
        here = part_of(path)
        if here is None:
            problems.append(f"{path}: on no floor; add its directory to FLOORS")
            continue
        graph.setdefault(path, [])
        with open(os.path.join(root, path), encoding="utf-8") as text:
            for number, line in enumerate(text, 1):
                if IMAGE_LIBRARY.match(line) and path.startswith("src/") and not path.startswith("src/platform/"):
                    problems.append(f"{path}:{number}: {line.strip()}: the image libraries belong to src/platform/")
                if SDL_INCLUDE.match(line) and without_sdl(path):
                    problems.append(f"{path}:{number}: {line.strip()}: SDL belongs to src/platform/Sdl* and the "
                                    "game's main: the rest links no SDL")
                match = QUOTED.match(line)
                if not match:
                    continue
                named = match.group(1)
                target = resolve(root, path, named)
                if target is None:
                    problems.append(f'{path}:{number}: #include "{named}" names no file')
                    continue
                graph[path].append((number, target))
                there = part_of(target)
                if there is None:
                    problems.append(f'{path}:{number}: #include "{named}" reaches {target}, on no floor')
                elif there[0] > here[0]:
                    problems.append(f'{path}:{number}: #include "{named}" points up, from {here[1]} to '
                                    f"{there[1]}")
                elif there[0] == here[0] and there[2] != here[2]:
                    problems.append(f'{path}:{number}: #include "{named}" points sideways, from '
                                    f"{here[2]} to {there[2]} on the {here[1]} floor")
    circle = find_circle(graph)
    if circle:
        problems.append("headers include each other in a circle: " + " -> ".join(circle))
    if problems:
        print("\n".join(problems))
        print(f"{len(problems)} include problem{'s' if len(problems) != 1 else ''}")
        return 1
    print(f"{files} files, every include points down: "
          + " <- ".join(name for name, _ in FLOORS))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
