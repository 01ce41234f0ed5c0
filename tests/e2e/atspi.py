#!/usr/bin/python3
"""Works a running program's buttons over the accessibility bus, as
assistive technology does:

atspi.py PID check CAPTION=LEFT,TOP,WIDTH,HEIGHT...
    the program shows exactly these buttons, each a focusable push button
    with a Press action at that place (pixels in its window)
atspi.py PID press CAPTION
    presses the button through its action; returns once its handler has run

Needs Debian's python3 with python3-pyatspi. Every wait is bounded.
"""

import sys
import time

import pyatspi
from gi.repository import GLib

TIMEOUT = 30


def wait_until(predicate, what):
    deadline = time.monotonic() + TIMEOUT
    while not (result := predicate()):
        if time.monotonic() > deadline:
            sys.exit(f"atspi: gave up waiting for {what}")
        time.sleep(0.02)
    return result


def buttons_of(pid):
    for application in pyatspi.Registry.getDesktop(0):
        try:
            if application is not None and application.get_process_id() == pid:
                found = pyatspi.findAllDescendants(application, lambda node: node.getRole() == pyatspi.ROLE_PUSH_BUTTON)
                return {button.name: button for button in found}
        except GLib.Error:
            continue
    return None


def action_names(button):
    action = button.queryAction()
    return [action.getName(i) for i in range(action.nActions)]


def check(buttons, expected):
    faults = []
    if sorted(buttons) != sorted(expected):
        faults.append(f"buttons {sorted(buttons)}, wanted {sorted(expected)}")
    for name, wanted in expected.items():
        button = buttons.get(name)
        if button is None:
            continue
        if "Press" not in action_names(button):
            faults.append(f"{name} offers the actions {action_names(button)}, without Press")
        states = button.getState()
        for state in (pyatspi.STATE_VISIBLE, pyatspi.STATE_SHOWING, pyatspi.STATE_FOCUSABLE):
            if not states.contains(state):
                faults.append(f"{name} is not {state.value_nick}")
        # The window's place and the button's both come from the toolkit,
        # which may lag behind the window manager; their difference does not.
        place = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        window = button.parent.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        got = (place.x - window.x, place.y - window.y, place.width, place.height)
        if any(abs(a - b) > 1 for a, b in zip(got, wanted)):
            faults.append(f"{name} is reported at {got}, wanted {wanted}")
    return faults


def pressed(button):
    # A cached state would be updated by the toolkit's own notice, which it
    # sends before the click handler runs; only a fresh question waits for
    # the handler.
    button.clearCache()
    try:
        return button.getState().contains(pyatspi.STATE_PRESSED)
    except GLib.Error:
        return False  # the program has ended


def press(button):
    names = action_names(button)
    if "Press" not in names or not button.queryAction().doAction(names.index("Press")):
        sys.exit(f"atspi: {button.name} refused its Press action")
    # The toolkit holds the button down a moment and clicks it as it comes up.
    wait_until(lambda: not pressed(button), f"{button.name} to finish its click")


def main():
    pid, command, arguments = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    # Long handlers must not make the library give up on an answer.
    pyatspi.setTimeout(TIMEOUT * 1000, TIMEOUT * 1000)
    buttons = wait_until(lambda: buttons_of(pid), "the program's buttons on the accessibility bus")
    if command == "check":
        expected = {}
        for argument in arguments:
            name, place = argument.split("=")
            expected[name] = tuple(int(value) for value in place.split(","))
        faults = check(buttons, expected)
        for fault in faults:
            print(f"atspi: {fault}", file=sys.stderr)
        return 1 if faults else 0
    if command == "press" and len(arguments) == 1 and arguments[0] in buttons:
        press(buttons[arguments[0]])
        return 0
    sys.exit(f"atspi: cannot {command} {arguments}")


if __name__ == "__main__":
    sys.exit(main())
