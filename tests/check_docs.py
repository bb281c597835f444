#!/usr/bin/env python3
"""Checks the project's documents: README.md is at most 400 lines, every
Markdown page under docs/ is reached from it by inline links [text](path)
(directly or through other pages), and every relative link and image in
README.md and docs/ names a file that exists, and, where it names a heading
of a Markdown page (page.md#heading, or #heading on the page itself), a
heading of that page, as the repository's web view makes the anchors.

Usage: check_docs.py ROOT      checks the tree at ROOT
       check_docs.py --self    checks that broken trees are refused
"""
import os
import re
import sys
import tempfile

MAX_README_LINES = 400
LINK = re.compile(r"!?\[([^\[\]]*)\]\(\s*<?([^()\s<>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
EXTERNAL = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")


def prose_lines(path):
    """(line number, text) of the lines outside fenced code blocks, with the
    code spans blanked so that no example is read as a link."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    fence = None
    for number, line in enumerate(lines, 1):
        match = FENCE.match(line)
        if match:
            if fence is None:
                fence = match.group(1)
            elif match.group(1) == fence:
                fence = None
            continue
        if fence is None:
            yield number, re.sub(r"`+[^`]*`+", lambda m: "x" * len(m.group(0)), line)


def anchor(heading):
    """The anchor the web view gives a heading: the words in lower case,
    punctuation dropped (hyphens and underscores kept), blanks as hyphens."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading).replace("`", "")
    text = re.sub(r"[^\w\- ]", "", text.lower())
    return text.replace(" ", "-")


def anchors(path):
    found, seen = set(), {}
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    fence = None
    for line in lines:
        match = FENCE.match(line)
        if match:
            fence = match.group(1) if fence is None else (None if match.group(1) == fence else fence)
            continue
        heading = HEADING.match(line) if fence is None else None
        if heading:
            base = anchor(heading.group(2))
            count = seen.get(base, 0)
            seen[base] = count + 1
            found.add(base if count == 0 else f"{base}-{count}")
    return found


def links(path):
    """(line, target) of every relative link and image of a page."""
    for number, line in prose_lines(path):
        for match in LINK.finditer(line):
            target = match.group(2)
            if not EXTERNAL.match(target):
                yield number, target


def check(root):
    root = os.path.abspath(root)
    problems = []
    readme = os.path.join(root, "README.md")
    with open(readme, encoding="utf-8") as f:
        count = len(f.read().splitlines())
    if count > MAX_README_LINES:
        problems.append(f"README.md: {count} lines, more than {MAX_README_LINES}")
    docs = os.path.join(root, "docs")
    pages = {os.path.join(d, n) for d, _, names in os.walk(docs) for n in names if n.endswith(".md")}
    reached, queue = {readme}, [readme]
    while queue:
        page = queue.pop()
        for number, target in links(page):
            where = f"{os.path.relpath(page, root)}:{number}"
            file_part, _, fragment = target.partition("#")
            path = os.path.normpath(os.path.join(os.path.dirname(page), file_part)) if file_part else page
            if not os.path.exists(path):
                problems.append(f"{where}: {target}: no such file")
                continue
            if fragment and path.endswith(".md") and fragment not in anchors(path):
                problems.append(f"{where}: {target}: no heading #{fragment} there")
            if path in pages and path not in reached:
                reached.add(path)
                queue.append(path)
    for page in sorted(pages - reached):
        problems.append(f"{os.path.relpath(page, root)}: not reached from README.md by links")
    return problems


def self_test():
    """Each broken tree must be refused with its own complaint, and a sound
    one accepted."""

    base = tempfile.TemporaryDirectory()

    def tree(files):
        scratch = tempfile.mkdtemp(dir=base.name)
        for name, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(scratch, name)), exist_ok=True)
            with open(os.path.join(scratch, name), "w", encoding="utf-8") as f:
                f.write(text)
        return scratch

    sound = {
        "README.md": "# T\n[Guide](docs/guide/a.md#the-a-window---robust)\n```\n[not a link](nowhere.md)\n```\n",
        "docs/guide/a.md": "# The A window (`--robust`)\n![pic](../a.png) [b](b.md#b) and `[x](y.md)`\n",
        "docs/guide/b.md": "# B\n[back](a.md) [top](#b)\n",
        "docs/a.png": "",
    }
    cases = {
        "no such file": {"docs/guide/b.md": "# B\n[gone](c.md)\n"},
        "no heading #b": {"docs/guide/b.md": "# C\n"},
        "not reached": {"docs/guide/c.md": "# C\n"},
        "more than 400": {"README.md": sound["README.md"] + "line\n" * 400},
        "../a.png: no such file": {"docs/a.png": None},
    }
    failures = []
    refused = check(tree(sound))
    if refused:
        failures.append(f"a sound tree refused: {refused}")
    for expected, change in cases.items():
        files = {k: v for k, v in {**sound, **change}.items() if v is not None}
        found = check(tree(files))
        if not any(expected in p for p in found):
            failures.append(f"{expected}: not reported ({found})")
    base.cleanup()
    return failures


def main():
    problems = self_test() if sys.argv[1] == "--self" else check(sys.argv[1])
    for problem in problems:
        print(problem)
    print(f"{len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
