#!/usr/bin/python3
"""How the real program answers while script code keeps the interpreter
busy, on the X server named by DISPLAY: first the longest a window manager's
ping (_NET_WM_PING, sent every 100 ms for PING_SECONDS) waits for its answer,
which is what a window manager marks a window "not responding" by; then how
long the program takes to go once the user closes its window, from the close
box's request (WM_DELETE_WINDOW, as a window manager sends it) to the window
leaving the screen, and to the end of the process.

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
PING_SECONDS = 3.0
PING_EVERY = 0.1

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


def longest_ping(x, window):
    """Pings the window every PING_EVERY seconds for PING_SECONDS, then waits
    for the answers up to LIMIT; the longest wait, LIMIT for none."""
    protocols = x.intern_atom("WM_PROTOCOLS")
    ping = x.intern_atom("_NET_WM_PING")
    root = x.screen().root
    # Toolkits answer to the root window for its structure (Qt) or its
    # substructure (the EWMH).
    root.change_attributes(event_mask=X.StructureNotifyMask | X.SubstructureNotifyMask)
    sent = {}
    answered = {}
    start = time.monotonic()
    stamp = 1
    next_ping = start
    while True:
        now = time.monotonic()
        if now < start + PING_SECONDS and now >= next_ping:
            message = event.ClientMessage(window=window, client_type=protocols,
                                          data=(32, [ping, stamp, window.id, 0, 0]))
            window.send_event(message)
            x.flush()
            sent[stamp] = now
            stamp += 1
            next_ping += PING_EVERY
        while x.pending_events():
            e = x.next_event()
            if (e.type == X.ClientMessage and e.client_type == protocols and e.data[1][0] == ping
                    and e.data[1][1] in sent and e.data[1][1] not in answered):
                answered[e.data[1][1]] = time.monotonic()
        if now >= start + PING_SECONDS and len(answered) == len(sent):
            break
        if now >= start + PING_SECONDS + LIMIT:
            break
        time.sleep(0.002)
    root.change_attributes(event_mask=0)
    return max((answered[s] - t) if s in answered else LIMIT for s, t in sent.items())


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
            pinged = longest_ping(x, window)
            start = time.monotonic()
            close_box(x, window)
            gone = start + LIMIT if not wait_for(lambda: not viewable(window), LIMIT) else time.monotonic()
            ended = start + LIMIT
            if wait_for(lambda: program.poll() is not None, max(0.0, start + LIMIT - time.monotonic())):
                ended = time.monotonic()
            return pinged, gone - start, ended - start
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
        print("While %s (%d rounds; longest ping of all rounds, medians of the close box)" % (name, rounds))
        baseline = None
        for binary in binaries:
            results = [one_round(binary, script) for _ in range(rounds)]
            pinged = max(r[0] for r in results)
            gone = statistics.median(r[1] for r in results)
            ended = statistics.median(r[2] for r in results)
            line = "  %-40s longest ping %-16s window gone %-16s process ended %-16s" % (
                binary, shown(pinged), shown(gone), shown(ended))
            if baseline is None:
                baseline = (pinged, gone, ended)
            else:
                line += " ratio to baseline %.2f / %.2f / %.2f" % (
                    pinged / baseline[0], gone / baseline[1], ended / baseline[2])
            print(line, flush=True)


if __name__ == "__main__":
    main()
