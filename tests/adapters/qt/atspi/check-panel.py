#!/usr/bin/python3
"""Reads and drives the hidden item panel through AT-SPI, as a screen reader user would.

Started by run-under-xvfb.sh with the panel program's path. Prints one line per check; exits 1
at the first that fails.
"""

import select
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

EXPECTED_ROWS = ["Weather", "Dropbox", "Drafts"]
ROW_DESCRIPTION = "Hidden menu bar item"
KEY_DOWN = 0xFF54
KEY_RETURN = 0xFF0D


class Failure(Exception):
    pass


def wait_for(what, probe, seconds=10):
    """Waits until probe() gives something true, and says so."""
    deadline = time.monotonic() + seconds
    while True:
        value = probe()
        if value:
            print(f"ok: {what}")
            return value
        if time.monotonic() > deadline:
            raise Failure(f"{what}: not so within {seconds} s")
        time.sleep(0.1)


def read_line(program, seconds=10):
    ready, _, _ = select.select([program.stdout], [], [], seconds)
    if not ready:
        raise Failure("the program said nothing")
    return program.stdout.readline().strip()


def children(accessible):
    found = []
    for index in range(accessible.get_child_count()):
        child = accessible.get_child_at_index(index)
        if child is not None:
            found.append(child)
    return found


def descendants(accessible):
    for child in children(accessible):
        yield child
        yield from descendants(child)


def has_state(accessible, state):
    return accessible.get_state_set().contains(state)


def find_application(pid):
    desktop = Atspi.get_desktop(0)
    for application in children(desktop):
        if application.get_process_id() == pid:
            # States change under the check's feet; read them fresh each time.
            application.set_cache_mask(Atspi.Cache.NONE)
            return application
    return None


def find_window(application):
    for window in children(application):
        if window.get_name() == "Stowbar" and has_state(window, Atspi.StateType.SHOWING):
            return window
    return None


def rows_of(window):
    return [
        node
        for node in descendants(window)
        if node.get_role() == Atspi.Role.PUSH_BUTTON
        and node.get_description() == ROW_DESCRIPTION
        and has_state(node, Atspi.StateType.SHOWING)
    ]


def height_of(window):
    return window.get_extents(Atspi.CoordType.SCREEN).height


def focused_row(window):
    for index, row in enumerate(rows_of(window)):
        if has_state(row, Atspi.StateType.FOCUSED):
            return index
    return None


def check(description, condition):
    if not condition:
        raise Failure(description)
    print(f"ok: {description}")


def press(keysym):
    Atspi.generate_keyboard_event(keysym, None, Atspi.KeySynthType.SYM)


def run(program_path):
    program = subprocess.Popen(
        [program_path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True
    )
    try:
        check("the popover opens", read_line(program) == "shown")
        application = wait_for("the program on the accessibility bus",
                               lambda: find_application(program.pid))
        window = wait_for('the window "Stowbar" among the program\'s children',
                          lambda: find_window(application))

        rows = wait_for("the rows", lambda: rows_of(window))
        names = [row.get_name() for row in rows]
        check(f"the rows are named after their applications: {names}", names == EXPECTED_ROWS)
        actions = [
            [row.get_action_name(i) for i in range(row.get_n_actions())] for row in rows
        ]
        check(f"every row has a press action: {actions[0]}",
              all(any(name.lower() == "press" for name in names) for names in actions))
        # The program has no updater here: its hidden button must not reach a screen reader.
        buttons = [node.get_name() for node in descendants(window)
                   if node.get_role() == Atspi.Role.PUSH_BUTTON
                   and node.get_description() != ROW_DESCRIPTION]
        check(f"the footer offers Quit and nothing the platform lacks: {buttons}",
              buttons == ["Quit"])

        wait_for("the first row has the focus", lambda: focused_row(window) == 0)
        press(KEY_DOWN)
        wait_for("Down moves the focus to the second row", lambda: focused_row(window) == 1)
        height = height_of(window)
        for letter in "dro":
            press(ord(letter))
        wait_for("the filter to leave one row", lambda: len(rows_of(window)) == 1)
        check("typing filters the rows", rows_of(window)[0].get_name() == "Dropbox")
        wait_for("the popover shrinks with the filtered panel", lambda: height_of(window) < height)
        press(KEY_RETURN)
        check("Return presses the focused row", read_line(program) == "pressed Dropbox")
        wait_for("the press closes the popover", lambda: find_window(application) is None)
    finally:
        program.stdin.close()
        try:
            program.wait(timeout=10)
        except subprocess.TimeoutExpired:
            program.kill()
            program.wait()
    check("the program ends when told", program.returncode == 0)


def main():
    if len(sys.argv) != 2:
        print("usage: check-panel.py PANEL_PROGRAM", file=sys.stderr)
        return 2
    try:
        run(sys.argv[1])
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    print("AT-SPI check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
