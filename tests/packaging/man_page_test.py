#!/usr/bin/env python3
"""The man page's OPTIONS against the tool's --help: every option the help
lists has an entry of its own in the page, with all its spellings (-o and
--output-dir in one entry), and the page lists no option the tool lacks.

usage: man_page_test.py PROGRAM MAN_PAGE
"""
import re
import subprocess
import sys

OPTION = re.compile(r"(?<![\w-])--?[A-Za-z][\w-]*")


def help_options(program):
    """Each option line of --help as the set of its spellings."""
    text = subprocess.run([program, "--help"], check=True, capture_output=True, text=True,
                          env={"LC_ALL": "C"}).stdout
    section = text.split("\nOptions:\n", 1)[1].split("\n\n", 1)[0]
    entries = []
    for line in section.splitlines():
        m = re.match(r"  (-\S+)", line)
        if m:
            entries.append(frozenset(OPTION.findall(m.group(1))))
    return entries


def page_options(path):
    """Each tag of the OPTIONS section (the line after .TP) as its spellings."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    start = lines.index(".SH OPTIONS") + 1
    end = next(i for i in range(start, len(lines)) if lines[i].startswith(".SH "))
    entries = []
    for i in range(start, end - 1):
        if lines[i] == ".TP":
            tag = re.sub(r"\\f[BIRP]", "", lines[i + 1]).replace("\\-", "-")
            tag = re.sub(r"^\.[A-Z]+ ", "", tag)
            entries.append(frozenset(OPTION.findall(tag)))
    return entries


def main():
    program, page = sys.argv[1:3]
    in_help = help_options(program)
    in_page = page_options(page)
    failures = []
    if not in_help:
        failures.append("no options found in --help")
    for spellings in in_help:
        if spellings not in in_page:
            failures.append("not in the man page as one entry: " + ", ".join(sorted(spellings)))
    for spellings in in_page:
        if spellings not in in_help:
            failures.append("in the man page but not in --help: " + ", ".join(sorted(spellings)))
    for f in failures:
        print(f)
    print(f"{len(in_help)} options in --help, {len(in_page)} in the man page")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
