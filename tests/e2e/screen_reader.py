#!/usr/bin/python3
"""What a screen reader hears of the Linux program over AT-SPI, as Orca
walks it: each control's role, name and description as the window's table
gives them, a message announced as an alert with its text, the help
window's text reachable as text, and «Chiudi» ending the program cleanly.
Worked through AT-SPI's own actions and text, as a screen reader's user
would. Runs on a private X server and session bus; prints the walk.
Usage: screen_reader.py PROGRAM DESIGN_REPORT"""

import json
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
from test_web import DEADLINE_S, start_xvfb, wait_for  # noqa: E402 - the page tests' own wait, found beside them

# The AT-SPI role each kind of control is heard as.
ROLES = {"plane": "IMAGE", "check": "CHECK_BOX", "button": "PUSH_BUTTON", "box": "TEXT"}


def role(node):
    """A node's role by the name of AT-SPI's constant for its number: the
    program names it in its own language, and AT-SPI's own names change
    between versions ("push button", then "button")."""
    import pyatspi
    return next((name for name in {*ROLES.values(), "FRAME", "ALERT", "LABEL"}
                 if int(node.getRole()) == int(getattr(pyatspi, f"ROLE_{name}"))), "")


def settled(check):
    """A check of a tree that changes as windows open and close: an object
    gone while it is read means the tree is not yet as awaited."""
    from gi.repository import GLib

    def checked():
        try:
            return check()
        except GLib.Error:
            return None
    return checked


def descendants(node, depth=0):
    yield node
    for child in (node if depth < 12 else []):
        if child is not None:
            yield from descendants(child, depth + 1)


def heard(node):
    return f"{node.getRole().value_nick.replace('-', ' ')} «{node.name}»" + (f", {node.description}" if node.description else "")


def walk(program, design):
    import pyatspi
    process = subprocess.Popen([program], env={**os.environ, "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
                                               "QT_QPA_PLATFORM": "xcb"})
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        control = {c["name"]: c for c in design["controls"]}
        expected = {(ROLES[c["kind"]], c["accessibleName"], c["description"])
                    for c in design["controls"] if c["kind"] in ROLES}

        def application():
            for app in desktop:
                if app is not None and app.name and app.get_process_id() == process.pid:
                    nodes = list(descendants(app))
                    if expected <= {(role(n), n.name, n.description) for n in nodes}:
                        return app, nodes
            return None
        try:
            app, nodes = wait_for(settled(application), "every control of the main window in the accessibility tree")
        except AssertionError as missing:
            seen = [heard(n) for a in desktop if a and a.get_process_id() == process.pid for n in descendants(a)]
            raise AssertionError(f"{missing}; the program {'runs' if process.poll() is None else 'ended'}, "
                                 f"the applications: {[(a.name, a.get_process_id()) for a in desktop if a]}, "
                                 f"its tree: {seen}")
        window = app[0]
        assert (role(window), window.name) == ("FRAME", design["title"]), heard(window)
        print(heard(window))
        for node in nodes:
            if (role(node), node.name, node.description) in expected:
                print("  " + heard(node))
        by_name = {(role(n), n.name): n for n in nodes}

        def press(name):
            action = by_name[("PUSH_BUTTON", name)].queryAction()
            action.doAction(0)

        # A message: the check box ticked, an overflowing amplitude, a plot.
        check = next(n for n in nodes if role(n) == "CHECK_BOX")
        check.queryAction().doAction(0)
        boxes = [n for n in nodes if role(n) == "TEXT"]
        typed = {control[name]["accessibleName"]: text for name, text in (("Text2", "1"), ("Text3", "1E39"))}
        for name, text in typed.items():
            by_name[("TEXT", name)].queryEditableText().setTextContents(text)
        press(control["Command1"]["caption"])

        def alert():
            for node in descendants(app):
                if role(node) == "ALERT":
                    texts = [n for n in descendants(node) if role(n) == "LABEL" and n.name]
                    return node, texts
            return None
        box, texts = wait_for(settled(alert), "a message announced as an alert")
        said = " ".join(t.name for t in texts)
        assert "Errore di calcolo" in said, said
        print(f"{heard(box)}: {said}")
        ok = next(n for n in descendants(box) if role(n) == "PUSH_BUTTON")
        print("  " + heard(ok))
        ok.queryAction().doAction(0)
        wait_for(settled(lambda: not any(role(n) == "ALERT" for n in descendants(app))), "the message closed")
        for name in typed:
            by_name[("TEXT", name)].queryEditableText().setTextContents("")
        assert len(boxes) == sum(c["kind"] == "box" for c in design["controls"]), [heard(b) for b in boxes]

        # A help window, its text readable as text.
        press(control["Command5"]["caption"])

        def help_text():
            for window in app:
                if window is not None and window.name == design["helpTitle"]:
                    for node in descendants(window):
                        if node.name == design["helpName"]:
                            return window, node
            return None
        window, text = wait_for(settled(help_text), "the help window's text in the accessibility tree")
        read = text.queryText().getText(0, -1)
        assert read == design["helpText"], read[:80]
        print(heard(window))
        print(f"  {heard(text)}: {read[:60]}…")

        press(control["Command4"]["caption"])
        status = process.wait(DEADLINE_S)
        assert status == 0, f"the program ended with {status} after «Chiudi»"
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()


def main():
    program, report = sys.argv[1:3]
    if "LUMIVAR_SCREEN_READER_BUS" not in os.environ:
        # A display of its own and a session bus of its own, which starts the
        # accessibility bus when asked.
        server = start_xvfb()
        try:
            return subprocess.run(["dbus-run-session", "--", sys.executable, __file__, program, report],
                                  env={**os.environ, "LUMIVAR_SCREEN_READER_BUS": "1"}).returncode
        finally:
            server.terminate()
            server.wait()
    design = json.loads(subprocess.run([report], capture_output=True, text=True, check=True).stdout)
    walk(program, design)
    print("PASS: what a screen reader hears")
    return 0


if __name__ == "__main__":
    sys.exit(main())
