#!/usr/bin/python3
"""Every interactive node of the main window and of every dialog has a name a screen reader can say.

Starts its own X server, session bus and accessibility bus, runs the window gallery (the main window
with a sample day and every dialog open beside it) and walks each window over AT-SPI.
"""
import os
import select
import subprocess
import sys
import tempfile
import time

# Window title -> the least number of interactive nodes a walk must meet there (a window whose
# widgets vanished from the accessibility tree would otherwise pass unseen).
WINDOWS = {
    "TavroDesk": 15,
    "About": 2,
    "Settings": 15,
    "Login": 4,
    "Excluded Applications": 3,
    "Never Recorded Applications": 4,
    "Add Application": 3,
    "Export Time Entries": 8,
    "Timestamps": 1,
    "Away Time": 4,
    "Link Time With Task": 5,
    "Add Task": 6,
    "Add Task List": 3,
    "Rules": 9,
    "New Rule": 14,
    "Apply Rules for Date Range": 4,
    "Rule Preview": 5,
    "Week": 2,
}

INTERACTIVE = {
    "push button", "toggle button", "check box", "radio button", "combo box", "text", "entry",
    "password text", "spin button", "list", "list box", "tree", "tree table", "table", "page tab",
    "slider", "date editor", "menu item", "check menu item", "link",
}
# Their rows are the user's data, named by their own text. (A table is walked: the calendar's
# navigation buttons sit in it beside its cells.)
CONTAINERS = {"list", "list box", "tree", "tree table"}


def start(command, env, **kwargs):
    return subprocess.Popen(command, env=env, **kwargs)


def wait_for_line(process, wanted, seconds):
    deadline = time.time() + seconds
    while time.time() < deadline:
        ready, _, _ = select.select([process.stdout], [], [], 0.5)
        if ready:
            line = process.stdout.readline()
            if not line:
                break
            if line.strip() == wanted:
                return True
    return False


def walk(node, problems, counted, path):
    try:
        role = node.getRoleName()
        name = (node.name or "").strip()
        showing = node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception as error:  # a node that vanished mid-walk
        problems.append(f"{path}: unreadable ({error})")
        return
    here = f"{path}/{role}:{name or '?'}"
    if role in INTERACTIVE and showing:
        counted.append(here)
        if not name:
            problems.append(f"{here} has no accessible name")
    if role in CONTAINERS:
        return
    for index in range(node.childCount):
        child = node.getChildAtIndex(index)
        if child is not None:
            walk(child, problems, counted, here)


def main(gallery):
    folder = tempfile.mkdtemp(prefix="tavro-a11y-")
    env = dict(os.environ)
    read_end, write_end = os.pipe()
    xvfb = start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1000x24", "-nolisten", "tcp",
                  "-noreset"], env, pass_fds=(write_end,))
    os.close(write_end)
    display = os.read(read_end, 64).decode().strip()
    env["DISPLAY"] = ":" + display
    bus = start(["dbus-daemon", "--session", "--nofork", "--print-address=1",
                 f"--address=unix:path={folder}/bus"], env, stdout=subprocess.PIPE, text=True)
    env["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
    os.environ.update(DISPLAY=env["DISPLAY"], DBUS_SESSION_BUS_ADDRESS=env["DBUS_SESSION_BUS_ADDRESS"])
    launcher = start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env)
    children = [xvfb, bus, launcher]
    try:
        env.update(QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
        app = start([gallery], env, stdout=subprocess.PIPE, text=True)
        children.append(app)
        if not wait_for_line(app, "ready", 60):
            print("the window gallery did not come up")
            return 1
        global pyatspi
        import pyatspi
        desktop = pyatspi.Registry.getDesktop(0)
        ours = None
        for attempt in range(50):
            for index in range(desktop.childCount):
                candidate = desktop.getChildAtIndex(index)
                if candidate is not None and candidate.name == os.path.basename(gallery):
                    ours = candidate
            if ours is not None and ours.childCount >= len(WINDOWS):
                break
            time.sleep(0.2)
        if ours is None:
            print("the gallery is not on the accessibility bus")
            return 1
        windows = {}
        for index in range(ours.childCount):
            window = ours.getChildAtIndex(index)
            if window is not None:
                windows.setdefault(window.name, window)
        failures = []
        for title, least in WINDOWS.items():
            if title not in windows:
                failures.append(f"window '{title}' is not on the accessibility bus")
                continue
            problems, counted = [], []
            walk(windows[title], problems, counted, "")
            failures += [f"{title}: {problem}" for problem in problems]
            if len(counted) < least:
                failures.append(f"{title}: only {len(counted)} interactive nodes, expected at least {least}")
            print(f"{title}: {len(counted)} interactive nodes")
            if os.environ.get("TAVRO_A11Y_VERBOSE"):
                print("    " + "\n    ".join(counted))
        for failure in failures:
            print("FAIL", failure)
        return 1 if failures else 0
    finally:
        for child in reversed(children):
            child.terminate()
            try:
                child.wait(5)
            except subprocess.TimeoutExpired:
                child.kill()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
