#!/usr/bin/env python3
"""Mutation testing for the game's own code: does the suite notice a changed line?

Usage: scripts/mutate.sh [COUNT] [SEED] [--from FILE] [--only PREFIX[,PREFIX...]] [--keep-going]

Picks COUNT mutants (default 30) of src/ with a seeded generator (default seed 1): relational,
arithmetic and logical operators swapped, a condition's negation dropped, true and false
swapped, a number changed, a statement removed. Each mutant is applied to a copy of the
tracked tree under build/mutate/tree, built there, and the whole suite run (stopping at the
first failure). A mutant that does not build is stillborn and not counted. Prints every
survivor and the score; the chosen mutants are written to build/mutate/mutants.txt, and
--from FILE runs exactly the mutants of such a file again (found by their line's text, so
they survive edits elsewhere in the file). --only draws from the files whose paths start with
one of the given prefixes (src/editorwindow/,src/platform/ImageFile.cpp): a look at one part.

A mutant whose build gives the very same object files as the unchanged tree's (the compiler
made the same machine code of it: a value written over before it is read, a sign of zero) is
equivalent: it cannot change what the program does, so it is not run and not counted; the
score is given over the mutants that built and over those that also changed the machine code.

A failure kills a mutant only when the failing test fails again run by itself: on a loaded
machine a test can fail at random, and such a failure would make the suite look sharper than it
is. A failure that does not come back runs the suite once more.

Files this build does not compile are not drawn from: the Windows side
(src/platform/system/Win32*) and the browser side (src/platform/system/Browser*). No test on
Linux can notice a change there, so such a mutant would only lower the score. (Since they were
left out, a seed draws other mutants than it did before.)
"""

import hashlib
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WORK = os.path.join(ROOT, "build", "mutate")
TREE = os.path.join(WORK, "tree")
BUILD = os.path.join(WORK, "build")

# (kind, pattern, replacement); each match of a pattern in a line is one mutant.
OPERATORS = [
    ("relational", r"(?<= )<(?= )", "<="),
    ("relational", r"(?<= )<=(?= )", "<"),
    ("relational", r"(?<= )>(?= )", ">="),
    ("relational", r"(?<= )>=(?= )", ">"),
    ("relational", r"(?<= )==(?= )", "!="),
    ("relational", r"(?<= )!=(?= )", "=="),
    ("arithmetic", r"(?<= )\+(?= )", "-"),
    ("arithmetic", r"(?<= )-(?= )", "+"),
    ("arithmetic", r"(?<= )\*(?= )", "/"),
    ("arithmetic", r"(?<= )/(?= )", "*"),
    ("arithmetic", r"\+=", "-="),
    ("arithmetic", r"-=", "+="),
    ("arithmetic", r"\+\+(?=[A-Za-z_;)])|(?<=[A-Za-z_\]])\+\+", "--"),
    ("logical", r"(?<= )&&(?= )", "||"),
    ("logical", r"(?<= )\|\|(?= )", "&&"),
    ("negation", r"(?<=\()!(?=[A-Za-z_(])", ""),
    ("boolean", r"\btrue\b", "false"),
    ("boolean", r"\bfalse\b", "true"),
]
INTEGER = re.compile(r"(?<![\w.])(\d+)(?![\w.])")
FLOAT = re.compile(r"(?<![\w.])(\d+\.\d*)f\b")
STATEMENT = re.compile(
    r"^(\s*)(?!return\b|break\b|continue\b|case\b|default\b|delete\b|goto\b)"
    r"[A-Za-z_][\w:.\[\]>-]*(\(.*\)|\s*[-+*/|&]?=\s*[^=].*|\+\+|--);\s*$")
# Sources go back byte for byte even where a byte is not UTF-8; a test's output may hold any
# bytes and is only read for test names.
SOURCE_TEXT = {"encoding": "utf-8", "errors": "surrogateescape"}
OUTPUT_TEXT = {"text": True, "errors": "replace"}
STRING = re.compile(r'"(\\.|[^"\\])*"|\'(\\.|[^\'\\])*\'')


