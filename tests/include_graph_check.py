#!/usr/bin/env python3
"""The floors of the game's code, and a check that every include points down them.

Usage: include_graph_check.py SOURCE_DIR

Reads every #include "..." of src/, tools/, tests/, bench/ and fuzz/ and fails, naming the
file, its line and the include, when one points up a floor or sideways to another part of
the same floor, when headers include each other in a circle, when a quoted include names no
file, when code outside src/platform/ includes libpng or libjpeg, or when code that ships
without SDL (src/ and tools/, but for src/platform/Sdl*, the room editor window's
src/editorwindow/Sdl* and Imgui* and the game's main) includes SDL or an SDL header of the
platform, or Dear ImGui outside those editor window files. In what ships (src/ and tools/), only src/platform/ may include
an operating system's headers, call it, or ask which system it is built for: the game runs on
Linux, Windows and in browsers, and each differs only there. Within src/platform/, the
operating system is called from system/ alone, where each system has its side (Posix*.cpp,
Win32*.cpp, chosen by the build); a header of one side is included by that side alone, so
no file built for one system includes another's.
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
    ("editor", ["src/editor/"]),
    ("app", ["src/app/"]),
    ("editor window", ["src/editorwindow/"]),
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
IMGUI_INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]((imgui/)?imgui[^">]*|backends/imgui[^">]*)[">]')
# The room editor's window is a view over SDL and Dear ImGui: its Sdl* and Imgui* files.
EDITOR_WINDOW_VIEW = re.compile(r"^src/editorwindow/(Sdl|Imgui)[^/]*$")


def without_sdl(path):
    """Whether the file is built into marrowgast_core or a tool, which link no SDL."""
    in_sdl_library = (path.startswith("src/platform/Sdl") or path == "src/app/main.cpp"
                      or EDITOR_WINDOW_VIEW.match(path) is not None)
    return path.startswith(("src/", "tools/")) and not in_sdl_library


def without_imgui(path):
    """Whether the file is outside the editor window's views, the only code with Dear ImGui."""
    return path.startswith(("src/", "tools/")) and EDITOR_WINDOW_VIEW.match(path) is None


# What ships runs on Linux, Windows and in browsers; only src/platform/ may know which.
SHIPPED = ("src/", "tools/")
SYSTEM_HEADER = re.compile(
    r'^\s*#\s*include\s*<((?:unistd|fcntl|signal|dirent|dlfcn|poll|termios|pthread|spawn|sched|semaphore|pwd|grp'
    r'|syslog|utime|libgen|fnmatch|glob|wordexp|netdb|aio|mqueue|windows|winbase|io|direct|process|shlobj|shellapi'
    r'|psapi|tlhelp32|winsock2|ws2tcpip|emscripten)\.h'
    r'|(?:sys|netinet|arpa|linux|mach|mach-o|emscripten)/[^>]+|csignal)>')
# Calls of the operating system by name (POSIX, Windows, Emscripten), its /proc, and the change
# of directory in any spelling. Standard C and C++ (std::filesystem included) are everyone's.
SYSTEM_CALL = re.compile(
    r'(?<![\w.>])(?P<name>(?:\w+::)*(?:(?:open|close|read|write|pread|pwrite|lseek|fstat|lstat|stat|fdopen|fileno'
    r'|ftruncate|fsync|isatty|access|getcwd|realpath|readlink|chdir|fchdir|unlink|mkfifo|mknod|mkdtemp|mkstemp'
    r'|sigaction|sigemptyset|sigprocmask|signal|raise|kill|waitpid|exec[lv]p?e?|pipe|dup2?|fcntl|flock|ioctl'
    r'|mmap|munmap|poll|sysconf|getrusage|setenv|unsetenv|usleep|nanosleep|dlopen|dlsym|emscripten_\w+'
    r'|_w?(?:open|chdir|getcwd|mkdir)|GetModuleFileName\w*|CreateFile\w*|ReadFile|WriteFile|CloseHandle'
    r'|GetFileAttributes\w*|GetFileInformationByHandle\w*|GetFileSizeEx|GetTempPath\w*|SetCurrentDirectory\w*'
    r'|MoveFileEx\w*|ReplaceFile\w*|SetConsoleCtrlHandler|GetProcessMemoryInfo)\s*\((?!\s*\))'
    r'|(?:fork|getpid|getuid|geteuid)\s*\())'
    r'|/proc/|current_path\s*\((?!\s*\)|\s*\w*(?:rror|ignored|ec)\s*\))')
# "bool open(" and "DefinitionFile::open(" declare a function of the game's own.
DECLARATION = re.compile(r'(?:\b(?!return\b|else\b)\w+[\s*&]+|\b[A-Z]\w*::)$')
# A platform's name in a condition: the code below it belongs in src/platform/.
PLATFORM_CONDITION = re.compile(
    r'^\s*#\s*(?:if|ifdef|ifndef|elif)\b.*\b(_WIN32|_WIN64|_MSC_VER|__MINGW\d*__|__EMSCRIPTEN__|__unix__|__linux__'
    r'|__APPLE__)\b')


# One system's side of src/platform/system/: its files start with the system's name.
SYSTEM_SIDE = re.compile(r"^src/platform/system/(Posix|Win32)[^/]*$")


def side_of(path):
    match = SYSTEM_SIDE.match(path)
    return match.group(1) if match else None


def system_call(code):
    """The first call of the operating system in a line of code, or None."""
    for match in SYSTEM_CALL.finditer(code):
        name = match.group("name")
        if name is None:
            return match
        qualifier = name.rsplit("::", 1)[0] if "::" in name else ""
        if qualifier and qualifier != "std":
            continue
        if not qualifier and DECLARATION.search(code[: match.start()]):
            continue
        return match
    return None


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
                    problems.append(f"{path}:{number}: {line.strip()}: SDL belongs to src/platform/Sdl*, the "
                                    "editor window's views and the game's main: the rest links no SDL")
                if IMGUI_INCLUDE.match(line) and without_imgui(path):
                    problems.append(f"{path}:{number}: {line.strip()}: Dear ImGui belongs to the editor "
                                    "window's views, src/editorwindow/Sdl* and Imgui*")
                in_system = path.startswith("src/platform/system/")
                if path.startswith("src/platform/") and not in_system:
                    code = line.split("//")[0]
                    if SYSTEM_HEADER.match(code) or system_call(code):
                        problems.append(f"{path}:{number}: {line.strip()}: the operating system is "
                                        "called from src/platform/system/ only")
                if path.startswith(SHIPPED) and not path.startswith("src/platform/"):
                    code = line.split("//")[0]
                    if SYSTEM_HEADER.match(code) or system_call(code):
                        problems.append(f"{path}:{number}: {line.strip()}: the operating system is "
                                        "called from src/platform/ only")
                    elif PLATFORM_CONDITION.match(code):
                        problems.append(f"{path}:{number}: {line.strip()}: what differs between systems "
                                        "belongs to src/platform/")
                match = QUOTED.match(line)
                if not match:
                    continue
                named = match.group(1)
                target = resolve(root, path, named)
                if target is None:
                    problems.append(f'{path}:{number}: #include "{named}" names no file')
                    continue
                graph[path].append((number, target))
                side = side_of(target)
                if side and side_of(path) != side:
                    problems.append(f'{path}:{number}: #include "{named}" is the {side} side of the '
                                    f"system: only src/platform/system/{side}* files include it")
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
