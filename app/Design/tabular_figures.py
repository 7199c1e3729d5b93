"""Derives a copy of a font whose ten digits share one advance, each centred in it, so that a
number keeps its width whatever its digits (a counting clock does not jitter). Qt 6.4 cannot ask a
font for its tabular figures, and the application's Latin font has none to ask for.

usage: tabular_figures.py SOURCE.ttf OUTPUT.ttf FAMILY
"""
import sys

from fontTools.ttLib import TTFont


def main(source, output, family):
    font = TTFont(source)
    cmap = font.getBestCmap()
    digits = [cmap[ord(digit)] for digit in "0123456789"]
    metrics = font["hmtx"].metrics
    cell = max(metrics[glyph][0] for glyph in digits)
    glyphs = font["glyf"]
    for glyph_name in digits:
        advance, bearing = metrics[glyph_name]
        shift = (cell - advance) // 2
        glyph = glyphs[glyph_name]
        if glyph.isComposite():
            for component in glyph.components:
                component.x += shift
        elif glyph.numberOfContours > 0:
            glyph.coordinates.translate((shift, 0))
        glyph.recalcBounds(glyphs)
        metrics[glyph_name] = (cell, bearing + shift)
    # Pair kerning would undo the equal cells; the copy sets nothing but numbers.
    if "GPOS" in font:
        del font["GPOS"]
    names = font["name"]
    style = names.getDebugName(17) or names.getDebugName(2) or "Regular"
    for record in list(names.names):
        if record.nameID in (1, 16, 25):
            names.setName(family, record.nameID, record.platformID, record.platEncID, record.langID)
        elif record.nameID == 4:
            names.setName(f"{family} {style}", 4, record.platformID, record.platEncID, record.langID)
        elif record.nameID in (3, 6):
            names.setName(f"{family.replace(' ', '')}-{style.replace(' ', '')}", record.nameID,
                          record.platformID, record.platEncID, record.langID)
    font.save(output)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(*sys.argv[1:])
