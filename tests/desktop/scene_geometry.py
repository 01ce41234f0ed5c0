"""Where the pictures must land, worked out from their twip figures.

A twip figure lands on device pixel floor(twips * ratio / 15). A dot or edge
of pen width w covers the w pixels that a w-wide dot centred on the top-left
corner of that pixel covers: for w = 2, the pixel and the one before it. The
pen width counts device pixels at every density.
"""

import math
import struct

YELLOW = (255, 255, 0)
GREEN = (0, 255, 0)
RED = (255, 0, 0)
MAGENTA = (128, 0, 128)


def device(twips, ratio):
    return math.floor(twips * ratio / 15)


def single(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def frame_edges(ratio):
    """The light-yellow box of 高山流水, pen width 2: (first, last) pixel of each band."""
    left, right = device(40, ratio), device(11950, ratio)
    top, bottom = device(40, ratio), device(8220, ratio)
    return {
        "left": (left - 1, left),
        "right": (right - 1, right),
        "top": (top - 1, top),
        "bottom": (bottom - 1, bottom),
    }


def water_runs(ratio):
    """The four light-green runs, pen width 2, as (first column, last column, first row, last row)."""
    runs = []
    for k in (4, 3, 2, 1):
        y = 7300 - 300 * k
        x1 = 8350 - 800 * k
        x2 = 8350 + 800 * k
        # The counter adds 0.1 in double precision and stops one step short of
        # x2; the point is handed over in single precision.
        x = float(x1)
        last = x
        while x <= x2:
            last = x
            x += 0.1
        first_column = device(single(float(x1)), ratio) - 1
        last_column = device(single(last), ratio)
        row = device(y, ratio)
        runs.append((first_column, last_column, row - 1, row))
    return runs


def check_frame(image, ratio):
    """Returns the faults found in the yellow box of image."""
    faults = []
    edges = frame_edges(ratio)
    (_, inner_left), (inner_right, _) = edges["left"], edges["right"]
    (_, inner_top), (inner_bottom, _) = edges["top"], edges["bottom"]

    def expect_band(name, first, last, samples, at):
        for sample in samples:
            for offset in range(first - 1, last + 2):
                x, y = at(offset, sample)
                want = first <= offset <= last
                got = image.pixel(x, y) == YELLOW
                if want != got:
                    faults.append(f"{name} edge: pixel ({x}, {y}) is {image.pixel(x, y)}, "
                                  f"{'wanted' if want else 'did not want'} light yellow")
                    return

    columns = range(inner_left + 3, inner_right - 2, 7)
    rows = range(inner_top + 3, inner_bottom - 2, 7)
    expect_band("top", *edges["top"], columns, lambda offset, x: (x, offset))
    expect_band("bottom", *edges["bottom"], columns, lambda offset, x: (x, offset))
    expect_band("left", *edges["left"], rows, lambda offset, y: (offset, y))
    expect_band("right", *edges["right"], rows, lambda offset, y: (offset, y))
    return faults


def check_water(image, ratio):
    """Returns the faults found in the four green runs of image."""
    faults = []
    for first_column, last_column, first_row, last_row in water_runs(ratio):
        wrong = []
        for y in range(first_row - 3, last_row + 4):
            for x in range(first_column - 3, last_column + 4):
                want = first_column <= x <= last_column and first_row <= y <= last_row
                if want != (image.pixel(x, y) == GREEN):
                    wrong.append((x, y))
        if wrong:
            faults.append(f"water run at rows {first_row}-{last_row}, columns {first_column}-{last_column}: "
                          f"{len(wrong)} pixels wrong, first at {wrong[0]} ({image.pixel(*wrong[0])})")
    return faults
