#!/usr/bin/env python3
"""Holds the developer's guide's "A new calculator, file by file" true
against the calculators' list (src/calculators/calculators.h).

For every calculator of the list that has only Compute (no other buttons,
as a new five-field calculator has), every file of src/ whose code names
its model or its Window id must be one of the guide's steps (with `x` the
calculator's file name, `instruments` its layer and `COMMAND` its name on
the command line), and each step's file must exist for it; the steps are
at most eight files.

Usage: check_adding_a_window.py ROOT
"""
import os
import re
import sys

MAX_FILES = 8


def steps(page):
    text = open(page, encoding="utf-8").read()
    section = text.split("## A new calculator, file by file", 1)[1].split("\n## ", 1)[0]
    files = []
    for item in re.findall(r"^\d+\. `([^`]+)`", section, flags=re.M):
        files.append(item)
    return files


def code_of(path):
    text = open(path, encoding="utf-8", errors="replace").read()
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", " ", text)


def calculators(root):
    src = os.path.join(root, "src")
    listing = code_of(os.path.join(src, "calculators", "calculators.h"))
    names = re.search(r"std::tie\(([^)]*)\)", listing).group(1)
    found = []
    for entry in [n.strip() for n in names.split(",")]:
        for folder, _, files in os.walk(src):
            for f in files:
                if not f.endswith(".h"):
                    continue
                path = os.path.join(folder, f)
                code = code_of(path)
                m = re.search(r"CalculatorEntry<(\w+),\s*\w+>\s+" + entry + r"\{(.*?)\n\};", code, flags=re.S)
                if not m:
                    continue
                body = m.group(2)
                tables = re.search(r"\.tables = &(\w+)", body).group(1)
                window = re.search(tables + r"\{\s*Window::(\w+)", code).group(1)
                found.append({
                    "entry": entry,
                    "model": m.group(1),
                    "window": window,
                    "stem": f[:-2],
                    "layer": os.path.relpath(folder, src),
                    "command": re.search(r'\.command = "([^"]+)"', body).group(1),
                    "plain": re.search(r"\.buttons = \{\}", body) is not None,
                })
    return found


def main():
    root = sys.argv[1]
    files = steps(os.path.join(root, "docs", "develop", "adding-a-window.md"))
    faults = []
    if not files:
        faults.append("the guide lists no steps")
    if len(set(files)) > MAX_FILES:
        faults.append(f"the guide's steps are {len(set(files))} files (at most {MAX_FILES})")
    listed = calculators(root)
    if not listed:
        faults.append("no calculator found in src/calculators/calculators.h")
    plain = [c for c in listed if c["plain"]]
    if not plain:
        faults.append("no calculator of the list has Compute alone: nothing to hold the steps against")
    for c in plain:
        mine = set()
        for step in files:
            path = step.replace("instruments/x", c["layer"] + "/" + c["stem"])
            path = path.replace("test_x", "test_" + c["stem"]).replace("COMMAND", c["command"])
            path = path.replace("tests/instruments/", "tests/" + c["layer"] + "/")
            mine.add(path)
            if not os.path.exists(os.path.join(root, path)):
                faults.append(f"{c['entry']}: the step's file {path} is not there")
        names = re.compile(r"\b(" + c["model"] + r"|Window::" + c["window"] + r")\b")
        for folder, _, fs in os.walk(os.path.join(root, "src")):
            for f in fs:
                path = os.path.relpath(os.path.join(folder, f), root)
                if f.endswith((".h", ".cpp")) and names.search(code_of(os.path.join(root, path))):
                    if path not in mine:
                        faults.append(f"{c['entry']}: {path} names it but is not a step of the guide")
    for f in faults:
        print(f)
    print(f"{len(set(files))} files in the guide's steps; held against: {', '.join(c['entry'] for c in plain)}")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
