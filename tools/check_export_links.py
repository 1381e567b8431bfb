#!/usr/bin/env python3
"""Checks the navigation of an HTML export of Vexo.

Usage: check_export_links.py [--chromium] FOLDER [FIRST_PAGE]
       (FIRST_PAGE default back.htm)

Page k of an export is the first page's name with k put before its first ".";
every page carries the navigation bar above and below its rows. For every page
this checks that each navigation link names a file that exists in FOLDER and
the right page (first: page 0, previous: k - 1, next: k + 1, last: the last
page), that exactly the links that apply are there, and that the row numbers
run on from page to page. With --chromium each page is read as headless
Chromium has parsed it (its document, as --dump-dom prints it) instead of as
bytes. Prints one line per page; exit status 1 on a fault, 2 on bad usage.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

# The link pieces, as the pages spell them after the link's address.
PIECES = [("first", "|&lt;最前"), ("previous", "&lt;&lt;上页"),
          ("next", "下页&gt;&gt;"), ("last", "最后&gt;|")]
LINK = re.compile(r'<a href="([^"]*)">(\|&lt;最前|&lt;&lt;上页|下页&gt;&gt;|最后&gt;\|)</a>')
ROW = re.compile(r'target="_blank">(\d+)、')


def page_name(first, k):
    if k == 0:
        return first
    dot = first.find(".")
    return first + str(k) if dot < 0 else first[:dot] + str(k) + first[dot:]


def read_page(path, profile):
    if not profile:
        with open(path, "rb") as f:
            return f.read().decode("gbk", errors="replace")
    done = subprocess.run(
        ["chromium", "--headless", "--no-sandbox", "--disable-gpu",
         f"--user-data-dir={profile}", "--dump-dom", "file://" + os.path.abspath(path)],
        capture_output=True, timeout=60, check=False)
    return done.stdout.decode("utf-8", errors="replace")


def main(argv):
    args = argv[1:]
    profile = tempfile.mkdtemp(prefix="chromium-") if "--chromium" in args else None
    try:
        return check(args, profile)
    finally:
        if profile:
            shutil.rmtree(profile, ignore_errors=True)


def check(args, profile):
    args = [a for a in args if a != "--chromium"]
    if not args:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    folder = args[0]
    first = args[1] if len(args) > 1 else "back.htm"
    pages = []
    while os.path.exists(os.path.join(folder, page_name(first, len(pages)))):
        pages.append(page_name(first, len(pages)))
    if not pages:
        print(f"no {first} in {folder}")
        return 1
    last = len(pages) - 1
    faults = 0
    next_row = 1
    for k, name in enumerate(pages):
        text = read_page(os.path.join(folder, name), profile)
        links = [(href, dict((p, n) for n, p in PIECES)[piece])
                 for href, piece in LINK.findall(text)]
        want = []
        if k > 0:
            want += [(page_name(first, 0), "first"), (page_name(first, k - 1), "previous")]
        if k < last:
            want += [(page_name(first, k + 1), "next"), (page_name(first, last), "last")]
        problems = []
        if links != want + want:
            problems.append(f"links {links}, want {want} above and below the rows")
        for href, _ in links:
            if not os.path.exists(os.path.join(folder, href)):
                problems.append(f"{href} does not exist")
        rows = [int(n) for n in ROW.findall(text)]
        if rows and rows != list(range(next_row, next_row + len(rows))):
            problems.append(f"rows {rows[0]}..{rows[-1]} do not follow {next_row - 1}")
        if rows:
            next_row = rows[-1] + 1
        shown = ", ".join(f"{kind} {href}" for href, kind in links[: len(links) // 2]) or "none"
        rows_text = f"rows {rows[0]}-{rows[-1]}" if rows else "no rows"
        print(f"{name}: {rows_text}; links: {shown}" + ("" if not problems else " -- FAULT"))
        for p in problems:
            print(f"  {p}")
        faults += len(problems)
    print(f"{len(pages)} pages, {next_row - 1} rows, {faults} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
