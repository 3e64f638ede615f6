#!/usr/bin/env python3
"""Checks the layering of the source folders from their #include lines.

Fails when engine folders, or physics folders, include each other in a cycle (directly or
through others), when common/ includes platform/, or when common/ or platform/ include anything
from engine/ or physics/. --graph prints the folder graph.
"""
import argparse
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
SOURCE_EXT = ('.h', '.hpp', '.cpp', '.c', '.inl')


def folder_of(path):
    """engine/scene/Octree.h -> engine/scene; common/Math.h -> common."""
    parts = path.split('/')
    if parts[0] in ('engine', 'physics') and len(parts) > 2:
        return '/'.join(parts[:2])
    return parts[0]


def collect(root):
    edges = {}
    for top in ('common', 'platform', 'engine', 'physics'):
        for base, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if not name.endswith(SOURCE_EXT):
                    continue
                path = os.path.join(base, name)
                rel = os.path.relpath(path, root).replace(os.sep, '/')
                src = folder_of(rel)
                with open(path, encoding='utf-8', errors='replace') as f:
                    text = f.read()
                for inc in INCLUDE.findall(text):
                    if '/' not in inc:
                        # Same-folder include.
                        continue
                    if not os.path.exists(os.path.join(root, inc)):
                        continue
                    dst = folder_of(inc)
                    if dst != src:
                        edges.setdefault(src, {}).setdefault(dst, []).append(rel)
    return edges


def find_cycles(edges):
    """Strongly connected components with more than one folder (Tarjan)."""
    index, low, stack, on_stack, result = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in edges.get(v, {}):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                result.append(sorted(component))

    nodes = set(edges) | {d for targets in edges.values() for d in targets}
    for v in sorted(nodes):
        if v not in index:
            visit(v)
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('root', nargs='?', default=os.path.dirname(os.path.dirname(
        os.path.abspath(__file__))))
    parser.add_argument('--graph', action='store_true', help='print the folder graph')
    args = parser.parse_args()
    edges = collect(args.root)
    if args.graph:
        for src in sorted(edges):
            print(src, '->', ', '.join(sorted(edges[src])))
    failures = []
    # Each library's folders on their own: engine/* among themselves, physics/* among themselves.
    library_edges = {src: {d: f for d, f in targets.items() if d.split('/')[0] == src.split('/')[0]}
                     for src, targets in edges.items() if src.startswith(('engine/', 'physics/'))}
    for component in find_cycles(library_edges):
        lines = ['folders include each other: ' + ' <-> '.join(component)]
        for src in component:
            for dst in component:
                for rel in edges.get(src, {}).get(dst, [])[:3]:
                    lines.append(f'  {rel} -> {dst}/')
        failures.append('\n'.join(lines))
    for low in ('common', 'platform'):
        for dst, files in sorted(edges.get(low, {}).items()):
            if dst.startswith(('engine', 'physics')) or (low == 'common' and dst == 'platform'):
                failures.append(f'{low}/ includes {dst}/: ' + ', '.join(sorted(set(files))[:3]))
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
