#!/usr/bin/python3
"""How long the real program takes to go once the user closes its window
while script code keeps the interpreter busy, on the X server named by
DISPLAY: from the close box's request (WM_DELETE_WINDOW, as a window manager
sends it) to the window leaving the screen, and to the end of the process.

Each scene runs ROUNDS times for every binary given; the first binary is the
baseline the others are compared with (median against median, same run).

Usage: quit.py ROUNDS BINARY [BINARY...]"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from Xlib import X, Xatom, display, error
from Xlib.protocol import event

LIMIT = 12.0  # seconds a scene may take before it counts as "never"

SCENES = {
    "50 threads calling orvex in tight loops": """//BIND MAIN
import orvex, threading
def busy():
    while True:
        orvex.GetBindGlobal('x')
        orvex.MouseX()
for i in range(50):
    threading.Thread(target=busy).start()
open('started.txt', 'w').write('yes')
""",
    "a TIMER looping without end (while True: pass)": """//BIND TIMER 10
open('started.txt', 'w').write('yes')
while True:
    pass
""",
}


def wait_for(condition, timeout):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.002)
    return True


def find_window(x, pid):
    """The mapped top-level window titled "Orvexa" of process pid."""
    pid_atom = x.intern_atom("_NET_WM_PID")
    for child in x.screen().root.query_tree().children:
        try:
            if child.get_wm_name() != "Orvexa":
                continue
            owner = child.get_full_property(pid_atom, Xatom.CARDINAL)
            if owner and owner.value[0] == pid and child.get_attributes().map_state == X.IsViewable:
                return child
        except error.XError:
            pass
    return None


def viewable(window):
    try:
        return window.get_attributes().map_state == X.IsViewable
    except error.XError:
        return False


def close_box(x, window):
    protocols = x.intern_atom("WM_PROTOCOLS")
    delete = x.intern_atom("WM_DELETE_WINDOW")
    message = event.ClientMessage(window=window, client_type=protocols,
                                  data=(32, [delete, X.CurrentTime, 0, 0, 0]))
    window.send_event(message)
    x.flush()


def one_round(binary, script):
    folder = tempfile.mkdtemp(prefix="orvexa-quit-")
    try:
        with open(os.path.join(folder, "scene.orx"), "w") as f:
            f.write("//SHORTDESC: Quit scene\n" + script)
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env["XDG_CONFIG_HOME"] = folder
        program = subprocess.Popen([binary], cwd=folder, env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            x = display.Display()
            window = None
            if not wait_for(lambda: find_window(x, program.pid) is not None, 30):
                raise RuntimeError("no main window")
            window = find_window(x, program.pid)
            subprocess.run(["xdotool", "windowfocus", "--sync", str(window.id)], check=True)
            subprocess.run(["xdotool", "key", "alt+r"], check=True)
            # Under the load of the scene the script may take long to start.
            if not wait_for(lambda: os.path.exists(os.path.join(folder, "started.txt")), 60):
                raise RuntimeError("the script did not start")
            time.sleep(0.5)  # the script's load settles
            start = time.monotonic()
            close_box(x, window)
            gone = start + LIMIT if not wait_for(lambda: not viewable(window), LIMIT) else time.monotonic()
            ended = start + LIMIT
            if wait_for(lambda: program.poll() is not None, max(0.0, start + LIMIT - time.monotonic())):
                ended = time.monotonic()
            return gone - start, ended - start
        finally:
            if program.poll() is None:
                program.kill()
            program.wait()
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def shown(seconds):
    return "never (>%.0f s)" % LIMIT if seconds >= LIMIT else "%.2f s" % seconds


def main():
    rounds = int(sys.argv[1])
    binaries = [os.path.abspath(b) for b in sys.argv[2:]]
    for name, script in SCENES.items():
        print("Close box while %s (%d rounds, medians)" % (name, rounds))
        baseline = None
        for binary in binaries:
            results = [one_round(binary, script) for _ in range(rounds)]
            gone = statistics.median(r[0] for r in results)
            ended = statistics.median(r[1] for r in results)
            line = "  %-40s window gone %-16s process ended %-16s" % (binary, shown(gone), shown(ended))
            if baseline is None:
                baseline = (gone, ended)
            else:
                line += " ratio to baseline %.2f / %.2f" % (gone / baseline[0], ended / baseline[1])
            print(line, flush=True)


if __name__ == "__main__":
    main()
