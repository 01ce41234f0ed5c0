#!/usr/bin/python3
"""The window and the pictures at the screen's density, on the display in DISPLAY.

high_dpi_test.py PROGRAM DPI

Run inside scripts/private-display.sh --dpi DPI, whose Xft.dpi sets Qt's
device pixel ratio to DPI / 96.
"""

import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))

from drive_tuxing import DriverError, Program  # noqa: E402
from scene_geometry import check_frame, check_water, device  # noqa: E402

CLIENT_AT_START = (4680, 3195)  # twips
WHOLE_LAYOUT = (11950, 8220)  # twips, the yellow box's far corner
GSLS_BUTTON = (6600, 7440, 1095, 375)  # twips: left, top, width, height


def main():
    program_path, dpi = sys.argv[1], int(sys.argv[2])
    ratio = dpi / 96
    faults = []
    with Program(program_path) as program:
        # The start size is 312 x 213 logical pixels, carried to the device
        # by the ratio; at a fractional ratio either neighbour is a fair
        # rounding.
        width, height = program.client_size()
        for name, got, twips in (("width", width, CLIENT_AT_START[0]), ("height", height, CLIENT_AT_START[1])):
            exact = twips / 15 * ratio
            if got not in (math.floor(exact), math.ceil(exact)):
                faults.append(f"client {name} at start is {got} device pixels, wanted {exact:g}")

        program.maximize()
        width, height = program.client_size()
        needed = (device(WHOLE_LAYOUT[0], ratio) + 2, device(WHOLE_LAYOUT[1], ratio) + 2)
        if width < needed[0] or height < needed[1]:
            raise SystemExit(f"the maximized client area {width} x {height} is too small for the test's screen")

        left, top, button_width, button_height = GSLS_BUTTON
        centre = (device(left + button_width / 2, ratio), device(top + button_height / 2, ratio))
        program.click("高山流水", at=centre)
        image = program.capture()

    faults += check_frame(image, ratio)
    faults += check_water(image, ratio)
    for fault in faults:
        print(f"at {dpi} dpi: {fault}", file=sys.stderr)
    if faults:
        return 1
    print(f"at {dpi} dpi: start size, light-yellow box and water runs where the twips put them")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except DriverError as error:
        print(f"high_dpi_test: {error}", file=sys.stderr)
        sys.exit(1)
