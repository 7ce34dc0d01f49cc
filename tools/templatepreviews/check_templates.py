#!/usr/bin/env python3
"""Checks every page template in data/Templates (or the folder given).

Zephyro replaces, line by line, the first occurrence of each placeholder, so a
template must hold each one exactly once and no other text may contain one.
Every template must also hide the badge of the credit line with CSS.
Usage: check_templates.py [FOLDER]   exit code 0 when every template passes.
"""

import os
import re
import sys

# In the order Zephyro replaces them on a line.
ORDER = [
    "<HTML>", "#pagetitle", "#meta", "#combolink", "#bgurl",
    "#bgcolor", "#text", "#link", "#alink", "#vlink",
    "#openmargin", "#headcaption", "#headsize", "#pageimage", "#pagelinks",
    "#pagetext", "#bulletlist", "#closemargin", "</BODY>",
]

# Replaced by what the user typed, which might itself hold a placeholder; a
# later placeholder after one of these on the same line could be taken from
# the user's text instead of the template.
FREE_TEXT = {"#pagetitle", "#meta", "#headcaption", "#headsize", "#pagelinks",
             "#pagetext", "#bulletlist"}

CHARSET = re.compile(rb"""<meta\s+charset\s*=\s*["']?utf-8["']?\s*/?>""", re.I)

# The credit line that takes the place of </BODY> shows a badge loaded from the
# maker's site (src/document/pagebuilder.cpp), which has no such picture: every
# template hides it with a rule like
#   img[src$="/editor/qzbadge4.gif"] { display: none; }
BADGE_PATH = "/editor/qzbadge4.gif"
STYLE_BLOCK = re.compile(r"<style[^>]*>(.*?)</style>", re.I | re.S)
CSS_COMMENT = re.compile(r"/\*.*?\*/", re.S)
CSS_RULE = re.compile(r"([^{}]+)\{([^{}]*)\}")
BADGE_SELECTOR = re.compile(r"""img\[\s*src\s*\$=\s*(["'])%s\1\s*\]$"""
                            % re.escape(BADGE_PATH), re.I)
HIDDEN = re.compile(r"(^|;)\s*display\s*:\s*none\s*(!important\s*)?(;|$)", re.I)


def hides_badge(text):
    """A style rule whose selector list picks the badge itself and hides it."""
    for block in STYLE_BLOCK.findall(text):
        for selectors, body in CSS_RULE.findall(CSS_COMMENT.sub("", block)):
            if HIDDEN.search(body.strip()) and any(
                    BADGE_SELECTOR.search(selector.strip())
                    for selector in selectors.split(",")):
                return True
    return False


def check_line_order(lines):
    problems = []
    for number, line in enumerate(lines, 1):
        for i, early in enumerate(ORDER):
            start = line.find(early)
            if start < 0 or early not in FREE_TEXT:
                continue
            for late in ORDER[i + 1:]:
                if line.find(late, start) >= 0:
                    problems.append("line %d: %s follows %s, whose answer is free text"
                                    % (number, late, early))
    return problems


def check_template(path):
    problems = []
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        return ["does not decode as UTF-8: %s" % error]
    if text.startswith("\ufeff"):
        problems.append("starts with a byte order mark")
    for key in ORDER:
        count = text.count(key)
        if count != 1:
            problems.append("%r occurs %d times, not once" % (key, count))
    # A placeholder inside a longer word (like an id "#textbox") was already
    # counted above; this names the culprit.
    for key in ORDER[1:-1]:
        for match in re.finditer(re.escape(key) + r"[\w-]", text):
            line = text.count("\n", 0, match.start()) + 1
            problems.append("line %d: %r is part of a longer word" % (line, key))
    if not CHARSET.search(raw):
        problems.append('no <meta charset="utf-8"> line')
    if not text.lstrip().lower().startswith("<!doctype html>"):
        problems.append("does not start with <!DOCTYPE html>")
    if not hides_badge(text):
        problems.append('no CSS rule img[src$="%s"] { display: none; } to hide the '
                        "credit line's badge" % BADGE_PATH)
    problems += check_line_order(text.splitlines())

    bmp = os.path.splitext(path)[0] + ".bmp"
    if not os.path.isfile(bmp):
        problems.append("no preview picture %s" % os.path.basename(bmp))
    else:
        with open(bmp, "rb") as f:
            head = f.read(30)
        if len(head) < 30 or head[:2] != b"BM":
            problems.append("%s is not a BMP file" % os.path.basename(bmp))
        else:
            width = int.from_bytes(head[18:22], "little", signed=True)
            height = abs(int.from_bytes(head[22:26], "little", signed=True))
            bits = int.from_bytes(head[28:30], "little")
            if (width, height, bits) != (150, 190, 24):
                problems.append("%s is %dx%d at %d bits, not 150x190 at 24"
                                % (os.path.basename(bmp), width, height, bits))
    return problems


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    folder = argv[1] if len(argv) > 1 else os.path.join(here, "..", "..", "data", "Templates")
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith(".html"))
    if not names:
        print("no templates in %s" % folder)
        return 1
    failed = 0
    for name in names:
        problems = check_template(os.path.join(folder, name))
        if problems:
            failed += 1
            print("FAIL %s" % name)
            for problem in problems:
                print("  " + problem)
        else:
            print("ok   %s" % name)
    print("%d passed, %d failed" % (len(names) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
