#!/usr/bin/env python3
"""Fails when a file of a layer includes a header of a higher layer.

The layers and their order are cmake/layers.txt, lowest first; the same list
makes the configuration fail when a library links a library above it. Besides
the order, the include graph between the folders is searched for a cycle, so
that a folder added to the tree but not to the list cannot close one unseen.
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/[^"]+"', re.MULTILINE)


def read_layers(root):
    layers = []
    for line in (root / "cmake" / "layers.txt").read_text().splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            layers.append(line)
    return layers


def folder_includes(root, folders):
    """(file, included folder) for every quoted include of another folder."""
    found = []
    for folder in folders:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".inc"):
                continue
            for target in INCLUDE.findall(path.read_text(errors="replace")):
                if target != folder and (root / target).is_dir():
                    found.append((path.relative_to(root).as_posix(), folder, target))
    return found


def find_cycle(edges):
    """A list of folders that form a cycle, or None."""
    graph = {}
    for a, b in edges:
        graph.setdefault(a, set()).add(b)
    state = {}

    def visit(node, trail):
        state[node] = "open"
        trail.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == "open":
                return trail[trail.index(nxt):] + [nxt]
            if nxt not in state:
                cycle = visit(nxt, trail)
                if cycle:
                    return cycle
        trail.pop()
        state[node] = "done"
        return None

    for node in sorted(graph):
        if node not in state:
            cycle = visit(node, [])
            if cycle:
                return cycle
    return None


def check(root):
    layers = read_layers(root)
    rank = {name: i for i, name in enumerate(layers)}
    problems = []
    includes = folder_includes(root, layers)
    for path, folder, target in includes:
        if target not in rank:
            problems.append(f"{path}: includes {target}/, which is no layer")
        elif rank[target] > rank[folder]:
            problems.append(f"{path}: {folder}/ includes {target}/, a higher layer")
    cycle = find_cycle({(folder, target) for _, folder, target in includes})
    if cycle:
        problems.append("include cycle between folders: " + " -> ".join(cycle))
    return problems


def main():
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT
    problems = check(root)
    for p in problems:
        print("check_layers: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
