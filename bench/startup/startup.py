#!/usr/bin/python3
"""Start-up on the X server named by DISPLAY: the time from starting a
program (just before exec) to the map of its first top-level window, and the
program's resident memory (VmRSS) a second after, for orvexa, for a minimal
Qt Widgets window, for the same window showing a line of text (a toolkit
that shows text reads the desktop's fonts first) and, when given, for a baseline orvexa binary (a build of
main, say), alternating, in one run.

The waiter is a connection of its own that listens for MapNotify on the root
window, which reports every top-level window mapped (Xvfb has no window
manager that would reparent them).

Usage: startup.py ORVEXA_BINARY MINIMAL_WINDOW_BINARY [starts [BASELINE_ORVEXA_BINARY]]"""
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from Xlib import X, display

STARTS = int(sys.argv[3]) if len(sys.argv) > 3 else 10
TIMEOUT = 30.0  # seconds for a window to appear
SETTLE = 1.0  # seconds after the map before the memory is read


class MapWaiter:
    def __init__(self):
        self.x = display.Display()
        self.x.screen().root.change_attributes(event_mask=X.SubstructureNotifyMask)
        self.x.sync()

    def drain(self):
        while self.x.pending_events():
            self.x.next_event()

    def title_of(self, window):
        try:
            name = window.get_full_property(self.x.get_atom('_NET_WM_NAME'), X.AnyPropertyType)
            return name.value.decode() if name else window.get_wm_name()
        except Exception:  # the window is gone already
            return None

    def wait_for_map(self, process, title):
        """The time of the MapNotify of the top-level window with the title,
        or None if the program ended or the timeout passed first."""
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline and process.poll() is None:
            while self.x.pending_events():
                event = self.x.next_event()
                if event.type == X.MapNotify and not event.override:
                    mapped = time.monotonic_ns()
                    if self.title_of(event.window) == title:
                        return mapped
            select.select([self.x.fileno()], [], [], 0.1)
        return None


def resident_kib(pid):
    with open('/proc/%d/status' % pid) as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1])
    return 0


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def start_once(waiter, command, title, folder):
    """(milliseconds to the map, resident KiB a second later)."""
    waiter.drain()
    start = time.monotonic_ns()
    process = subprocess.Popen(command, cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        mapped = waiter.wait_for_map(process, title)
        if mapped is None:
            raise RuntimeError('no window from %s' % command[0])
        time.sleep(SETTLE)
        return (mapped - start) / 1e6, resident_kib(process.pid)
    finally:
        stop(process)


def median(values):
    ordered = sorted(values)
    return ordered[len(ordered) // 2]


def main():
    orvexa, minimal = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    baseline = os.path.abspath(sys.argv[4]) if len(sys.argv) > 4 else None
    # orvexa starts in a scripts folder with one script in it.
    folder = tempfile.mkdtemp(prefix='orvexa-startup-')
    try:
        with open(os.path.join(folder, 'hello.orx'), 'w') as f:
            f.write("//SHORTDESC: Hello\n//BIND MAIN\nprint('hello')\n")
        waiter = MapWaiter()
        programs = [('orvexa', [orvexa], 'Orvexa'), ('minimal Qt Widgets window', [minimal], 'Minimal Qt window'),
                    ('the same with a text', [minimal, '--text'], 'Minimal Qt window')]
        if baseline:
            programs.append(('baseline orvexa', [baseline], 'Orvexa'))
        results = {name: ([], []) for name, _, _ in programs}
        for name, command, title in programs:  # once first: the files they load are cached
            start_once(waiter, command, title, folder)
        for _ in range(STARTS):
            for name, command, title in programs:
                ms, kib = start_once(waiter, command, title, folder)
                results[name][0].append(ms)
                results[name][1].append(kib)
        medians = {name: (median(times), median(sizes)) for name, (times, sizes) in results.items()}
        print('Start-up, median of %d starts each, one Xvfb, one run' % STARTS)
        for name, _, _ in programs:
            ms, kib = medians[name]
            print('  %-28s %8.1f ms to the window mapped   VmRSS %7.1f MiB' % (name, ms, kib / 1024))
        o_ms, o_kib = medians['orvexa']
        for name, _, _ in programs[1:]:
            b_ms, b_kib = medians[name]
            print('  orvexa / %s: time %.2f   memory %.2f' % (name, o_ms / b_ms, o_kib / b_kib))
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
