#!/usr/bin/env python3
"""Fails on a C++ file under src/ of more than 400 non-blank lines, or a
function longer than 60 lines, and prints each offender.

A function is a brace block opened after a parameter list's ")" (with
const, noexcept, an override, a trailing return type or a constructor's
initializer list between them) that is not a control statement's block and
not a lambda's inside another function; its length runs from the line of
its name to its closing brace. Namespaces, classes, enums and initializer
lists are passed through. Comments, strings and character literals are
blanked first, so braces in them do not count.

Usage: check_sizes.py SRC_DIR [--max-lines N] [--max-function N]
Known exceptions are listed in the file size_exceptions.txt beside this
script, one a line: "path" for a file, "path:function" for a function,
paths from SRC_DIR. An exception that no longer needs its line fails too.

check_sizes.py --self-test checks the scanner on a few tricky pieces.
"""
import os
import re
import sys

CONTROL = {"if", "for", "while", "switch", "catch", "return", "sizeof", "decltype", "alignof", "noexcept",
           "static_assert", "requires", "co_return"}


def blank_comments_and_strings(text):
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == 'R' and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            k = text.find("(", i + 2)
            delim = ")" + text[i + 2:k] + '"'
            j = text.find(delim, k)
            j = n if j < 0 else j + len(delim)
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                out.append(c)  # a digit separator: 1'000'000
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(c + " " * (j - i - 2) + c if j - i >= 2 else text[i:j])
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def strip_preprocessor(text):
    lines = text.split("\n")
    out, continued = [], False
    for line in lines:
        if continued or line.lstrip().startswith("#"):
            continued = line.rstrip().endswith("\\")
            out.append("")
        else:
            out.append(line)
    return "\n".join(out)


def matching_open(text, close):
    """The index of the "(" that the ")" at `close` closes."""
    depth = 0
    for k in range(close, -1, -1):
        if text[k] == ")":
            depth += 1
        elif text[k] == "(":
            depth -= 1
            if depth == 0:
                return k
    return -1


def word_before(text, k):
    k -= 1
    while k >= 0 and text[k].isspace():
        k -= 1
    end = k + 1
    while k >= 0 and (text[k].isalnum() or text[k] in "_:~<>"):
        k -= 1
    return text[k + 1:end]


def function_name(text, brace):
    """The function's name when the block at `brace` is a function body, else None."""
    head = text[:brace].rstrip()
    # A constructor's initializer list, ") : a_(x), b_{y}", back to its ":".
    colon = find_initializer_colon(head)
    if colon is not None:
        if re.search(r"\w$", head):
            return None  # a member's initializer, y_{2}
        head = head[:colon].rstrip()
    m = re.search(r"\)\s*(const|noexcept|override|final|mutable|volatile|&|&&|\s|->[^{;]*)*$", head)
    if not m:
        return None
    close = m.start()
    open_ = matching_open(head, close)
    if open_ < 0:
        return None
    name = word_before(head, open_)
    bare = name.split("::")[-1]
    if not name or bare in CONTROL or name.endswith(">") and "operator" not in name:
        return None
    if head[:open_].rstrip().endswith("]") or bare == "":
        return None  # a lambda's parameter list
    return name, head.rfind(name, 0, open_)


def find_initializer_colon(head):
    """The ":" that starts a constructor's initializer list ending `head`, if any."""
    depth = 0
    for k in range(len(head) - 1, -1, -1):
        c = head[k]
        if c in ")}]":
            depth += 1
        elif c in "({[":
            depth -= 1
            if depth < 0:
                return None
            # Back at the list's level: a brace there is a member's
            # initializer (b_{y}) or it closes a block before the list.
            if depth == 0 and c == "{" and not re.search(r"[\w>]\s*$", head[:k]):
                return None
        elif depth == 0 and c in ";":
            return None
        elif depth == 0 and c == ":" and head[k - 1] != ":" and (k + 1 >= len(head) or head[k + 1] != ":"):
            before = head[:k].rstrip()
            return k if before.endswith(")") else None
    return None


def functions(text):
    """(name, first line, last line) of every function body outside another function."""
    found = []
    stack = []  # for each open brace: the function it opens, or None
    line_of = [0] * (len(text) + 1)
    line = 1
    for k, c in enumerate(text):
        line_of[k] = line
        if c == "\n":
            line += 1
    for k, c in enumerate(text):
        if c == "{":
            inside = any(s is not None for s in stack)
            found_name = None if inside else function_name(text, k)
            if found_name is not None:
                name, start = found_name
                stack.append((name, line_of[start]))
            else:
                stack.append(None)
        elif c == "}" and stack:
            top = stack.pop()
            if top is not None:
                found.append((top[0], top[1], line_of[k]))
    return found


SAMPLE = """
namespace a { namespace b {
struct S {
    S(int x) : x_(x), y_{2} {
        if (x) { x_ = 1; }
    }
    int f() const { return x_; }
    int x_, y_;
};
auto g = [](int v) {
    return v;
};
}  // namespace b
}
S::S() : x_(0) {
    auto h = [&](int v) { return v + 1; };
    const char* s = "}{";
    char c = '}';
    /* } */
    // {
}
int main(int argc, char** argv) noexcept
{
    for (int i = 0; i < 2; ++i) {
    }
    return 0;
}
template <class T>
auto k(T t) -> decltype(t) {
    return t;
}
"""


def self_test():
    clean = strip_preprocessor(blank_comments_and_strings(SAMPLE))
    got = [(name, first, last) for name, first, last in functions(clean)]
    want = [("S", 4, 6), ("f", 7, 7), ("S::S", 15, 21), ("main", 22, 27), ("k", 29, 31)]
    if got != want:
        print("scanner self-test: got", got, "want", want)
        return 1
    return 0


def main():
    args = sys.argv[1:]
    if args == ["--self-test"]:
        return self_test()
    src = args[0]
    max_lines = int(args[args.index("--max-lines") + 1]) if "--max-lines" in args else 400
    max_function = int(args[args.index("--max-function") + 1]) if "--max-function" in args else 60
    exceptions_file = os.path.join(os.path.dirname(os.path.abspath(__file__)), "size_exceptions.txt")
    exceptions = set()
    if os.path.exists(exceptions_file):
        for raw in open(exceptions_file, encoding="utf-8"):
            raw = raw.split("#", 1)[0].strip()
            if raw:
                exceptions.add(raw)
    faults, excused = [], set()
    for root, _, files in os.walk(src):
        for f in sorted(files):
            if not f.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, f)
            rel = os.path.relpath(path, src)
            text = open(path, encoding="utf-8").read()
            lines = sum(1 for l in text.split("\n") if l.strip())
            if lines > max_lines and rel in exceptions:
                excused.add(rel)
            elif lines > max_lines:
                faults.append(f"{rel}: {lines} non-blank lines (at most {max_lines})")
            clean = strip_preprocessor(blank_comments_and_strings(text))
            for name, first, last in functions(clean):
                length = last - first + 1
                if length <= max_function:
                    continue
                key = f"{rel}:{name}"
                if key in exceptions:
                    excused.add(key)
                    continue
                faults.append(f"{rel}:{first}: {name} is {length} lines (at most {max_function})")
    for key in sorted(exceptions - excused):
        faults.append(f"{key}: listed in size_exceptions.txt but no longer too long: take it off the list")
    for f in faults:
        print(f)
    if excused:
        print(f"({len(excused)} known exceptions: {', '.join(sorted(excused))})")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
