#!/usr/bin/python3
"""Reads the running program's main window the way a screen reader does, over
AT-SPI (pyatspi, the library screen readers are built on), and operates it:
every control a reader can reach has a name and a description, the labels read
their values, and the Next button pressed through its AT-SPI action shows the
next picture."""
import sys
import time

import pyatspi


def find_application(name, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and (app.name or "") == name:
                return app
        time.sleep(0.25)
    return None


def walk(node, found):
    found.append(node)
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            walk(child, found)
    return found


def nodes(app):
    return walk(app, [])


def label_texts(app):
    return {n.name for n in nodes(app) if n.getRoleName() == "label"}


def wait_for(check, seconds=5):
    deadline = time.time() + seconds
    while time.time() < deadline:
        if check():
            return True
        time.sleep(0.1)
    return False


def main():
    failures = []
    app = find_application("Quorvane", 20)
    if app is None:
        print("FAIL: the program is not on the accessibility bus")
        return 1
    all_nodes = nodes(app)
    controls = [n for n in all_nodes
                if n.getRoleName() in ("push button", "check box")
                and n.getState().contains(pyatspi.STATE_FOCUSABLE)]
    names = {c.name for c in controls}
    for wanted in ("First", "Back", "Random", "Next", "Last", "Apply", "Settings", "Help",
                   "Manager", "Hide", "Exit", "Random order", "Automatic change"):
        if wanted not in names:
            failures.append(f"no control named {wanted!r} (names: {sorted(names)})")
    for c in controls:
        if not c.name or not c.description:
            failures.append(f"{c.getRoleName()} without a name or description: {c.name!r}")
        if c.getRoleName() == "push button":
            action = c.queryAction()
            if action.nActions < 1:
                failures.append(f"{c.name!r} has no action a reader can invoke")
    # The labels read what they show: the position and the file name.
    texts = label_texts(app)
    if "1/2" not in texts or "p0.jpg" not in texts:
        failures.append(f"the labels do not read the position and file: {sorted(texts)}")
    # Next, pressed as a screen reader user presses it.
    nexts = [c for c in controls if c.name == "Next"]
    if nexts:
        nexts[0].queryAction().doAction(0)
        if not wait_for(lambda: "p1.jpg" in label_texts(app) and "2/2" in label_texts(app)):
            failures.append(f"Next through AT-SPI did not move on: {sorted(label_texts(app))}")
    for f in failures:
        print("FAIL:", f)
    print(f"{len(controls)} controls read, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