def tracked_files():
    out = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, check=True, capture_output=True).stdout
    return [name for name in out.decode().split("\0") if name]


def masked(line):
    """The line with strings blanked and any // comment cut, so patterns see only code."""
    text = STRING.sub(lambda m: '"' + " " * (len(m.group(0)) - 2) + '"', line)
    cut = text.find("//")
    return text if cut < 0 else text[:cut]


def candidate_lines(path):
    """Yields (index, line) for the lines of code worth mutating."""
    in_block = False
    with open(path, **SOURCE_TEXT) as f:
        for index, line in enumerate(f.read().split("\n")):
            stripped = line.strip()
            if in_block:
                in_block = "*/" not in stripped
                continue
            if stripped.startswith("/*"):
                in_block = "*/" not in stripped
                continue
            if (not stripped or stripped.startswith("//") or stripped.startswith("#")
                    or stripped.startswith("static_assert")):
                continue
            yield index, line


# The other platforms' halves of src/platform/system/: never compiled here.
OTHER_BUILDS = re.compile(r"^src/platform/system/(Win32|Browser)[^/]*$")


def built_here(name):
    return not OTHER_BUILDS.match(name)


def mutants_of(line):
    code = masked(line)
    found = []
    for kind, pattern, replacement in OPERATORS:
        for m in re.finditer(pattern, code):
            found.append((kind, line[:m.start()] + replacement + line[m.end():]))
    for m in INTEGER.finditer(code):
        value = int(m.group(1))
        found.append(("constant", line[:m.start()] + str(value + 1) + line[m.end():]))
    for m in FLOAT.finditer(code):
        value = float(m.group(1))
        changed = repr(value * 2 if value != 0 else 1.0)
        found.append(("constant", line[:m.start()] + changed + "f" + line[m.end():]))
    if STATEMENT.match(code) and not code.rstrip().endswith("{"):
        indent = STATEMENT.match(code).group(1)
        found.append(("removed", indent + ";"))
    return [(kind, new) for kind, new in found if new != line]


def all_mutants(files):
    result = []
    for name in files:
        for index, line in candidate_lines(os.path.join(TREE, name)):
            for kind, new in mutants_of(line):
                result.append((name, index, kind, line, new))
    return result


def copy_tree(files):
    # The copy mirrors the checkout: a file removed or moved since the last run must not stay
    # behind, where the build's globs would still compile it.
    tracked = set(files)
    changed = False
    if os.path.isdir(TREE):
        for directory, _, names in os.walk(TREE):
            for name in names:
                path = os.path.join(directory, name)
                if os.path.relpath(path, TREE) not in tracked:
                    os.remove(path)
                    changed = True
    # A copy takes the time it is made, not the checkout's: an edit older than the copy's last
    # build would otherwise look built already, and the suite run against the old test.
    for name in files:
        target = os.path.join(TREE, name)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        source = os.path.join(ROOT, name)
        if os.path.islink(source) or not os.path.isfile(source):
            continue
        if not os.path.exists(target):
            changed = True
            shutil.copy(source, target)
        elif open(source, "rb").read() != open(target, "rb").read():
            shutil.copy(source, target)
    return changed


def run(command, timeout):
    try:
        done = subprocess.run(command, cwd=BUILD, capture_output=True, **OUTPUT_TEXT, timeout=timeout)
        return done.returncode, done.stdout + done.stderr
    except subprocess.TimeoutExpired:
        return None, "timed out"


def build():
    return run(["cmake", "--build", ".", "-j2"], 1200)


def object_digests():
    """Every object file of the build, by its contents."""
    digests = {}
    for directory, _, names in os.walk(BUILD):
        for name in names:
            if name.endswith((".o", ".obj")):
                path = os.path.join(directory, name)
                with open(path, "rb") as f:
                    digests[path] = hashlib.sha256(f.read()).digest()
    return digests


