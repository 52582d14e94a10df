"""Makes the program's text font: the glyphs of every character in the program's sources (and printable
ASCII) taken from the installed CJK font into a small font of their own family, hinting instructions and
metrics as they are. Drawn from a 5 MiB font file, the program's few hundred characters lie on pages
all over it, and the kernel maps 64 KiB around each one read; from their own font they take a few pages.

    text_font.py CJK_FONT OUTPUT SOURCE...

OUTPUT is rewritten only when the characters changed; otherwise its time is brought up to date.
"""
import logging
import os
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

FAMILY = "Fitmarkel Micro Hei"
# Characters written as escapes: "\u2002", QChar(0x2002).
ESCAPED = re.compile(r"\\u([0-9a-fA-F]{4})|QChar\(0x([0-9a-fA-F]{4})\)")


def main():
    font_path, output, sources = sys.argv[1], sys.argv[2], sys.argv[3:]
    characters = {chr(c) for c in range(0x20, 0x7F)}
    for source in sources:
        with open(source, encoding="utf-8") as f:
            code = f.read()
        characters.update(c for c in code if ord(c) > 0x7F)
        characters.update(chr(int(a or b, 16)) for a, b in ESCAPED.findall(code))
    text = "".join(sorted(characters))

    listed = output + ".characters"
    if os.path.exists(output) and os.path.exists(listed):
        with open(listed, encoding="utf-8") as f:
            if f.read() == text:
                os.utime(output)
                return

    logging.getLogger("fontTools").setLevel(logging.ERROR)
    options = subset.Options()
    options.font_number = 0
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.notdef_outline = True
    font = TTFont(font_path, fontNumber=0, lazy=False, recalcTimestamp=False)
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)
    # A family of its own: under the installed font's name the font database would keep the installed one.
    for record in font["name"].names:
        if record.nameID in (1, 4, 16):
            record.string = FAMILY
        elif record.nameID == 6:
            record.string = FAMILY.replace(" ", "")
    font.save(output)
    with open(listed, "w", encoding="utf-8") as f:
        f.write(text)


if __name__ == "__main__":
    main()
