#!/usr/bin/env python3
"""Runs the documents' command-line examples through the real tarvenix-cli.

Arguments: the program, then Markdown files or folders (a folder stands
for every .md file under it), then the test data folder. Every ```console
block of every page is read as a session, the pages in the order given (a
folder's in the order of their paths): "$ " starts a command (a line
ending in "\\" goes on), the lines up to the next "$ " are what it prints,
standard error after standard output (none shown: it is only run, and must
succeed). "$ cat FILE" shows a file: its lines are written to FILE before
the commands after it run. In an expected line "..." stands for any text,
and a note set off by two or more blanks and in parentheses, "   (the
training's own figure)", is the reader's, not the program's. The commands
run through the shell, in one scratch folder for all the pages, holding the
test data both at its top and under tests/cli/data, with tarvenix-cli first
on the path.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile


def pages(paths):
    found = []
    for path in paths:
        if os.path.isdir(path):
            found += sorted(os.path.join(d, n) for d, _, names in os.walk(path) for n in names if n.endswith(".md"))
        else:
            found.append(path)
    return found


def blocks(page):
    lines, block, inside = [], None, False
    with open(page, encoding="utf-8") as f:
        lines = [raw.rstrip("\n") for raw in f]
    found = []
    for number, line in enumerate(lines, 1):
        if line.startswith("```console"):
            inside, block = True, []
        elif line.startswith("```") and inside:
            inside = False
            found.append(block)
        elif inside:
            block.append((number, line))
    return [(page, block) for block in found]


def steps(page, block):
    """(line, command, expected lines) in the block's order."""
    found, step = [], None
    for number, line in block:
        if line.startswith("$ "):
            step = [number, line[2:], []]
            found.append(step)
        elif step and step[1].endswith("\\") and not step[2]:
            step[1] = step[1][:-1] + " " + line.strip()
        elif step:
            step[2].append(line)
        else:
            raise SystemExit(f"{page}:{number}: output before any command: {line}")
    return found


def pattern(expected):
    expected = re.sub(r" {2,}\(.*\)$", "", expected)
    return "".join(".*" if part == "..." else re.escape(part) for part in re.split(r"(\.\.\.)", expected))


def main():
    binary, documents, data = sys.argv[1], sys.argv[2:-1], sys.argv[-1]
    binary = os.path.abspath(binary)
    env = dict(os.environ, PATH=os.path.dirname(binary) + os.pathsep + os.environ.get("PATH", ""), LC_ALL="C.UTF-8")
    failures, count = 0, 0
    with tempfile.TemporaryDirectory() as scratch:
        shutil.copytree(data, scratch, dirs_exist_ok=True)
        shutil.copytree(data, os.path.join(scratch, "tests", "cli", "data"))
        for page, block in (b for name in pages(documents) for b in blocks(name)):
            for number, command, expected in steps(page, block):
                if command.startswith("cat "):
                    with open(os.path.join(scratch, command[4:].strip()), "w", encoding="utf-8") as f:
                        f.write("".join(line + "\n" for line in expected))
                    continue
                if not command.startswith("tarvenix-cli"):
                    continue
                count += 1
                run = subprocess.run(["sh", "-c", command], cwd=scratch, env=env, capture_output=True)
                shown = (run.stdout + run.stderr).decode("utf-8").splitlines()
                ok = run.returncode == 0 if not expected else len(shown) == len(expected) and all(
                    re.fullmatch(pattern(e), s) for e, s in zip(expected, shown))
                if not ok:
                    failures += 1
                    print(f"{page}:{number}: $ {command}\n  status {run.returncode}")
                    print("  expected:\n    " + "\n    ".join(expected))
                    print("  printed:\n    " + "\n    ".join(shown))
    print(f"{count - failures} passed, {failures} failed")
    return 1 if failures or not count else 0


if __name__ == "__main__":
    sys.exit(main())
