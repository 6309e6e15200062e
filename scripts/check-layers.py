#!/usr/bin/env python3
"""Fails when a file includes a folder of a higher layer.

The logic builds in layers: base at the bottom; config, store and import on
it; analysis, books and print next; ui, app and cli on top. A file may
include its own layer and the ones below. Windows and dialogs (the files a
folder builds into the gui library) may also include ui/ from any folder.
Tests, benchmarks and fuzz targets are not checked.
"""
import pathlib
import re
import sys

LAYERS = {
    "base": 0,
    "config": 1, "store": 1, "import": 1,
    "analysis": 2, "books": 2, "print": 2,
    "ui": 3, "app": 3, "cli": 3,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')
GUI_BLOCK = re.compile(r"target_sources\(\s*gui\s+PRIVATE(.*?)\)", re.S)


def gui_files(folder):
    """Stems of the files a folder builds into the gui library."""
    cmake = folder / "CMakeLists.txt"
    if not cmake.exists():
        return set()
    stems = set()
    for block in GUI_BLOCK.findall(cmake.read_text()):
        stems.update(pathlib.PurePath(name).stem for name in block.split())
    return stems


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    faults = []
    for name, layer in LAYERS.items():
        folder = root / name
        if not folder.is_dir():
            continue
        windows = gui_files(folder)
        for path in sorted(folder.rglob("*")):
            if path.suffix not in (".h", ".cpp") or "tests" in path.relative_to(folder).parts:
                continue
            is_window = path.stem in windows
            for lineno, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                m = INCLUDE.match(line)
                if not m or m.group(1) not in LAYERS:
                    continue
                target = m.group(1)
                if LAYERS[target] <= layer or (is_window and target == "ui"):
                    continue
                faults.append(f"{path.relative_to(root)}:{lineno}: {name}/ (layer {layer}) "
                              f"includes {target}/ (layer {LAYERS[target]})")
    for fault in faults:
        print(fault)
    if faults:
        print(f"{len(faults)} include(s) against the layers", file=sys.stderr)
        return 1
    print("layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
