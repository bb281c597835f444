#!/usr/bin/env python3
"""Runs the cases of one golden file through the real tarvenix-cli.

A case is a command line after "$ " (arguments split as a shell would,
"< FILE" feeding a file to standard input), then its expected output:
"> " a line of standard output, "! " a line of standard error ("> ~" and
"! ~" a regular expression the whole line must match) and "= N" the exit
status, which ends the case. Lines starting with "#" say where the expected
values come from. Every case runs in one scratch folder holding a copy of
the data folder, in the file's order (a later case may read what an earlier
one wrote).
"""
import re
import shlex
import shutil
import subprocess
import sys
import tempfile


def parse(path):
    cases, case = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("$"):
                case = {"line": number, "command": line[1:].strip(), "out": [], "err": []}
            elif line.startswith("> "):
                case["out"].append(line[2:])
            elif line.startswith("! "):
                case["err"].append(line[2:])
            elif line.startswith("= "):
                case["status"] = int(line[2:])
                cases.append(case)
                case = None
            else:
                raise SystemExit(f"{path}:{number}: not a case line: {line}")
    return cases


def matches(expected, actual):
    if len(expected) != len(actual):
        return False
    for e, a in zip(expected, actual):
        if e.startswith("~"):
            if not re.fullmatch(e[1:], a):
                return False
        elif e != a:
            return False
    return True


def main():
    binary, golden, data = sys.argv[1:4]
    failures = 0
    cases = parse(golden)
    with tempfile.TemporaryDirectory() as scratch:
        shutil.copytree(data, scratch, dirs_exist_ok=True)
        for case in cases:
            words = shlex.split(case["command"])
            stdin = subprocess.DEVNULL
            if "<" in words:
                at = words.index("<")
                stdin = open(f"{scratch}/{words[at + 1]}", "rb")
                words = words[:at]
            run = subprocess.run([binary] + words, cwd=scratch, stdin=stdin, capture_output=True)
            out = run.stdout.decode("utf-8").split("\n")
            err = run.stderr.decode("utf-8").split("\n")
            out, err = out[:-1] if out[-1] == "" else out, err[:-1] if err[-1] == "" else err
            ok = run.returncode == case["status"] and matches(case["out"], out) and matches(case["err"], err)
            if not ok:
                failures += 1
                print(f"{golden}:{case['line']}: $ {case['command']}")
                print(f"  status {run.returncode}, expected {case['status']}")
                print("  stdout:\n    " + "\n    ".join(out))
                print("  stderr:\n    " + "\n    ".join(err))
    print(f"{len(cases) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
