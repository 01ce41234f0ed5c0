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
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

TIMEOUT = 30


def wait_until(predicate, what):
    deadline = time.monotonic() + TIMEOUT
    while not (result := predicate()):
        if time.monotonic() > deadline:
            sys.exit(f"atspi: gave up waiting for {what}")
        time.sleep(0.02)
    return result


def buttons_of(pid):
    desktop = Atspi.get_desktop(0)
    for index in range(desktop.get_child_count()):
        application = desktop.get_child_at_index(index)
        try:
            if application is None or application.get_process_id() != pid:
                continue
        except GLib.Error:
            continue
        buttons, pending = {}, [application]
        while pending:
            node = pending.pop()
            if node is not None:
                if node.get_role() == Atspi.Role.PUSH_BUTTON:
                    buttons[node.get_name()] = node
                pending.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
        return buttons
    return None


def action_names(button):
    # Marked deprecated for a successor that this library version lacks.
    with warnings.catch_warnings():
        warnings.simplefilter("ignore", DeprecationWarning)
        return [Atspi.Action.get_action_name(button, i) for i in range(Atspi.Action.get_n_actions(button))]


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
        states = button.get_state_set()
        for state in (Atspi.StateType.VISIBLE, Atspi.StateType.SHOWING, Atspi.StateType.FOCUSABLE):
            if not states.contains(state):
                faults.append(f"{name} is not {state.value_nick}")
        # The window's place and the button's both come from the toolkit,
        # which may lag behind the window manager; their difference does not.
        place = button.get_extents(Atspi.CoordType.SCREEN)
        window = button.get_parent().get_extents(Atspi.CoordType.SCREEN)
        got = (place.x - window.x, place.y - window.y, place.width, place.height)
        if any(abs(a - b) > 1 for a, b in zip(got, wanted)):
            faults.append(f"{name} is reported at {got}, wanted {wanted}")
    return faults


def pressed(button):
    # A cached state would be updated by the toolkit's own notice, which it
    # sends before the click handler runs; only a fresh question waits for
    # the handler.
    button.clear_cache()
    try:
        return button.get_state_set().contains(Atspi.StateType.PRESSED)
    except GLib.Error:
        return False  # the program has ended


def press(button):
    names = action_names(button)
    if "Press" not in names or not Atspi.Action.do_action(button, names.index("Press")):
        sys.exit(f"atspi: {button.get_name()} refused its Press action")
    # The toolkit holds the button down a moment and clicks it as it comes up.
    wait_until(lambda: not pressed(button), f"{button.get_name()} to finish its click")


def main():
    pid, command, arguments = int(sys.argv[1]), sys.argv[2], sys.argv[3:]
    # Long handlers must not make the library give up on an answer.
    Atspi.set_timeout(TIMEOUT * 1000, TIMEOUT * 1000)
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
