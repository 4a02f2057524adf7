#!/usr/bin/python3
# Reads a running program's windows as a screen reader does, over AT-SPI:
# prints one line per visible object, "role<TAB>name", windows first; with
# --focused only the object that has the keyboard focus.
# Usage: accessible.py APPLICATION-NAME [--focused]
import sys

import pyatspi


focused_only = sys.argv[2:] == ["--focused"]


def walk(acc, depth=0):
    try:
        states = acc.getState()
        if depth > 0 and not states.contains(pyatspi.STATE_SHOWING):
            return
        if not focused_only or states.contains(pyatspi.STATE_FOCUSED):
            print(f"{acc.getRoleName()}\t{acc.name}")
        for i in range(acc.childCount):
            child = acc.getChildAtIndex(i)
            if child is not None:
                walk(child, depth + 1)
    except Exception as error:  # an object that went away while looked at
        print(f"gone\t{error}", file=sys.stderr)


desktop = pyatspi.Registry.getDesktop(0)
for i in range(desktop.childCount):
    app = desktop.getChildAtIndex(i)
    if app is not None and app.name == sys.argv[1]:
        for j in range(app.childCount):
            walk(app.getChildAtIndex(j))
        sys.exit(0)
print(f"no application {sys.argv[1]} on the accessibility bus", file=sys.stderr)
sys.exit(1)
