#!/usr/bin/python3
"""Saves the composed scene: scene.py PROGRAM OUTPUT.png

Runs on the display in DISPLAY; scripts/screenshot.sh gives it a private one.
"""

import sys

from drive_tuxing import DriverError, compose_scene


def main():
    if len(sys.argv) != 3:
        print("usage: scene.py PROGRAM OUTPUT.png", file=sys.stderr)
        return 2
    try:
        compose_scene(sys.argv[1], sys.argv[2])
    except (DriverError, OSError) as error:
        print(f"scene: {error}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
