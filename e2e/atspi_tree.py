"""Reads the accessibility tree of the running program over AT-SPI, as a screen
reader would, and prints it as JSON: one object per node with its role, name,
description and whether it lies inside a document (the rendered preview), depth first. With --press NAME it presses the first node of that name
instead. Run by the system's python3 (which has pyatspi) on the test's session bus."""

import json
import sys

import pyatspi


def nodes(accessible, in_document=False, depth=0, limit=40):
    """(node, inside a document) pairs of the tree under `accessible`."""
    if accessible is None or depth > limit:
        return
    yield accessible, in_document
    inside = in_document or accessible.getRole() == pyatspi.ROLE_DOCUMENT_FRAME
    for i in range(accessible.childCount):
        yield from nodes(accessible.getChildAtIndex(i), inside, depth + 1, limit)


def program():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() == "quorvane":
            return app
    return None


def main():
    app = program()
    if app is None:
        print("[]")
        return
    if len(sys.argv) == 3 and sys.argv[1] == "--press":
        for node, _ in nodes(app):
            if node.name == sys.argv[2]:
                action = node.queryAction()
                for i in range(action.nActions):
                    if action.getName(i).lower() == "press":
                        action.doAction(i)
                        print("pressed")
                        return
        print("not found")
        return
    print(json.dumps([{"role": node.getRoleName(), "name": node.name, "description": node.description,
                       "document": inside} for node, inside in nodes(app)]))


main()
