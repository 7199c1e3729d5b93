"""Derives a copy of a font whose digits share one advance, so that a number keeps its width
whatever its digits (a counting clock does not jitter). Qt 6.4 cannot ask a font for its tabular
figures: the copy takes the font's own where it has them (Vazirmatn), else centres the ten digits
in cells of the widest one's advance (Commissioner has none). Given a LINE font, the copy takes its
line (ascent, descent and gap), so that a number set in both fonts sits on one baseline and takes
one height whatever its digits.

usage: tabular_figures.py SOURCE.ttf OUTPUT.ttf FAMILY [LINE.ttf]
"""
import sys

from fontTools.ttLib import TTFont


def tabular_forms(font):
    """The glyphs the font's own "tnum" feature puts in place of others, as a map."""
    if "GSUB" not in font:
        return {}
    table = font["GSUB"].table
    forms = {}
    for record in table.FeatureList.FeatureRecord:
        if record.FeatureTag != "tnum":
            continue
        for index in record.Feature.LookupListIndex:
            for subtable in table.LookupList.Lookup[index].SubTable:
                forms.update(getattr(subtable, "mapping", {}))
    return forms


def centre_in_cells(font, glyph_names):
    """Gives the glyphs the advance of the widest of them, each outline centred in it."""
    metrics = font["hmtx"].metrics
    cell = max(metrics[name][0] for name in glyph_names)
    glyphs = font["glyf"]
    for name in glyph_names:
        advance, bearing = metrics[name]
        shift = (cell - advance) // 2
        glyph = glyphs[name]
        if glyph.isComposite():
            for component in glyph.components:
                component.x += shift
        elif glyph.numberOfContours > 0:
            glyph.coordinates.translate((shift, 0))
        glyph.recalcBounds(glyphs)
        metrics[name] = (cell, bearing + shift)


def take_line(font, line_source):
    """Gives the font the line of another, scaled to its own em."""
    line = TTFont(line_source)
    scale = font["head"].unitsPerEm / line["head"].unitsPerEm
    for table, fields in (("hhea", ("ascent", "descent", "lineGap")),
                          ("OS/2", ("sTypoAscender", "sTypoDescender", "sTypoLineGap",
                                    "usWinAscent", "usWinDescent"))):
        for field in fields:
            setattr(font[table], field, round(getattr(line[table], field) * scale))


def main(source, output, family, line_source=None):
    font = TTFont(source)
    if line_source:
        take_line(font, line_source)
    forms = tabular_forms(font)
    if forms:
        # The font has tabular figures of its own (Vazirmatn's Persian digits): the characters
        # point at them.
        for table in font["cmap"].tables:
            if table.isUnicode():
                table.cmap = {code: forms.get(glyph, glyph) for code, glyph in table.cmap.items()}
    else:
        cmap = font.getBestCmap()
        centre_in_cells(font, [cmap[ord(digit)] for digit in "0123456789"])
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
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    main(*sys.argv[1:])
