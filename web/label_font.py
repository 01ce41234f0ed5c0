"""Makes the labels' font for the page: a subset of the installed face the
form asks for first, holding only the characters the labels show, with the
font's licence beside it.

    label_font.py FORM.json OUTPUT-DIRECTORY
"""

import json
import logging
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
    subsetter = subset.Subsetter(options)
    face = subset.load_font(str(font), options)
    subsetter.populate(text=text)
    subsetter.subset(face)
    output.mkdir(parents=True, exist_ok=True)
    subset.save_font(face, str(output / "label-face.woff"), options)
    shutil.copyfile(licence_of(font), output / "label-face.LICENSE")


if __name__ == "__main__":
    main()
