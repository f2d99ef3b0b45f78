#!/usr/bin/python3
"""Starts the program on a disc folder and checks over the accessibility bus (AT-SPI) what a
screen reader finds: the windows, the painted buttons as push buttons it can press, the
drop-downs by name with the words of their chosen item, the view lamp, the menu of a row's
title in the other views, the statistics grid's headings and the charts' figures, and nothing
of the decorative strip picture.

Run on an X server inside its own session bus:
    xvfb-run -a dbus-run-session -- atspi_check.py PROGRAM DISC_DIR
"""
import os
import subprocess
import sys
import tempfile
import time

import pyatspi
from gi.repository import GLib

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what)
    if not condition:
        failures.append(what)


def wait_for(find, what, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = find()
        if found:
            return found
        time.sleep(0.2)
    print("FAIL " + what + ": not found")
    failures.append(what)
    return None


def descendants(node):
    """Everything below node, but not the cells of tables: the main grid has thousands."""
    out = []
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            out.append(child)
            if child.getRoleName() != "table":
                out.extend(descendants(child))
    return out


def program_app():
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name.lower() == "vantora":
            return app
    return None


def window(app, title):
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name == title and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def named(root, name, role=None):
    for node in descendants(root):
        if node.name == name and (role is None or node.getRoleName() == role):
            return node
    return None


def press(button):
    action = button.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    action.doAction(names.index("Press"))


def key(keysym):
    """A key pressed and released on the keyboard, as the X server delivers it."""
    pyatspi.Registry.generateKeyboardEvent(keysym, None, pyatspi.KEY_SYM)
    time.sleep(0.3)


RETURN, ESCAPE, DOWN = 0xFF0D, 0xFF1B, 0xFF54


def focused_during(steps, seconds=4):
    """What took the focus, as the bus announced it, while the keys of steps were pressed.
    A menu is a window of its own that is not among the application's windows: a screen
    reader meets it, as here, through the focus moving onto its lines."""
    seen = []

    def on_focus(event):
        if event.detail1:
            seen.append(event.source)

    def press_steps():
        for keysym in steps:
            key(keysym)
        return False

    def stop():
        pyatspi.Registry.stop()
        return False

    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    GLib.timeout_add(300, press_steps)
    GLib.timeout_add(int(seconds * 1000), stop)
    pyatspi.Registry.start()
    pyatspi.Registry.deregisterEventListener(on_focus, "object:state-changed:focused")
    return seen


def check_cross_view_menu(main_window):
    """Enter on a row of the grid opens the menu of the row's title in the other views."""
    grid = next((n for n in descendants(main_window) if n.getRoleName() == "table"), None)
    check(grid is not None, "main grid is a table")
    if grid is None:
        return
    grid.queryComponent().grabFocus()
    time.sleep(0.3)
    # Enter opens the menu, Down moves onto its first line that can be chosen.
    focused = focused_during([RETURN, DOWN])
    line = next((n for n in reversed(focused) if n.getRoleName() == "menu item"), None)
    check(line is not None, "a line of the cross-view menu takes the focus: "
          + repr([(n.getRoleName(), n.name) for n in focused]))
    if line is None:
        key(ESCAPE)
        return
    menu = line.parent
    check(menu is not None and "menu" in menu.getRoleName(),
          "the line belongs to a menu: " + (menu.getRoleName() if menu else "none"))
    items = [menu.getChildAtIndex(i) for i in range(menu.childCount)] if menu else []
    names = [item.name for item in items]
    check([n.split(":")[0] for n in names] == ["Spiele", "Tipps"] and
          all(item.getRoleName() == "menu item" for item in items),
          "the menu has a line for each other view, named as shown: " + repr(names))
    for item in items:
        empty = item.name.endswith("keine Einträge")
        check(item.getState().contains(pyatspi.STATE_ENABLED) != empty,
              f'"{item.name}" is {"disabled" if empty else "enabled"}')
    key(ESCAPE)


def main():
    program, disc = sys.argv[1], sys.argv[2]
    home = tempfile.mkdtemp()
    os.makedirs(os.path.join(home, "config", "Kalmor"))
    with open(os.path.join(home, "config", "Kalmor", "Vantora-Engine.ini"), "w") as ini:
        ini.write("Engine-Version=1.00\n")
    runtime = os.path.join(home, "runtime")
    os.makedirs(runtime, mode=0o700)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_DATA_HOME=os.path.join(home, "data"), XDG_RUNTIME_DIR=runtime,
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    env["QT_QPA_PLATFORM"] = "xcb"  # the accessibility bridge comes with the X11 platform
    proc = subprocess.Popen([program], cwd=disc, env=env)
    # A program that ends at once could not reach the virtual X server as it came up (seen
    # on a loaded machine): it gets one more start before the check counts it as absent.
    try:
        proc.wait(timeout=5)
        print(f"note: the program ended at once ({proc.returncode}); starting it again")
        time.sleep(2)
        proc = subprocess.Popen([program], cwd=disc, env=env)
    except subprocess.TimeoutExpired:
        pass
    try:
        app = wait_for(program_app, "the program on the accessibility bus", 90)
        main_window = app and wait_for(lambda: window(app, "Vantora"), "the main window")
        if not main_window:
            return
        check(main_window.getRoleName() == "frame",
              "main window is a frame: " + main_window.getRoleName())

        buttons = {}
        for caption in ["Spiele", "CD & DVD", "Tipps", "Auswahl", "Statistik", "Info", "Ende"]:
            node = named(main_window, caption, "push button")
            buttons[caption] = node
            check(node is not None, f'"{caption}" is a push button')
            if node is not None:
                state = node.getState()
                action = node.queryAction()
                names = [action.getName(i) for i in range(action.nActions)]
                check(state.contains(pyatspi.STATE_FOCUSABLE), f'"{caption}" takes the focus')
                check("Press" in names, f'"{caption}" offers its press action')
        check("F3" in (buttons["Auswahl"].description if buttons["Auswahl"] else ""),
              '"Auswahl" names its key F3')

        all_nodes = descendants(main_window)
        check(not any(n.getRoleName() == "filler" for n in all_nodes),
              "no filler in the main window")
        strip = [n for n in all_nodes
                 if n.queryComponent().getSize() == (130, 453)]
        check(not strip, "the strip picture is hidden from screen readers")
        check(named(main_window, "Ansicht: Spiele") is not None, 'view lamp says "Ansicht: Spiele"')
        check(named(main_window, "Schnellsuche", "text") is not None, 'title box "Schnellsuche"')

        press(buttons["CD & DVD"])
        check(wait_for(lambda: named(main_window, "Ansicht: CD-Inhalt"),
                       'view lamp after "CD & DVD"', 10) is not None,
              'view lamp says "Ansicht: CD-Inhalt" after pressing "CD & DVD"')

        check_cross_view_menu(main_window)

        press(buttons["Auswahl"])
        page = wait_for(lambda: window(app, "Auswahl-Modul"), "the search page", 10)
        if page:
            check(page.getRoleName() == "dialog", "search page is a dialog: " + page.getRoleName())
            for name in ["Mindestwertung", "Genre / Art"]:
                box = named(page, name, "combo box")
                check(box is not None, f'drop-down named "{name}"')
                if box is not None:
                    chosen = box.queryText().getText(0, -1)
                    check(chosen == "(alle)", f'"{name}" reads its chosen item: {chosen!r}')
            for name in ["Alle", "OK"]:
                check(named(page, name, "push button") is not None, f'"{name}" is a push button')

        press(buttons["Statistik"])
        stats = wait_for(lambda: window(app, "Statistik / CD & DVD-Inhalt"),
                         "the disc statistics window", 10)
        if stats:
            check(stats.getRoleName() == "dialog", "statistics window is a dialog")
            table = next((n for n in descendants(stats) if n.getRoleName() == "table"), None)
            check(table is not None, "statistics grid is a table")
            if table is not None:
                t = table.queryTable()
                headings = [t.getColumnHeader(c).name for c in range(t.nColumns)]
                check(headings and all(headings), "grid headings exposed: " + repr(headings))
                first = [t.getAccessibleAt(0, c).name for c in range(t.nColumns)]
                check(first != headings, "the grid's first row is data, not the headings again: "
                      + repr(first))
            chart = named(stats, "Monatsdiagramm")
            check(chart is not None and "1er-Durchschnitt" in chart.description,
                  "monthly chart describes its figures per month")
    finally:
        proc.terminate()
        proc.wait(timeout=20)


if __name__ == "__main__":
    main()
    # Every way out of main() ends here, so a check that could not even start fails too.
    sys.exit(1 if failures else 0)
