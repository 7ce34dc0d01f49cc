#!/usr/bin/env python3
"""Fills a page template with fixed sample answers, the way Zephyro does.

Usage: fill_sample.py TEMPLATE OUTPUT [VARIANT]

VARIANT is one of:
  sample  the answers shown in the template previews (default)
  empty   most answers left empty: only a title, a heading and some text
  full    every answer used: background picture, left margin, drop-down links,
          image links, a lettered list and colours of the user's own
  dark    light text on a dark background, small heading

The picture files the answers name (hills.png, badge.png, paper.png,
button1.png, button2.png) are expected beside OUTPUT.
"""

import os
import sys

CRLF = "\r\n"

# The order matters: each line is changed step by step, and each step replaces
# only the first occurrence on the line as already changed.
ORDER = [
    "<HTML>", "#pagetitle", "#meta", "#combolink", "#bgurl",
    "#bgcolor", "#text", "#link", "#alink", "#vlink",
    "#openmargin", "#headcaption", "#headsize", "#pageimage", "#pagelinks",
    "#pagetext", "#bulletlist", "#closemargin", "</BODY>",
]

DEFAULT_COLOURS = {
    "#bgcolor": "#FFFFFF", "#text": "#000000", "#link": "#0000FF",
    "#alink": "#FF0000", "#vlink": "#800080",
}

SAMPLE_LINKS = [
    ("http://www.example.com/album/", "My photo album"),
    ("http://www.example.com/recipes/", "Favourite recipes"),
    ("http://www.example.org/hillwalkers/", "Hill walkers club"),
]

SAMPLE_TEXT = [
    "Hello and welcome! My name is Anna and I live at the foot of the hills",
    "with my two cats, Pepper and Moss.",
    "<P>On this page you will find photos from my walks, my favourite recipes",
    "and links to the sites I visit every day. I add something new every",
    "month, so please come back soon.",
    "<P>Thank you for stopping by!",
]


def creation_comment(name):
    return CRLF.join([
        "<!-- Created with the Marbleton HTML Editor Zephyro -->",
        "<!--             template %s           -->" % name,
        "<!-- Brewed by the template preview tool -->",
    ]) + CRLF


def meta_lines(pairs):
    return "".join('<META CONTENT="%s" NAME="%s">%s' % (content, name, CRLF)
                   for name, content in pairs)


def text_links(links):
    return "".join('<A HREF="%s">%s</A><BR>%s' % (url, text, CRLF) for url, text in links)


def image_link(url, picture):
    return ('<A HREF="%s"><IMG SRC="%s" BORDER=0 HEIGHT="31" WIDTH="88" '
            'ALT="Image Link"></A><BR CLEAR="ALL">%s' % (url, picture, CRLF))


def combo_script():
    selected = "document.selecter.select1.options[document.selecter.select1.selectedIndex].value"
    return CRLF.join([
        '<script language="JavaScript">',
        "<!--",
        "\tfunction go(){",
        '\tif (%s != "none") {' % selected,
        "\t\tlocation = " + selected,
        "\t\t}",
        "\t}",
        "//-->",
        "</script>",
    ]) + CRLF


def combo_links(links):
    out = ['<script language="JavaScript">', "<!--",
           "document.write('<form name=\"selecter\"><select name=\"select1\" size=1>');"]
    for url, text in links:
        out.append("document.write('<option value=\"%s\">%s');" % (url, text))
    out += ["document.write('</select>');",
            "document.write('<INPUT TYPE=\"button\" VALUE=\"Go\" onclick=\"go()\">');",
            "document.write('</form>');", "//-->", "</script>"]
    return CRLF.join(out) + CRLF


def bullet_list(tag, kind, items):
    return CRLF.join(['<%s TYPE="%s">' % (tag, kind)]
                     + ["<LI>" + item for item in items] + ["</%s>" % tag])


