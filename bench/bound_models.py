#!/usr/bin/env python3
"""Writes models that aim at costs driven by the numbers a model states rather
than by what is read and written: huge ranges, lists copied per rule, long
chains in maps of fixed bucket counts, a function's peak taken per load, a
load set copied per case, reasons and page types looked up by a walk.

    bench/bound_models.py DIR      (bench/bounds.sh converts and measures them)
"""
import os
import sys

HEAD23 = ["0,0,0,0.05,0,0", "0,0,0,0,0,0", "0,0"] + ["0,0", "0,0,0", "0,0,0"] * 6
LOAD_HEAD = ["0,0,0,0,0,0,0", "0,0,0", "0,0,0", "0,0,0", "0,0,0", "0,0,0,0", "0,0,0,0", "0,0,0,0", "0,0,0", "0,0,0",
             "0,0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0,0",
             "0,0,0,0,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0,0", "0,0,0,0,0,0,0,0,0"]


def block(num, lines):
    return ["   -1", f"   {num}"] + lines + ["   -1"]


def group(num, title, rules, head3="0,0,0,0.05,0,0"):
    lines = [f"{num},0,0", title, head3] + HEAD23[1:] + [str(len(rules))]
    for rtype, comps in rules:
        lines.append(str(rtype))
        lines += [f"{a},{b},{c},{d}" for a, b, c, d in comps]
        lines.append("-1")
    return lines + ["-1", "0", "-1"]


def node(n, x=0.0):
    return f"{n},1,0,0,0,0,0,0,0,0,0,{x},0,0,0"


def elem(n, typ, topo, nodes):
    nd = list(nodes) + [0] * (20 - len(nodes))
    return [f"{n},1,1,{typ},{topo},1,0,0,0,0,0,0,0", ",".join(map(str, nd[:10])), ",".join(map(str, nd[10:])),
            "0,0,1", "0,0,0", "0,0,0", "0,0,0,0,0,0,0,0,0,0,0,0", "1,0,0,0,0,0,0"]


def load_set(num, title, dyn, option, entries):
    lines = [str(num), title] + LOAD_HEAD + [f"{dyn},0,0,0,0,0,0,0,0,{option}"]
    for e in entries:
        lines += e
    return lines + ["-1", "-1", "-1", "-1"]


def load(target, kind, function=0):
    return [f"{target},{kind},0,0,0,0,0,0,2", "1,0,0", "1,0,0,0,0", f"{function},0,0,0,0", "0,0,0,0", "0,0,0", "0,0,0"]


def springs(n):
    lines = []
    for i in range(1, n + 1):
        lines += elem(i, 7, 9, [i])
    return block(403, [node(i) for i in range(1, n + 1)]) + block(404, lines)


def models():
    unwritten = []
    for i in range(1, 201):
        unwritten += group(i, f"G{i}", [(21, [(1, 2000000000, 1, 0)])])
    yield "groups-unwritten-huge-ranges", block(408, unwritten)

    yield "boundary-group-many-rules", springs(2000) + block(408, group(1, "B", [(21, [(1, 2000, 1, 0)])] * 3000))

    many = []
    for i in range(1, 3001):
        many += group(i, f"B{i}", [(21, [(1, 2000, 1, 0)])])
    yield "many-boundary-groups", springs(2000) + block(408, many)

    damped = []
    for i in range(1, 30001):
        damped += group(i, f"D{i}", [(21, [(1, 1, 1, 0)])], head3="0,0,0,0.05,0.1,0.1")
    yield "many-damped-boundary-groups", springs(1) + block(408, damped)

    options = []
    for i in range(1, 200001):
        options += [str(i), "3,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0"]
    yield "many-case-options", block(901, options)

    function = ["1,22", "Long pulse"] + [f"{i},{i * 0.01:.2f},{(i % 7) - 3}" for i in range(1, 200001)] + ["-1"]
    yield "dyn-loads-over-long-function", (
        block(420, function) + block(901, ["1", "2,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0"]) +
        block(507, load_set(1, "Quake", 1, 1, [load(n, 51, 1) for n in range(1, 40001)])))

    sets = load_set(1, "Dead", 0, 1, [load(n, 1) for n in range(1, 20001)])
    for c in range(2, 10002):
        sets += load_set(c, f"TH{c}", 1, 1, [])
    yield "th-cases-sharing-a-large-initial-load", (
        block(901, ["1", "1,0,0,0,0,0,0,0,0,1", "0,0,0,0,0,0"]) + block(507, sets))

    yield "static-loads-of-many-unknown-kinds", (
        block(901, ["1", "3,0,0,0,0,0,0,0,0,0", "0,0,0,0,0,0"]) +
        block(507, load_set(1, "Odd", 0, 1, [load(n, 1000 + n) for n in range(1, 60001)])))

    types = []
    for i in range(1, 40001):
        types += elem(i, 1000 + i, 0, [1, 2])
    yield "elements-of-many-unknown-types", block(403, [node(1), node(2, 1.0)]) + block(404, types)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, lines in models():
        with open(os.path.join(out, name + ".hvt"), "w") as f:
            f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
