"""Drives the real program on the X display in DISPLAY, from outside.

The program is started with its accessibility tree switched on, so that the
driver can learn from the program itself when a click has been handled: the
toolkit clears a button's pressed state and runs its click handler in one
step, and it answers a question over the accessibility bus only between
steps. Polling the pressed state therefore waits for the painting to finish
without guessing at a duration.

Needs Debian's python3 with python3-pyatspi, and xdotool, wmctrl, xprop,
xwininfo and ImageMagick's import on PATH. Every wait is bounded.
"""

import os
import subprocess
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

DEFAULT_TIMEOUT = 30.0
PICTURE_BUTTONS = ("高山流水", "金光大道")


class DriverError(RuntimeError):
    pass


def wait_until(predicate, what, timeout=DEFAULT_TIMEOUT, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result:
            return result
        if time.monotonic() > deadline:
            raise DriverError(f"gave up waiting for {what} after {timeout:g} s")
        time.sleep(interval)


def run_tool(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True, timeout=DEFAULT_TIMEOUT).stdout


class Program:
    """One running instance of the program and its window."""

    def __init__(self, command, environment=None):
        env = dict(os.environ)
        # Without a registry announcing a screen reader the toolkit keeps its
        # tree to itself; this asks for it unconditionally.
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env.update(environment or {})
        # Long handlers must not make the library give up on an answer.
        Atspi.set_timeout(int(DEFAULT_TIMEOUT * 1000), int(DEFAULT_TIMEOUT * 1000))
        command = [command] if isinstance(command, str) else list(command)
        self.process = subprocess.Popen(command, env=env)
        self.window = None
        self.application = None
        self._buttons = {}

    # -- lifetime -----------------------------------------------------------

    def __enter__(self):
        try:
            self.wait_for_window()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exception):
        self.close()

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def wait_for_exit(self, timeout=DEFAULT_TIMEOUT):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise DriverError(f"the program did not end within {timeout:g} s") from None

    def _check_alive(self):
        if self.process.poll() is not None:
            raise DriverError(f"the program ended early with status {self.process.returncode}")

    # -- finding the window -------------------------------------------------

    def _find_window(self):
        self._check_alive()
        found = subprocess.run(
            ["xdotool", "search", "--onlyvisible", "--pid", str(self.process.pid)],
            capture_output=True, text=True, timeout=DEFAULT_TIMEOUT,
        ).stdout.split()
        return found[0] if found else None

    def _find_application(self):
        self._check_alive()
        desktop = Atspi.get_desktop(0)
        for index in range(desktop.get_child_count()):
            application = desktop.get_child_at_index(index)
            try:
                if application is not None and application.get_process_id() == self.process.pid:
                    return application
            except GLib.Error:
                continue
        return None

    def wait_for_window(self):
        self.window = wait_until(self._find_window, "the program's window")
        self.application = wait_until(self._find_application, "the program on the accessibility bus")
        self._buttons = wait_until(self._find_buttons, "the four buttons on the accessibility bus")

    def _find_buttons(self):
        buttons = {}
        pending = [self.application]
        while pending:
            node = pending.pop()
            if node is None:
                continue
            if node.get_role() == Atspi.Role.PUSH_BUTTON:
                buttons[node.get_name()] = node
            pending.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
        return buttons if len(buttons) == 4 else None

    def buttons(self):
        return dict(self._buttons)

    # -- the window ---------------------------------------------------------

    def client_size(self):
        """The client area in device pixels, as the X server has it."""
        info = run_tool("xwininfo", "-id", self.window)
        fields = dict(line.strip().split(":", 1) for line in info.splitlines() if ":" in line)
        return int(fields["Width"]), int(fields["Height"])

    def _toolkit_size(self):
        """The window's size as the toolkit has it, in its logical pixels."""
        extents = self._buttons["退出"].get_parent().get_extents(Atspi.CoordType.SCREEN)
        return extents.width, extents.height

    def maximize(self):
        device_before = self.client_size()
        logical_before = self._toolkit_size()
        ratio = device_before[0] / logical_before[0]
        run_tool("wmctrl", "-i", "-r", self.window, "-b", "add,maximized_vert,maximized_horz")

        # The window manager moves the window before it announces the new
        # state, so once the state is there the geometry is final.
        def maximized():
            state = run_tool("xprop", "-id", self.window, "_NET_WM_STATE")
            return "_NET_WM_STATE_MAXIMIZED_VERT" in state and "_NET_WM_STATE_MAXIMIZED_HORZ" in state

        wait_until(maximized, "the window to be maximized")
        device = self.client_size()

        # A click that arrives before the toolkit has taken in the new size
        # falls outside the window it knows and is lost.
        def toolkit_caught_up():
            logical = self._toolkit_size()
            return all(abs(l * ratio - d) <= ratio for l, d in zip(logical, device))

        wait_until(toolkit_caught_up, "the program to take in its maximized size")

    # -- the buttons --------------------------------------------------------

    def _pressed(self, name):
        self._check_alive()
        button = self._buttons[name]
        # A cached state would be updated by the toolkit's own notice, which
        # it sends before the click handler runs; only a fresh question waits
        # for the handler.
        button.clear_cache()
        return button.get_state_set().contains(Atspi.StateType.PRESSED)

    def button_centre(self, name):
        """The centre of a button in the client area, as the toolkit reports it."""
        # Both places come from the toolkit's own idea of where the window is,
        # which may lag behind the window manager's; their difference does not.
        button = self._buttons[name].get_extents(Atspi.CoordType.SCREEN)
        window = self._buttons[name].get_parent().get_extents(Atspi.CoordType.SCREEN)
        return button.x - window.x + button.width // 2, button.y - window.y + button.height // 2

    def click(self, name, at=None, wait_for_handler=True):
        """Clicks a button with the pointer and returns once its handler has run.

        at: the point to click, in device pixels from the top-left of the
        client area; by default the centre the toolkit reports, which is in
        device pixels only at 96 dots per inch. A handler that ends the
        program cannot be waited for this way: pass wait_for_handler=False.
        """
        x, y = at if at is not None else self.button_centre(name)
        run_tool("xdotool", "mousemove", "--window", self.window, str(x), str(y))
        run_tool("xdotool", "mousedown", "1")
        try:
            # Seeing the press handled puts every earlier event of the window
            # behind us as well, the maximizing among them.
            wait_until(lambda: self._pressed(name), f"{name} to go down under the pointer", timeout=10, interval=0.01)
        finally:
            run_tool("xdotool", "mouseup", "1")
        if wait_for_handler:
            wait_until(lambda: not self._pressed(name), f"{name} to finish its click", interval=0.01)

    def action_names(self, name):
        button = self._buttons[name]
        # Marked deprecated for a successor that this library version lacks.
        with warnings.catch_warnings():
            warnings.simplefilter("ignore", DeprecationWarning)
            return [Atspi.Action.get_action_name(button, i) for i in range(Atspi.Action.get_n_actions(button))]

    def press(self, name, wait_for_handler=True):
        """Presses a button through its accessible action, as assistive technology does.

        The toolkit holds the button down for a moment and clicks it as it
        comes up, so the same pressed state tells when the handler has run.
        """
        names = self.action_names(name)
        if "Press" not in names:
            raise DriverError(f"{name} offers no Press action, only {names}")
        if not Atspi.Action.do_action(self._buttons[name], names.index("Press")):
            raise DriverError(f"{name} refused its Press action")
        if wait_for_handler:
            wait_until(lambda: not self._pressed(name), f"{name} to finish its click", interval=0.01)

    # -- pictures of the window ---------------------------------------------

    def save_png(self, path):
        run_tool("import", "-window", self.window, f"png:{path}")

    def capture(self):
        """The client area as (width, height, rows of RGB bytes)."""
        width, height = self.client_size()
        raw = subprocess.run(
            ["import", "-window", self.window, "-depth", "8", "rgb:-"],
            check=True, capture_output=True, timeout=DEFAULT_TIMEOUT,
        ).stdout
        if len(raw) != width * height * 3:
            raise DriverError(f"a {width} x {height} capture came back with {len(raw)} bytes")
        return Image(width, height, raw)


class Image:
    def __init__(self, width, height, raw):
        self.width = width
        self.height = height
        self.raw = raw

    def pixel(self, x, y):
        offset = (y * self.width + x) * 3
        return tuple(self.raw[offset:offset + 3])


def compose_scene(executable, output):
    """Maximizes the program, paints both pictures and saves the client area."""
    with Program(executable) as program:
        program.maximize()
        for name in PICTURE_BUTTONS:
            program.click(name)
        program.save_png(output)
        program.click("退出", wait_for_handler=False)
        status = program.wait_for_exit()
        if status != 0:
            raise DriverError(f"the program ended with status {status} after 退出")
