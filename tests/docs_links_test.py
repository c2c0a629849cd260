#!/usr/bin/env python3
"""The README's and docs/'s links: every link or picture to a file of the
source tree names a file that exists, every #part a heading of that file,
and the README shows no picture (its installed copies, the Debian package's,
the zip's and the installer's, hold no docs/img). The packaged README, when
given, links to no file at all: the packages hold no docs/.

usage: docs_links_test.py SOURCE_DIR [PACKAGED_README]
"""
import pathlib
import re
import sys

LINK = re.compile(r"(!?)\[([^\]\n]*)\]\(([^)\s]+)\)")
FENCE = re.compile(r"^```.*?^```", re.M | re.S)
CODE = re.compile(r"`[^`\n]*`")


def prose(text):
    """The text without code blocks and code spans, which hold no links."""
    return CODE.sub("", FENCE.sub("", text))


def anchors(path):
    """The #parts a page's headings give, as GitHub makes them."""
    found = set()
    for line in prose(path.read_text(encoding="utf-8")).splitlines():
        m = re.match(r"#+\s+(.*)", line)
        if m:
            slug = re.sub(r"[^\w\- ]", "", m.group(1).strip().lower()).replace(" ", "-")
            found.add(slug)
    return found


def check(page, root):
    failures = []
    text = prose(page.read_text(encoding="utf-8"))
    for picture, _, target in LINK.findall(text):
        name = page.relative_to(root)
        if picture and page.name == "README.md" and page.parent == root:
            failures.append(f"{name}: shows the picture {target}")
        if re.match(r"[a-z]+:", target):
            continue
        file_part, _, part = target.partition("#")
        linked = (page.parent / file_part).resolve() if file_part else page
        if not linked.is_file():
            failures.append(f"{name}: {target}: no such file")
        elif part and linked.suffix == ".md" and part not in anchors(linked):
            failures.append(f"{name}: {target}: no heading #{part} in {linked.name}")
    return failures


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    pages = [root / "README.md"] + sorted((root / "docs").glob("*.md"))
    failures = [f for page in pages for f in check(page, root)]
    if len(sys.argv) > 2:
        packaged = pathlib.Path(sys.argv[2])
        for picture, _, target in LINK.findall(prose(packaged.read_text(encoding="utf-8"))):
            if picture or not re.match(r"[a-z]+:", target):
                failures.append(f"{packaged}: links to {target}, which no package holds")
    for f in failures:
        print(f)
    print(f"{len(pages)} pages checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
