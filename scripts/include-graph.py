#!/usr/bin/env python3
"""Prints the include graph of src/ between folders: for each folder, the
folders it includes from and how many #include lines do so; with --files,
every file's project includes. With --check it prints nothing and fails
(exit 1) when two folders include each other, other than app, the
composition root, with any folder. Standard library only."""
import collections
import pathlib
import re
import sys

root = pathlib.Path(__file__).resolve().parent.parent / "src"
inc = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder(path):
    parts = pathlib.PurePosixPath(path).parts
    # platform/win32, ui/win32: the second level is the unit there.
    if parts[0] in ("platform", "ui") and len(parts) > 2:
        return "/".join(parts[:2])
    return parts[0]


edges = collections.Counter()
files = {}
for f in sorted(root.rglob("*")):
    if f.suffix not in (".cpp", ".h"):
        continue
    rel = f.relative_to(root).as_posix()
    targets = [m.group(1) for line in f.read_text(encoding="utf-8", errors="replace").splitlines()
               if (m := inc.match(line))]
    files[rel] = targets
    for t in targets:
        if (root / t).exists() and folder(t) != folder(rel):
            edges[(folder(rel), folder(t))] += 1

if "--check" in sys.argv:
    pairs = sorted((a, b) for (a, b) in edges
                   if a < b and (b, a) in edges and "app" not in (a, b))
    for a, b in pairs:
        print(f"{a} <-> {b}: {a} includes {b} ({edges[(a, b)]}) and {b} includes {a} "
              f"({edges[(b, a)]}); --files shows the lines", file=sys.stderr)
    if pairs:
        sys.exit(1)
    print("include graph: no two folders include each other (app aside)")
elif "--files" in sys.argv:
    for rel, targets in files.items():
        print(rel + ": " + " ".join(targets))
else:
    by_from = collections.defaultdict(list)
    for (a, b), n in sorted(edges.items()):
        by_from[a].append(f"{b}({n})")
    for a in sorted(by_from):
        print(f"{a} -> " + " ".join(by_from[a]))
