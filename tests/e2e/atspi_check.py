#!/usr/bin/env python3
"""Reads the running display's tree through AT-SPI, as a screen reader does.

Usage: atspi_check.py PID DESCRIPTION VALUE [--dump]
Waits for the application with process id PID, then checks: a table whose first slot reads
DESCRIPTION and VALUE (table cells (0,0) and (0,1): the header row is the table's column headers),
the column header "Description", and a shown PID window named DESCRIPTION whose value label reads
VALUE. Prints what it found; exits 1 on the first mismatch.
"""
import sys
import time

import pyatspi


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def walk(node, depth=0, limit=6):
    yield node, depth
    if depth >= limit or node.getRole() == pyatspi.ROLE_TABLE:
        return
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1, limit)


def main():
    pid, description, value = int(sys.argv[1]), sys.argv[2], sys.argv[3]
    dump = "--dump" in sys.argv
    app = None
    for _ in range(100):
        app = find_app(pid)
        if app is not None and app.childCount > 0:
            break
        time.sleep(0.1)
    if app is None:
        print("FAIL: the display is not on the accessibility bus")
        return 1

    deadline = time.time() + 10
    while True:
        table = None
        pid_window = None
        for node, depth in walk(app):
            if dump:
                print("  " * depth + f"[{node.getRoleName()}] {node.name!r}")
            if node.getRole() == pyatspi.ROLE_TABLE and table is None:
                table = node
            if node.getRole() in (pyatspi.ROLE_FRAME, pyatspi.ROLE_WINDOW, pyatspi.ROLE_DIALOG) \
                    and node.name == description:
                pid_window = node
        dump = False
        if table is not None and pid_window is not None or time.time() > deadline:
            break
        time.sleep(0.2)

    if table is None:
        print("FAIL: no table in the display's tree")
        return 1
    itable = table.queryTable()
    first = itable.getAccessibleAt(0, 0).name
    second = itable.getAccessibleAt(0, 1).name
    header = itable.getColumnHeader(0)
    print(f"table: {itable.nRows} rows x {itable.nColumns} columns, {table.childCount} children")
    print(f"cell (0,0): {first!r}  cell (0,1): {second!r}  column header 0: {header.name if header else None!r}")
    if first != description or second != value:
        print("FAIL: the first slot does not read the PID's description and value")
        return 1
    if header is None or header.name != "Description":
        print("FAIL: the first column has no header \"Description\"")
        return 1

    if pid_window is None:
        print(f"FAIL: no PID window named {description!r}")
        return 1
    labels = [node for node, _ in walk(pid_window) if node.getRole() in (pyatspi.ROLE_LABEL, pyatspi.ROLE_STATIC)]
    names = [node.name for node in labels]
    print(f"PID window {pid_window.name!r}: labels {names!r}")
    if value not in names:
        print("FAIL: the PID window's value is not readable")
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