SUITE_ENV = dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy")


def fails_alone(test):
    """Whether `test` (a unit test's or a ctest test's name) fails again when it runs by itself."""
    def run_alone(command, cwd):
        try:
            done = subprocess.run(command, cwd=cwd, capture_output=True, **OUTPUT_TEXT, timeout=600,
                                  env=SUITE_ENV)
        except subprocess.TimeoutExpired:
            return None, "timed out"
        return done.returncode, done.stdout + done.stderr

    units = os.path.join(BUILD, "tests", "marrowgast_tests")
    if os.path.exists(units):
        code, out = run_alone([units, f"--gtest_filter={test}"], os.path.dirname(units))
        if "Running 1 test " in out:
            return code != 0
    code, out = run_alone(["ctest", "-R", f"^{re.escape(test)}$", "--timeout", "120"], BUILD)
    # A test that cannot be found alone cannot be said to pass alone: the failure stands.
    return code != 0 or "No tests were found" in out


def confirmed_suite():
    """The suite's verdict on a mutant, a failure counting only when its test fails again alone:
    a test that fails at random under load is no kill. Such a failure runs the suite once more."""
    for _ in range(2):
        green, why = suite()
        if green or why in ("the unit tests timed out", "the suite timed out", "the unit tests failed", "failed"):
            return green, why
        if fails_alone(why):
            return False, why
        print(f"    ({why} failed, then passed alone: not counted)", flush=True)
    return True, ""


def suite():
    env = SUITE_ENV
    # The unit tests first, in one process that stops at the first failure: most mutants die
    # there in seconds. Only a mutant they miss pays for the whole ctest run.
    units = os.path.join(BUILD, "tests", "marrowgast_tests")
    if os.path.exists(units):
        try:
            done = subprocess.run([units, "--gtest_fail_fast", "--gtest_brief=1"], cwd=os.path.dirname(units),
                                  capture_output=True, **OUTPUT_TEXT, timeout=600, env=env)
        except subprocess.TimeoutExpired:
            return False, "the unit tests timed out"
        if done.returncode != 0:
            failed = re.findall(r"\[  FAILED  \] (\S+)", done.stdout)
            return False, failed[0] if failed else "the unit tests failed"
    try:
        done = subprocess.run(["ctest", "--stop-on-failure", "--timeout", "120", "-j2"],
                              cwd=BUILD, capture_output=True, **OUTPUT_TEXT, timeout=1800, env=env)
    except subprocess.TimeoutExpired:
        return False, "the suite timed out"
    if done.returncode == 0:
        return True, ""
    failed = re.findall(r"\d+ - (\S+) \(", done.stdout)
    return False, failed[0] if failed else "failed"


def read_list(path):
    chosen = []
    with open(path, **SOURCE_TEXT) as f:
        for entry in f.read().split("\n\n"):
            if not entry.strip():
                continue
            head, old, new = entry.split("\n")[:3]
            name, index, kind = head.split("\t")
            chosen.append((name, int(index), kind, old[2:], new[2:]))
    return chosen


def write_list(path, chosen):
    with open(path, "w", **SOURCE_TEXT) as f:
        for name, index, kind, old, new in chosen:
            f.write(f"{name}\t{index}\t{kind}\n- {old}\n+ {new}\n\n")


def locate(lines, index, old):
    """The line holding `old`, nearest to where it was."""
    matches = [i for i, line in enumerate(lines) if line == old]
    return min(matches, key=lambda i: abs(i - index)) if matches else None


