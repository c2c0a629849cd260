#!/usr/bin/env python3
"""Every #include of the product's code against the layer table.

The table is HALVEX_LAYERS in the top CMakeLists.txt: one row per folder,
naming the folders whose headers its files may include (besides its own).
A file may include a project header only as "folder/name.h" with a folder
of its row, and only a header that exists; "../" never; a header private to
its folder only from that folder. Prints each faulty
include with its file and line and exits 1 when there is one.

usage: layers_test.py SOURCE_DIR
"""
import os
import re
import sys

root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")
cmake = open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8").read()
table = re.search(r"set\(HALVEX_LAYERS\s*(.*?)\)", cmake, re.S)
if not table:
    sys.exit("layers_test: no HALVEX_LAYERS table in CMakeLists.txt")
allowed = {}
for folder, below in re.findall(r'"(\w+):([\w ]*)"', table.group(1)):
    allowed[folder] = set(below.split()) | {folder}

# Headers that belong to their folder's own files: the writer's section
# writers are private to the writer.
internal = {"writer/sections.h", "writer/pieces.h"}

include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
faults = []
for folder in sorted(allowed):
    top = os.path.join(root, folder)
    for dirpath, _, names in os.walk(top):
        for name in sorted(names):
            if not name.endswith((".h", ".hpp", ".cpp", ".c", ".rc")):
                continue
            path = os.path.join(dirpath, name)
            rel = os.path.relpath(path, root)
            with open(path, encoding="utf-8", errors="replace") as f:
                for n, line in enumerate(f, 1):
                    m = include.match(line)
                    if not m:
                        continue
                    target = m.group(1)
                    parts = target.split("/")
                    if ".." in parts:
                        faults.append(f"{rel}:{n}: \"{target}\" climbs out of the folder")
                    elif len(parts) < 2:
                        # A file beside this one (resource scripts include their siblings).
                        if not os.path.exists(os.path.join(dirpath, target)):
                            faults.append(f"{rel}:{n}: \"{target}\" does not exist beside the file")
                    elif parts[0] not in allowed[folder]:
                        faults.append(f"{rel}:{n}: {folder}/ may not include \"{target}\" "
                                      f"(it may include {', '.join(sorted(allowed[folder]))})")
                    elif target in internal and parts[0] != folder:
                        faults.append(f"{rel}:{n}: \"{target}\" is private to {parts[0]}/")
                    elif not os.path.exists(os.path.join(root, target)):
                        faults.append(f"{rel}:{n}: \"{target}\" does not exist")
for fault in faults:
    print(fault)
print(f"include layers: {len(faults)} faulty include(s) in {len(allowed)} folders")
sys.exit(1 if faults else 0)
