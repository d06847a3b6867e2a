#!/usr/bin/env python3
"""Every file of the tree under the licence that applies, and the licence files agreeing.

Usage: copyright_check.py SOURCE_DIR

Reads debian/copyright (the machine-readable form) and fails, naming each problem, when:
- a file of the tree is named by no Files paragraph, or by more than one;
- a Files pattern names no file (a paragraph left behind);
- code (C++, scripts, CMake) is not under the code's licence, or an image or sound outside
  tests/ and fuzz/ is not under the art's;
- a licence has no text, or the text of the code's or the art's licence is not the one in
  LICENSE;
- the AppStream metainfo names other licences than the paragraphs do.

The files of a git checkout are the tracked ones; elsewhere (a copy of the tree) every file
but the builds.
"""
import os
import re
import subprocess
import sys

CODE_LICENCE = "Expat"  # Debian's name for the MIT licence
ART_LICENCE = "CC-BY-4.0"
SPDX_NAMES = {"Expat": "MIT"}

CODE_SUFFIXES = (".cpp", ".h", ".py", ".sh", ".cmake", ".in")
MEDIA_SUFFIXES = (".png", ".jpg", ".jpeg", ".wav")
# Test fixtures and fuzz seeds are code, whatever they hold.
MEDIA_AS_CODE = ("tests/", "fuzz/")
# What a build or a package build leaves in a tree that is not a checkout.
BUILD_OUTPUTS = re.compile(
    r"^(build|obj-[^/]*|\.git)(/|$)|^debian/(\.debhelper|marrowgast|tmp)/|"
    r"^debian/(files|debhelper-build-stamp|[^/]*\.substvars|[^/]*\.debhelper\.log)$")


def tree_files(root):
    try:
        top = subprocess.run(["git", "-C", root, "rev-parse", "--show-toplevel"], capture_output=True,
                             text=True, check=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        top = None
    if top and os.path.realpath(top) == os.path.realpath(root):
        listed = subprocess.run(["git", "-C", root, "ls-files", "-z"], capture_output=True, text=True,
                                check=True).stdout
        return sorted(f for f in listed.split("\0") if f and os.path.lexists(os.path.join(root, f)))
    found = []
    for folder, dirs, names in os.walk(root):
        for name in names:
            path = os.path.relpath(os.path.join(folder, name), root)
            if not BUILD_OUTPUTS.search(path):
                found.append(path)
    return sorted(found)


def paragraphs(text):
    """The paragraphs of a deb822 file, each a dict of field name to (first line, more lines)."""
    result = []
    current = {}
    field = None
    for line in text.split("\n"):
        if not line.strip():
            if current:
                result.append(current)
            current, field = {}, None
        elif line[0] in " \t" and field:
            current[field][1].append(line)
        else:
            field, _, value = line.partition(":")
            current[field] = (value.strip(), [])
    if current:
        result.append(current)
    return result


def pattern_regex(pattern):
    # "*" matches any run of characters, "/" included; "?" any one.
    out = ""
    for ch in pattern:
        out += ".*" if ch == "*" else "." if ch == "?" else re.escape(ch)
    return re.compile(out + r"\Z")


def words(text):
    """A licence text with blank-line dots and all spacing folded, for comparing."""
    return " ".join(w for w in text.split() if w != ".")


def check(root):
    problems = []
    with open(os.path.join(root, "debian/copyright"), encoding="utf-8") as f:
        paras = paragraphs(f.read())
    files_paras = []
    texts = {}
    for para in paras[1:]:
        if "Files" in para:
            first, more = para["Files"]
            patterns = (first + " " + " ".join(more)).split()
            files_paras.append((patterns, para.get("License", ("", []))[0]))
        elif "License" in para:
            name, more = para["License"]
            texts[name] = words(" ".join(more))

    files = tree_files(root)
    licence_of = {}
    matched = set()
    for path in files:
        named_by = []
        for index, (patterns, licence) in enumerate(files_paras):
            for pattern in patterns:
                if pattern_regex(pattern).match(path):
                    named_by.append(index)
                    matched.add(pattern)
                    break
        if not named_by:
            problems.append(f"{path}: named by no Files paragraph")
        elif len(named_by) > 1:
            names = " and ".join(str(i + 1) for i in named_by)
            problems.append(f"{path}: named by Files paragraphs {names}")
        else:
            licence_of[path] = files_paras[named_by[0]][1]
    for patterns, _ in files_paras:
        problems += [f"pattern {p}: names no file" for p in patterns if p not in matched]

    for path, licence in sorted(licence_of.items()):
        executable = os.access(os.path.join(root, path), os.X_OK)
        if (path.endswith(CODE_SUFFIXES) or executable) and licence != CODE_LICENCE:
            problems.append(f"{path}: code under {licence}, not {CODE_LICENCE}")
        if (path.endswith(MEDIA_SUFFIXES) and not path.startswith(MEDIA_AS_CODE)
                and licence != ART_LICENCE):
            problems.append(f"{path}: art under {licence}, not {ART_LICENCE}")

    for licence in sorted({licence for _, licence in files_paras}):
        if not texts.get(licence):
            problems.append(f"licence {licence}: no text in debian/copyright")
    try:
        with open(os.path.join(root, "LICENSE"), encoding="utf-8") as f:
            licence_file = words(f.read())
    except OSError:
        licence_file = ""
    for licence in (CODE_LICENCE, ART_LICENCE):
        if texts.get(licence) and texts[licence] not in licence_file:
            problems.append(f"licence {licence}: LICENSE does not hold the text of debian/copyright")

    for path in (p for p in files if p.startswith("data/") and p.endswith(".metainfo.xml")):
        with open(os.path.join(root, path), encoding="utf-8") as f:
            xml = f.read()
        tag = lambda name: (re.search(rf"<{name}>([^<]*)</{name}>", xml) or [None, ""])[1].strip()
        project = {SPDX_NAMES.get(l, l) for l in licence_of.values() if l != licence_of.get(path)}
        said = set(tag("project_license").split(" AND "))
        if said != project:
            problems.append(f"{path}: project_license {tag('project_license')!r}, "
                            f"the paragraphs say {' AND '.join(sorted(project))!r}")
        if path in licence_of and tag("metadata_license") != SPDX_NAMES.get(licence_of[path], licence_of[path]):
            problems.append(f"{path}: metadata_license {tag('metadata_license')!r}, "
                            f"its paragraph says {licence_of[path]!r}")
    return files, problems


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip().split("\n")[2], file=sys.stderr)
        return 2
    files, problems = check(sys.argv[1])
    for problem in problems:
        print(problem)
    if problems:
        print(f"{len(problems)} copyright problems")
        return 1
    print(f"{len(files)} files, each under the licence that applies")
    return 0


if __name__ == "__main__":
    sys.exit(main())
