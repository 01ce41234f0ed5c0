"""Makes the labels' font for the page: a subset of the installed face the
form asks for first, holding only the characters the labels show, made bold
as the desktop makes a regular face bold, with the font's licence beside it.

    label_font.py FORM.json OUTPUT-DIRECTORY
"""

import json
import logging
import math
import pathlib
import shutil
import subprocess
import sys

from fontTools import subset


def installed_face(faces):
    """The file of the first of `faces` that fontconfig has, as the desktop
    program would pick it."""
    for face in faces:
        found = subprocess.run(
            ["fc-match", "-f", "%{family}\t%{file}", face], capture_output=True, text=True, check=True
        ).stdout
        families, _, file = found.partition("\t")
        if face in families.split(","):
            return pathlib.Path(file)
    sys.exit(f"label_font: none of the label faces is installed: {', '.join(faces)}")


def embolden(face):
    """Widens every glyph as FreeType's synthetic bold does for the desktop:
    each outline grows by a 24th of the em across and up, its points moved
    out along the bisector of their edges' normals, and the advance grows
    with it. Engines make bold of a regular face each their own way, one of
    them too thinly; a face that is bold already is drawn alike by all."""
    half = face["head"].unitsPerEm / 48
    glyphs, metrics = face["glyf"], face["hmtx"].metrics
    for name in face.getGlyphOrder():
        glyph = glyphs[name]
        if glyph.numberOfContours <= 0:
            continue
        points = glyph.coordinates
        area = 0
        contours = []
        start = 0
        for end in glyph.endPtsOfContours:
            contour = [points[i] for i in range(start, end + 1)]
            contours.append((start, contour))
            area += sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]))
            start = end + 1
        # Outer contours run clockwise in TrueType, so outward is to the left.
        outward = 1 if area < 0 else -1
        for start, contour in contours:
            count = len(contour)
            for i, (x, y) in enumerate(contour):
                shift = (0.0, 0.0)
                previous = next((contour[(i - k) % count] for k in range(1, count) if contour[(i - k) % count] != (x, y)), None)
                following = next((contour[(i + k) % count] for k in range(1, count) if contour[(i + k) % count] != (x, y)), None)
                if previous is not None and following is not None:
                    din = (x - previous[0], y - previous[1])
                    dout = (following[0] - x, following[1] - y)
                    lin, lout = math.hypot(*din), math.hypot(*dout)
                    din, dout = (din[0] / lin, din[1] / lin), (dout[0] / lout, dout[1] / lout)
                    cosine = din[0] * dout[0] + din[1] * dout[1]
                    # A spike is left where it is, as FreeType leaves it.
                    if cosine > -0.9375:
                        bisector = (-(din[1] + dout[1]) * outward, (din[0] + dout[0]) * outward)
                        reach = min(half / (1 + cosine), min(lin, lout))
                        shift = (bisector[0] * reach, bisector[1] * reach)
                points[start + i] = (round(x + half + shift[0]), round(y + half + shift[1]))
        advance, left = metrics[name]
        metrics[name] = (advance + round(2 * half), left)
    face["head"].macStyle |= 1
    face["OS/2"].usWeightClass = 700


def licence_of(font):
    """The copyright file of the Debian package that installed `font`."""
    owner = subprocess.run(["dpkg-query", "-S", str(font)], capture_output=True, text=True, check=True)
    package = owner.stdout.split(":")[0]
    return pathlib.Path("/usr/share/doc") / package / "copyright"


def main():
    # The subsetter reports the font's quirks it works around; the result is
    # checked by the page's test, not by reading those.
    logging.getLogger("fontTools").setLevel(logging.ERROR)
    form_path, output = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    form = json.loads(form_path.read_text(encoding="utf-8"))
    text = "".join(control["text"] for control in form["controls"] if control["kind"] == "label")
    font = installed_face(form["labelFontFaces"])

    options = subset.Options()
    options.flavor = "woff"
    options.name_IDs = ["*"]
    options.notdef_outline = True
    # The face's hints are for its regular outlines.
    options.hinting = False
    subsetter = subset.Subsetter(options)
    face = subset.load_font(str(font), options)
    subsetter.populate(text=text)
    subsetter.subset(face)
    embolden(face)
    output.mkdir(parents=True, exist_ok=True)
    subset.save_font(face, str(output / "label-face.woff"), options)
    shutil.copyfile(licence_of(font), output / "label-face.LICENSE")


if __name__ == "__main__":
    main()
