#!/usr/bin/python3
"""The buttons as assistive technology sees them, on the display in DISPLAY.

accessibility_test.py PROGRAM

Lists the buttons over AT-SPI from outside the process, checks their names,
roles, actions and places, presses 清除 through its action after a picture
and sees the picture go, then presses 退出 and sees the program end with 0.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))

import gi  # noqa: E402

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

from drive_tuxing import DriverError, Program, run_tool  # noqa: E402
from scene_geometry import YELLOW, check_frame, device  # noqa: E402

# Caption and place in twips (left, top, width, height) of each button.
BUTTONS = {
    "高山流水": (6600, 7440, 1095, 375),
    "金光大道": (7920, 7440, 975, 375),
    "清除": (9120, 7440, 975, 375),
    "退出": (10320, 7440, 975, 375),
}


def window_origin(program):
    info = run_tool("xwininfo", "-id", program.window)
    fields = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
    return int(fields["Absolute upper-left X"]), int(fields["Absolute upper-left Y"])


def main():
    faults = []
    with Program(sys.argv[1]) as program:
        buttons = program.buttons()
        if sorted(buttons) != sorted(BUTTONS):
            faults.append(f"buttons on the accessibility bus: {sorted(buttons)}, wanted {sorted(BUTTONS)}")
        program.maximize()
        origin = window_origin(program)
        for name, (left, top, width, height) in BUTTONS.items():
            button = buttons.get(name)
            if button is None:
                continue
            if button.get_role() != Atspi.Role.PUSH_BUTTON:
                faults.append(f"{name} has the role {button.get_role_name()}")
            names = program.action_names(name)
            if "Press" not in names:
                faults.append(f"{name} offers the actions {names}, without Press")
            states = button.get_state_set()
            for state in (Atspi.StateType.VISIBLE, Atspi.StateType.SHOWING, Atspi.StateType.FOCUSABLE):
                if not states.contains(state):
                    faults.append(f"{name} is not {state.value_nick}")
            # At 96 dots per inch logical and device pixels agree, so the
            # reported place can be held against the layout.
            extents = button.get_extents(Atspi.CoordType.SCREEN)
            got = (extents.x - origin[0], extents.y - origin[1], extents.width, extents.height)
            wanted = (device(left, 1), device(top, 1), device(width, 1), device(height, 1))
            if any(abs(a - b) > 1 for a, b in zip(got, wanted)):
                faults.append(f"{name} is reported at {got}, the layout puts it at {wanted}")

        program.click("高山流水")
        painted = program.capture()
        if check_frame(painted, 1):
            faults.append("高山流水 did not paint its box, so 清除 cannot be judged")
        else:
            program.press("清除")
            cleared = program.capture()
            if any(cleared.pixel(x, y) == YELLOW for x in range(10, 700) for y in (1, 2)):
                faults.append("pressing 清除 through its action left the painting in place")

        program.press("退出", wait_for_handler=False)
        status = program.wait_for_exit()
        if status != 0:
            faults.append(f"pressing 退出 through its action ended the program with status {status}")

    for fault in faults:
        print(f"accessibility: {fault}", file=sys.stderr)
    if faults:
        return 1
    print("accessibility: four buttons named by their captions, pressed through their actions")
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except DriverError as error:
        print(f"accessibility_test: {error}", file=sys.stderr)
        sys.exit(1)