def main(argv):
    args = [a for a in argv if not a.startswith("--")]
    source_list = None
    if "--from" in argv:
        source_list = argv[argv.index("--from") + 1]
        args = [a for a in args if a != source_list]
    prefixes = ("src/",)
    if "--only" in argv:
        given = argv[argv.index("--only") + 1]
        args = [a for a in args if a != given]
        prefixes = tuple(p for p in given.split(",") if p)
    count = int(args[0]) if len(args) > 0 else 30
    seed = int(args[1]) if len(args) > 1 else 1

    files = tracked_files()
    # Files added, moved or removed since the last run: an old build of the copy has been seen
    # to behave unlike a fresh one, so such a change starts the build again from nothing.
    if copy_tree(files) and os.path.isdir(BUILD):
        shutil.rmtree(BUILD)
    os.makedirs(BUILD, exist_ok=True)
    if not os.path.exists(os.path.join(BUILD, "build.ninja")):
        code, out = run(["cmake", "-S", TREE, "-B", BUILD, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release"], 600)
        if code != 0:
            print(out)
            return 2
    print("building the unchanged tree and running the suite once ...", flush=True)
    code, out = build()
    if code != 0:
        print(out[-3000:])
        return 2
    green, why = suite()
    if not green:
        print(f"the suite fails before any mutation ({why}); fix that first")
        return 2
    unchanged = object_digests()

    if source_list:
        chosen = read_list(source_list)
    else:
        sources = sorted(f for f in files if f.startswith("src/") and f.startswith(prefixes)
                         and f.endswith((".cpp", ".h")) and built_here(f))
        pool = all_mutants(sources)
        chosen = random.Random(seed).sample(pool, min(count, len(pool)))
        chosen.sort(key=lambda m: (m[0], m[1]))
        print(f"{len(chosen)} of {len(pool)} possible mutants of {','.join(prefixes)} (seed {seed})")
    write_list(os.path.join(WORK, "mutants.txt"), chosen)

    killed, survived, stillborn, missing, equivalent = 0, [], 0, 0, []
    started = time.time()
    for number, (name, index, kind, old, new) in enumerate(chosen, 1):
        path = os.path.join(TREE, name)
        original = None
        if os.path.isfile(path):
            with open(path, **SOURCE_TEXT) as f:
                original = f.read()
        lines = original.split("\n") if original is not None else []
        at = locate(lines, index, old)
        label = f"[{number}/{len(chosen)}] {name}:{(at if at is not None else index) + 1} {kind}"
        if at is None:
            print(f"{label}: line no longer there", flush=True)
            missing += 1
            continue
        lines[at] = new
        try:
            with open(path, "w", **SOURCE_TEXT) as f:
                f.write("\n".join(lines))
            code, _ = build()
            if code != 0:
                stillborn += 1
                print(f"{label}: does not build", flush=True)
                continue
            if object_digests() == unchanged:
                equivalent.append((name, at, kind, old, new))
                print(f"{label}: equivalent (the same machine code)\n    - {old.strip()}\n    + {new.strip()}",
                      flush=True)
                continue
            green, why = confirmed_suite()
            if green:
                survived.append((name, at, kind, old, new))
                print(f"{label}: SURVIVED\n    - {old.strip()}\n    + {new.strip()}", flush=True)
            else:
                killed += 1
                print(f"{label}: killed by {why}", flush=True)
        finally:
            with open(path, "w", **SOURCE_TEXT) as f:
                f.write(original)
    build()

    counted = killed + len(survived)
    print(f"\n{len(chosen)} mutants in {time.time() - started:.0f} s: {killed} killed, {len(survived)} survived, "
          f"{len(equivalent)} equivalent (the same machine code), {stillborn} did not build, {missing} not found")
    if counted + len(equivalent):
        print(f"score: {100.0 * killed / (counted + len(equivalent)):.1f}% of {counted + len(equivalent)} mutants "
              f"that built" + (f"; {100.0 * killed / counted:.1f}% of the {counted} that changed the machine code"
                               if counted and equivalent else ""))
    for name, at, kind, old, new in equivalent:
        print(f"equivalent {name}:{at + 1} {kind}: {old.strip()}  ->  {new.strip()}")
    for name, at, kind, old, new in survived:
        print(f"survivor {name}:{at + 1} {kind}: {old.strip()}  ->  {new.strip()}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
