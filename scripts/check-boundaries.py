#!/usr/bin/env python3
"""Fails when a library includes a header of a library above it, or the application core a Qt Widgets header.

The order and the allowed dependencies are those of the architecture map: each library may use the ones listed
for it and, through them, theirs.
"""
import os
import re
import subprocess
import sys

# Folder of each library, most specific first, and the libraries it may use directly.
LIBRARIES = [
    ("libs/cpp/MTools/", "MTools", []),
    ("libs/cpp/MCrypt/", "MCrypt", []),
    ("libs/cpp/QMRequest/Widgets/", "QMRequestWidgets", ["QMRequest", "VUVararerWidgets"]),
    ("libs/cpp/QMRequest/", "QMRequest", ["MTools"]),
    ("libs/cpp/QMWebView/", "QMWebView", []),
    ("libs/cpp/VUVararer/Widgets/", "VUVararerWidgets", ["VUVararer"]),
    ("libs/cpp/VUVararer/", "VUVararer", ["MTools", "QMRequest", "QMWebView"]),
    ("libs/cpp/ZADovuzIdida/_VozIdavi/", "VozIdavi", ["MTools"]),
    ("libs/cpp/ZADovuzIdida/", "ZADovuzIdida", ["VozIdavi", "VUVararer", "afconvert"]),
    ("libs/cpp/MGraphX/", "MGraphX", ["MTools", "VUVararer", "VUVararerWidgets"]),
    ("app/core/", "trelvanic_core", ["ZADovuzIdida", "VUVararer"]),
    ("app/gui/", "trelvanic_gui", ["trelvanic_core", "VUVararerWidgets"]),
    ("tools/afconvert/", "afconvert", []),
]
# Include prefixes as the code writes them (<Library/Header.h>), most specific first.
INCLUDE_PREFIXES = [
    ("QMRequest/Widgets/", "QMRequestWidgets"),
    ("VUVararer/Widgets/", "VUVararerWidgets"),
    ("ZADovuzIdida/_VozIdavi/", "VozIdavi"),
    ("core/", "trelvanic_core"),
    ("gui/", "trelvanic_gui"),
    ("afconvert/", "afconvert"),
] + [(folder[len("libs/cpp/"):], name) for folder, name, _ in LIBRARIES if folder.startswith("libs/cpp/")]
NO_WIDGETS = {"trelvanic_core"}
INCLUDE = re.compile(r'^\s*#\s*include\s*[<"]([^>"]+)[>"]')


def closure():
    direct = {name: set(uses) for _, name, uses in LIBRARIES}
    allowed = {}
    for name in direct:
        seen, todo = set(), list(direct[name])
        while todo:
            dep = todo.pop()
            if dep not in seen:
                seen.add(dep)
                todo.extend(direct.get(dep, ()))
        allowed[name] = seen | {name}
    return allowed


def library_of_file(path):
    return next((name for folder, name, _ in LIBRARIES if path.startswith(folder)), None)


def library_of_include(directory, target):
    # A relative include names a file next to the includer (or above it with "../").
    local = os.path.normpath(os.path.join(directory, target))
    if os.path.isfile(local):
        return library_of_file(local + ("/" if os.path.isdir(local) else ""))
    return next((name for prefix, name in INCLUDE_PREFIXES if target.startswith(prefix)), None)


def widget_headers():
    out = subprocess.run(["pkg-config", "--variable=includedir", "Qt5Widgets"], capture_output=True, text=True)
    folder = os.path.join(out.stdout.strip(), "QtWidgets")
    return set(os.listdir(folder)) if os.path.isdir(folder) else set()


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    os.chdir(root)
    files = subprocess.run(["git", "ls-files", "libs", "app", "tools"], capture_output=True, text=True,
                           check=True).stdout.split()
    allowed = closure()
    widgets = widget_headers()
    faults = []
    for path in files:
        if not path.endswith((".h", ".cpp")):
            continue
        owner = library_of_file(path)
        if owner is None:
            continue
        with open(path, encoding="utf-8", errors="replace") as source:
            for number, line in enumerate(source, 1):
                match = INCLUDE.match(line)
                if not match:
                    continue
                target = match.group(1)
                used = library_of_include(os.path.dirname(path), target)
                if used is not None and used not in allowed[owner]:
                    faults.append(f"{path}:{number}: {owner} may not include {target} ({used})")
                if owner in NO_WIDGETS and (target.startswith("QtWidgets/") or target in widgets):
                    faults.append(f"{path}:{number}: {owner} may not include the Qt Widgets header {target}")
    for fault in faults:
        print(fault)
    print(f"boundary check: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
