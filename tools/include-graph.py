#!/usr/bin/env python3
"""Prints which product folders include which, and flags every include that
runs against the layering. A folder may include only folders on a lower
layer; folders on one layer do not include each other. resources/ stands
beside the layers: every folder may include it, and it may include only the
lowest layer. Exits 1 when an include runs against the layering.

Usage: tools/include-graph.py [source root]   (default: this checkout)
"""
import os
import re
import sys

# Lowest first.
LAYERS = [["base"], ["settings", "registration"], ["erase", "menu"], ["operations", "config"], ["server"]]
BESIDE = "resources"
SOURCE_SUFFIXES = (".h", ".cpp", ".c", ".rc", ".inc", ".idl")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')

RANK = {folder: rank for rank, layer in enumerate(LAYERS) for folder in layer}
FOLDERS = [folder for layer in LAYERS for folder in layer] + [BESIDE]


def allowed(source, target):
    if source == target or target == BESIDE:
        return True
    if source == BESIDE:
        return RANK[target] == 0
    return RANK[target] < RANK[source]


def includes(root):
    """Yields (source folder, target folder, file, line, included name) for
    every include between two product folders."""
    for source in FOLDERS:
        top = os.path.join(root, source)
        for folder, dirs, files in os.walk(top):
            dirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(folder, name)
                with open(path, encoding="utf-8", errors="replace") as text:
                    for number, line in enumerate(text, 1):
                        match = INCLUDE.match(line)
                        if not match:
                            continue
                        target = match.group(1).split("/")[0]
                        # A name without a folder is the includer's own.
                        if "/" in match.group(1) and target in FOLDERS:
                            yield source, target, os.path.relpath(path, root), number, match.group(1)


def main(argv):
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    edges = {}
    for source, target, path, number, included in includes(root):
        if source != target:
            edges.setdefault((source, target), []).append(f'{path}:{number} includes "{included}"')

    print("Layers, lowest first:", " -> ".join(", ".join(layer) for layer in LAYERS), f"({BESIDE} beside)")
    print("Includes between folders (count):")
    for (source, target), sites in sorted(edges.items()):
        mark = "" if allowed(source, target) else "   UPWARD"
        print(f"  {source:>10} -> {target:<10} {len(sites):3}{mark}")

    upward = {edge: sites for edge, sites in edges.items() if not allowed(*edge)}
    if not upward:
        print("No include runs against the layering.")
        return 0
    print(f"{len(upward)} edges run against the layering:")
    for (source, target), sites in sorted(upward.items()):
        print(f"  {source} -> {target}")
        for site in sites:
            print(f"    {site}")
    return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
