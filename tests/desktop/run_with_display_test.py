#!/usr/bin/python3
"""run.sh on a reachable display: run_with_display_test.py RUN.SH PROGRAM SCENE.png

The program must come up as itself (run.sh hands its process over to it) and
end with 0 when 退出 is pressed.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))

from drive_tuxing import DriverError, Program  # noqa: E402


def main():
    run, program_path, scene = sys.argv[1:4]
    with Program([run, program_path, scene]) as program:
        program.press("退出", wait_for_handler=False)
        status = program.wait_for_exit()
    if status != 0:
        print(f"run_with_display_test: the program ended with status {status}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except DriverError as error:
        print(f"run_with_display_test: {error}", file=sys.stderr)
        sys.exit(1)
