#!/usr/bin/env python3
"""The house's layers, bottom up: each folder of src/ may include its own files and those of the
folders it sits on, never one above. Prints every include that runs up a layer (file, line, the
folder it reaches) and exits 1 when there is one.

    check-layers.py SRC_DIR
"""
import pathlib
import re
import sys

# Folder: the folders below it that it may include. The core library (no <windows.h>) is text,
# platform's interfaces, catalogue, control and model; the Win32 library adds platform's Win32
# side, the toolkit, the list box, the windows and the programs.
BELOW = {
    "text": set(),
    "platform": {"text"},
    "catalogue": {"text", "platform"},
    "control": {"text", "platform", "catalogue"},
    "model": {"text", "platform", "catalogue", "control"},
    "toolkit": {"text", "platform"},
    "listbox": {"text", "platform", "toolkit"},
    "ui": {"text", "platform", "catalogue", "control", "model", "toolkit", "listbox"},
    "app": {"text", "platform", "catalogue", "control", "model", "toolkit", "listbox", "ui"},
}

src = pathlib.Path(sys.argv[1])
include = re.compile(r'^\s*#\s*include\s+"([^/"]+)/')
faults = []
for path in sorted(src.rglob("*")):
    if path.suffix not in (".h", ".cpp"):
        continue
    folder = path.relative_to(src).parts[0]
    if folder not in BELOW:
        faults.append(f"{path}: the folder {folder} has no place in the layers")
        continue
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        match = include.match(line)
        if match and match.group(1) != folder and match.group(1) not in BELOW[folder]:
            faults.append(f"{path}:{number}: {folder} includes {match.group(1)}, a layer above it or beside it")
print("\n".join(faults) if faults else f"every include of {src} runs down the layers")
sys.exit(1 if faults else 0)
