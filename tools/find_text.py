#!/usr/bin/env python3
"""Finds a text in every file git tracks, and prints each place as
FILE:LINE (FILE:FIRST-LAST when it spans lines) and what stands there.

    tools/find_text.py TEXT...

Letter case does not matter. Between the words any run of white space
matches, line breaks included, and with them the quote that ends a string
and begins the next, or the mark that continues a comment (# // * ; >).
A backslash also finds a doubled one, as C, .rc and Halibut sources write
it. Binary files (the pictures, the icon) are named, not searched. Exits 1
when the text is nowhere."""

import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# What may stand between two words: white space, and around a line break the
# marks that carry a string or a comment on to the next line.
BETWEEN_WORDS = rb"""[\s"'#/*;>]*\s[\s"'#/*;>]*"""


def pattern(text):
    def word(w):
        return b"".join(rb"\\{1,2}" if c == "\\" else re.escape(c.encode()) for c in w)
    return re.compile(BETWEEN_WORDS.join(word(w) for w in text.split()), re.IGNORECASE)


def tracked_files():
    listing = subprocess.run(["git", "-C", ROOT, "ls-files", "-z"], check=True,
                             capture_output=True).stdout
    return [name.decode() for name in listing.split(b"\0") if name]


def main(argv):
    text = " ".join(argv[1:])
    if not text.strip():
        sys.exit(__doc__.split("\n\n")[1].strip())
    found = pattern(text)
    places, binary = 0, []
    for name in tracked_files():
        with open(os.path.join(ROOT, name), "rb") as f:
            data = f.read()
        if b"\0" in data:
            binary.append(name)
            continue
        shown = set()
        for match in found.finditer(data):
            first = data.count(b"\n", 0, match.start()) + 1
            last = first + data.count(b"\n", match.start(), match.end())
            if (first, last) in shown:
                continue  # the text twice on the same lines
            shown.add((first, last))
            start = data.rfind(b"\n", 0, match.start()) + 1
            end = data.find(b"\n", match.end())
            lines = data[start:end if end >= 0 else len(data)].decode("utf-8", "replace")
            where = "%d" % first if first == last else "%d-%d" % (first, last)
            print("%s:%s: %s" % (name, where, " | ".join(l.strip() for l in lines.split("\n"))))
            places += 1
    print("%d place%s; binary files, not searched: %s" % (
        places, "" if places == 1 else "s", ", ".join(binary) or "none"))
    return 0 if places else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