def credit_block():
    # As the program writes it, except that the badge is a local picture.
    return CRLF.join([
        '<BR CLEAR="ALL"><P>',
        "<CENTER>",
        '<HR NOSHADE WIDTH="50%">',
        '<A HREF="http://www.example.com/">',
        '<IMG SRC="badge.png" BORDER=0><BR>',
        '<FONT SIZE="1" FACE="VERDANA, ARIAL">Created with Marbleton HTML',
        "Zephyro</A></FONT>",
        "</CENTER>",
        "</BODY>",
    ])


OPEN_MARGIN = CRLF.join([
    "<TABLE BORDER=0 CELLPADDING=0 CELLSPACING=0>",
    "<TR><TD WIDTH=120>&nbsp;</TD>",
    '<TD VALIGN="TOP">',
]) + CRLF
CLOSE_MARGIN = "</TD></TR></TABLE>" + CRLF
PAGE_IMAGE = '<IMG SRC="hills.png" HEIGHT="200" WIDTH="300" BORDER="0" ALT="Image">'


def answers(name, variant):
    a = {key: "" for key in ORDER}
    a.update(DEFAULT_COLOURS)
    a["<HTML>"] = creation_comment(name)
    a["</BODY>"] = credit_block()
    a["#pagetitle"] = "Anna's Home Page"
    a["#headcaption"] = "Welcome to my home page"
    a["#headsize"] = "7"
    a["#pagetext"] = CRLF.join(SAMPLE_TEXT)
    if variant == "empty":
        a["#headsize"] = "4"
        a["#pagetext"] = CRLF.join(SAMPLE_TEXT[:2])
        return a
    a["#meta"] = meta_lines([("Keywords", "home page, walks, recipes, cats"),
                             ("Description", "Anna's home page")])
    a["#pageimage"] = PAGE_IMAGE
    a["#pagelinks"] = text_links(SAMPLE_LINKS)
    a["#bulletlist"] = bullet_list("UL", "Disc", [
        "Walks in the hills", "Home-made bread", "My two cats"])
    if variant == "full":
        a["#bgurl"] = "paper.png"
        a.update({"#bgcolor": "#FFF8E7", "#text": "#3B2F2F", "#link": "#8B1E3F",
                  "#alink": "#D2691E", "#vlink": "#5B3A6E"})
        a["#openmargin"] = OPEN_MARGIN
        a["#closemargin"] = CLOSE_MARGIN
        a["#combolink"] = combo_script()
        # The program writes either a drop-down box or a list; both at once
        # shows how each sits in the design.
        a["#pagelinks"] = (combo_links(SAMPLE_LINKS)
                           + image_link("http://www.example.com/", "button1.png")
                           + image_link("http://www.example.net/", "button2.png"))
        a["#bulletlist"] = bullet_list("OL", "A", [
            "Walks in the hills", "Home-made bread", "My two cats"])
        a["#headsize"] = "5"
    elif variant == "dark":
        a.update({"#bgcolor": "#1E2430", "#text": "#E8E6E3", "#link": "#8FC1FF",
                  "#alink": "#FFB86B", "#vlink": "#C9A4FF"})
        a["#headsize"] = "2"
        a["#bulletlist"] = bullet_list("OL", "i", [
            "Walks in the hills", "Home-made bread", "My two cats"])
    elif variant != "sample":
        raise SystemExit("unknown variant: " + variant)
    return a


def fill(template_text, values):
    out = []
    for line in template_text.splitlines():
        for key in ORDER:
            line = line.replace(key, values[key], 1)
        out.append(line)
    return CRLF.join(out) + CRLF


def main(argv):
    if len(argv) not in (3, 4):
        raise SystemExit(__doc__)
    source, target = argv[1], argv[2]
    variant = argv[3] if len(argv) == 4 else "sample"
    name = os.path.splitext(os.path.basename(source))[0]
    with open(source, encoding="utf-8") as f:
        text = f.read()
    with open(target, "w", encoding="utf-8", newline="") as f:
        f.write(fill(text, answers(name, variant)))


if __name__ == "__main__":
    main(sys.argv)
