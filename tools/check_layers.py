#!/usr/bin/env python3
"""Fails when a file of a layer includes a header of a higher layer.

Tests keep the same order: a file of tests/<layer>/ (or tests/<layer>_view/)
includes program headers of its layer and lower ones only, and a shared test
header (tests/support/, tests/reference/, another folder's fixture) only when
everything it includes, followed through, is that low too; so the tests of a
layer link no higher one.

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


TEST_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def test_folder_layer(name, rank):
    """The layer whose tests a folder of tests/ holds, or None for shared ones."""
    base = name[: -len("_view")] if name.endswith("_view") else name
    return rank.get(base)


def header_layer(root, path, rank, memo, trail=()):
    """The highest layer a file reaches through its quoted includes."""
    key = path.as_posix()
    if key in memo:
        return memo[key]
    if key in trail:
        return -1
    highest = -1
    for target in TEST_INCLUDE.findall(path.read_text(errors="replace")):
        first = target.split("/", 1)[0]
        if first in rank:
            highest = max(highest, rank[first])
        elif first == "tests" and (root / target).is_file():
            highest = max(highest, header_layer(root, root / target, rank, memo, trail + (key,)))
    memo[key] = highest
    return highest


def check_tests(root):
    layers = read_layers(root)
    rank = {name: i for i, name in enumerate(layers)}
    problems = []
    memo = {}
    tests = root / "tests"
    if not tests.is_dir():
        return problems
    for folder in sorted(p for p in tests.iterdir() if p.is_dir()):
        own = test_folder_layer(folder.name, rank)
        if own is None:
            continue
        for path in sorted(folder.rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            reached = header_layer(root, path, rank, memo)
            if reached > rank[layers[own]]:
                problems.append(
                    f"{path.relative_to(root).as_posix()}: tests of {layers[own]}/ reach "
                    f"{layers[reached]}/, a higher layer")
    return problems


def main():
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT
    problems = check(root) + check_tests(root)
    for p in problems:
        print("check_layers: " + p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
