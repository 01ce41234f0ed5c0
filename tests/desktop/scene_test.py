#!/usr/bin/python3
"""Checks a saved scene: scene_test.py SCENE.png

The scene is the maximized window at 96 dots per inch after both pictures.
"""

import subprocess
import sys

from scene_geometry import MAGENTA, RED, check_frame, check_water, device


class Image:
    def __init__(self, path):
        size = subprocess.run(["identify", "-format", "%w %h", path], check=True, capture_output=True, text=True)
        self.width, self.height = map(int, size.stdout.split())
        self.raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.raw[offset:offset + 3])


def main():
    image = Image(sys.argv[1])
    faults = []
    if image.width < device(11950, 1) + 2 or image.height < device(8220, 1) + 2:
        faults.append(f"the scene is {image.width} x {image.height}, too small for the whole panel")
    else:
        faults += check_frame(image, 1)
        faults += check_water(image, 1)
        # The sun's core and the top of the large arch stand for 金光大道.
        for what, twips, color in (("sun's core", (8000, 2000), RED), ("large arch", (8350, 4600), MAGENTA)):
            x, y = device(twips[0], 1), device(twips[1], 1)
            if image.pixel(x, y) != color:
                faults.append(f"the {what} at ({x}, {y}) is {image.pixel(x, y)}, wanted {color}")
    for fault in faults:
        print(f"scene_test: {fault}", file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
