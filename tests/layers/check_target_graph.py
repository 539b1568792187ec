#!/usr/bin/env python3
"""Checks that the program's CMake targets link only downwards: no back-link through
$<TARGET_NAME_IF_EXISTS:...> and no cycle in the graph `cmake --graphviz` draws.

usage: check_target_graph.py SOURCE_ROOT SCRATCH_DIR
"""
import graphlib
import pathlib
import re
import shutil
import subprocess
import sys


def read_graph(dot):
    names = {}
    edges = {}
    for line in dot.read_text(encoding="utf-8").splitlines():
        m = re.match(r'\s*"(node\d+)"\s*\[\s*label\s*=\s*"([^"]+)"', line)
        if m:
            names[m.group(1)] = m.group(2)
            continue
        m = re.match(r'\s*"(node\d+)"\s*->\s*"(node\d+)"', line)
        if m:
            edges.setdefault(m.group(1), set()).add(m.group(2))
    return {names[a]: {names[b] for b in bs} for a, bs in edges.items()}, set(names.values())


def main():
    root = pathlib.Path(sys.argv[1])
    scratch = pathlib.Path(sys.argv[2])
    errors = []
    for lists in sorted(root.rglob("CMakeLists.txt")) + sorted(root.rglob("*.cmake")):
        if "build" in lists.relative_to(root).parts[:1]:
            continue
        for number, line in enumerate(lists.read_text(encoding="utf-8").splitlines(), 1):
            if "TARGET_NAME_IF_EXISTS" in line and not line.lstrip().startswith("#"):
                errors.append(f"{lists.relative_to(root)}:{number}: a link that exists only if the target does")

    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    dot = scratch / "targets.dot"
    run = subprocess.run(["cmake", "-S", str(root), "-B", str(scratch / "tree"), "-G", "Ninja", "-DRV_LIBFUZZER=OFF",
                          f"--graphviz={dot}"], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if run.returncode != 0:
        print(run.stdout)
        errors.append("cmake could not configure the project")
    else:
        graph, nodes = read_graph(dot)
        ours = {n: {m for m in deps if m.startswith("rv_")} for n, deps in graph.items() if n.startswith("rv_")}
        try:
            list(graphlib.TopologicalSorter(ours).static_order())
        except graphlib.CycleError as cycle:
            errors.append("the targets link in a circle: " + " -> ".join(reversed(cycle.args[1])))
        print(f"{len([n for n in nodes if n.startswith('rv_')])} program libraries and tools in the graph")
    shutil.rmtree(scratch, ignore_errors=True)
    print("\n".join(errors or ["the targets link only downwards"]))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
