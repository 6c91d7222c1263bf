#!/usr/bin/python3
"""An application's accessible tree read over AT-SPI, as a screen reader reads it.

  accessible_tree.py APP dump         one line per accessible: depth, role, name and actions,
                                      tab-separated, parents before their children
  accessible_tree.py APP press NAME   runs the first action of the first accessible named NAME

Exit status 3 while APP is not on the accessibility bus, 4 when nothing named NAME has an
action, 5 when the tree changed while it was read (read again).
"""
import sys

import pyatspi


def find_application(name):
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name == name:
            return application
    return None


def action_names(accessible):
    try:
        action = accessible.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def walk(accessible, depth=0):
    yield depth, accessible
    for child in accessible:
        if child is not None:
            yield from walk(child, depth + 1)


def main(arguments):
    if len(arguments) < 3 or arguments[2] not in ("dump", "press"):
        print(__doc__, file=sys.stderr)
        return 2
    application = find_application(arguments[1])
    if application is None:
        return 3
    try:
        if arguments[2] == "dump":
            for depth, accessible in walk(application):
                fields = [str(depth), accessible.getRoleName(), accessible.name,
                          ",".join(action_names(accessible))]
                print("\t".join(fields))
            return 0
        for _, accessible in walk(application):
            if accessible.name == arguments[3] and action_names(accessible):
                return 0 if accessible.queryAction().doAction(0) else 4
        return 4
    except Exception as error:  # an object went away under the reader
        print(error, file=sys.stderr)
        return 5


sys.exit(main(sys.argv))
