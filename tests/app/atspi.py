"""Drives the running program through the accessibility bus (AT-SPI)."""
import sys
import time

import pyatspi  # noqa: F401  (re-exported for the tests)


def find_app(name="bellwarden", timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == name:
                return app
        time.sleep(0.2)
    raise SystemExit(f"no application {name!r} on the accessibility bus")


def walk(acc):
    yield acc
    for child in acc:
        if child is not None:
            yield from walk(child)


def find(app, name=None, description=None):
    for acc in walk(app):
        if (name is None or acc.name == name) and (description is None or acc.description == description):
            return acc
    raise SystemExit(f"no element named {name!r} described {description!r}")


def label_text(app, description):
    """A value label keeps its text as its accessible name."""
    return find(app, description=description).name


def press(app, name, names=("Press", "press", "click")):
    action = find(app, name=name).queryAction()
    for i in range(action.nActions):
        if action.getName(i) in names:
            action.doAction(i)
            break
    else:
        action.doAction(0)
    time.sleep(0.3)  # the click is delivered asynchronously


def readout(app):
    return label_text(app, "Minutes") + ":" + label_text(app, "Seconds")


if __name__ == "__main__":
    # Command line: atspi.py read | press NAME | toggle NAME | clock | visible DESCRIPTION
    app = find_app()
    if sys.argv[1] == "read":
        print(readout(app))
    elif sys.argv[1] == "press":
        press(app, sys.argv[2])
    elif sys.argv[1] == "toggle":
        press(app, sys.argv[2], ("Toggle", "toggle"))
    elif sys.argv[1] == "clock":
        print(label_text(app, "Time of day"))
    elif sys.argv[1] == "visible":
        acc = find(app, description=sys.argv[2])
        print(int(acc.getState().contains(pyatspi.STATE_SHOWING)))
