#!/usr/bin/python3
"""Hot-key latency on the X server named by DISPLAY: from a key press sent
through XTEST to the callback, for a KEY and a HOTKEY bind of the real orvexa
program, for pynput's global hot-key listener and for an idle Xlib client
that grabs its combination (bench_hotkey_xlib_client), on the same server in
one run. All listen at the same time, each for a combination of its own, and
the presses alternate between them, so that all carry the same load.

Orvexa's binds take the time (CLOCK_MONOTONIC) on their first line and write
it to a file; pynput's callback takes it in this process; the Xlib client
takes it when it has read the KeyPress and writes it to its standard output.
The press is sent after the time is taken, so a latency includes the XTEST
request itself.

Usage: hotkey.py ORVEXA_BINARY XLIB_CLIENT [presses]"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time
import traceback

from Xlib import X, XK, display
from Xlib.ext import xtest
from pynput import keyboard

PRESSES = int(sys.argv[3]) if len(sys.argv) > 3 else 100
TIMEOUT = 10.0  # seconds for any one wait

SCRIPT = """//SHORTDESC: Hot-key latency
//BIND MAIN
open('ready.txt', 'w').write('ready\\n')
//BIND KEY CONTROL-SHIFT-J
import time
stamp = time.monotonic_ns()
with open('stamps.txt', 'a') as f:
    f.write('%d\\n' % stamp)
//BIND HOTKEY CTRL+SHIFT+H
import time
stamp = time.monotonic_ns()
with open('hotkey-stamps.txt', 'a') as f:
    f.write('%d\\n' % stamp)
"""


def wait_for(condition, what, timeout=TIMEOUT):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise TimeoutError(what)
        time.sleep(0.0005)


def tool(*args):
    return subprocess.run(args, check=True, timeout=TIMEOUT, capture_output=True, text=True).stdout


class Keys:
    """XTEST presses on a connection of their own."""

    def __init__(self):
        self.x = display.Display()
        self.code = {name: self.x.keysym_to_keycode(XK.string_to_keysym(name))
                     for name in ('Control_L', 'Shift_L', 'h', 'j', 'k', 'l')}

    def send(self, name, kind):
        xtest.fake_input(self.x, kind, self.code[name])

    def chord(self, letter, on_press):
        """Ctrl+Shift+letter; returns the time taken just before the letter's press."""
        self.send('Control_L', X.KeyPress)
        self.send('Shift_L', X.KeyPress)
        self.x.sync()
        start = time.monotonic_ns()
        self.send(letter, X.KeyPress)
        self.x.sync()
        on_press()
        self.send(letter, X.KeyRelease)
        self.send('Shift_L', X.KeyRelease)
        self.send('Control_L', X.KeyRelease)
        self.x.sync()
        return start


def lines(path):
    try:
        with open(path) as f:
            return f.read().split()
    except FileNotFoundError:
        return []


def start_orvexa(binary, folder):
    with open(os.path.join(folder, 'hotkey.orx'), 'w') as f:
        f.write(SCRIPT)
    process = subprocess.Popen([binary], cwd=folder, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = tool('xdotool', 'search', '--sync', '--onlyvisible', '--pid', str(process.pid),
                  '--name', '^Orvexa$').split()[0]
    tool('xdotool', 'windowfocus', '--sync', window)
    tool('xdotool', 'key', 'alt+r')  # the Run button's mnemonic
    wait_for(lambda: lines(os.path.join(folder, 'ready.txt')), 'the script to run')
    return process


class XlibClient:
    """The idle Xlib client, its presses read from its output on a thread."""

    def __init__(self, binary):
        self.process = subprocess.Popen([binary, 'l'], stdout=subprocess.PIPE, text=True)
        if self.process.stdout.readline().strip() != 'ready':
            raise RuntimeError('the Xlib client did not start')
        self.stamps = []
        self.seen = threading.Event()
        threading.Thread(target=self.read, daemon=True).start()

    def read(self):
        for line in self.process.stdout:
            self.stamps.append(int(line))
            self.seen.set()


def stop(process):
    process.send_signal(signal.SIGTERM)
    try:
        process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(fraction * len(ordered)))]


def main():
    binary = os.path.abspath(sys.argv[1])
    folder = tempfile.mkdtemp(prefix='orvexa-hotkey-')
    stamps = os.path.join(folder, 'stamps.txt')
    hotkey_stamps = os.path.join(folder, 'hotkey-stamps.txt')
    orvexa = None
    xlib = None
    listener = None
    try:
        fired = []
        fired_event = threading.Event()

        def on_hotkey():
            fired.append(time.monotonic_ns())
            fired_event.set()

        listener = keyboard.GlobalHotKeys({'<ctrl>+<shift>+k': on_hotkey})
        listener.daemon = True
        listener.start()
        listener.wait()  # its RECORD context is enabled: presses from now on are heard

        xlib = XlibClient(os.path.abspath(sys.argv[2]))
        orvexa = start_orvexa(binary, folder)
        keys = Keys()

        def orvexa_press(letter, path):
            """Microseconds from the press to the bind's first line."""
            seen = len(lines(path))
            start = keys.chord(letter, lambda: wait_for(lambda: len(lines(path)) > seen, 'the bind of ' + letter))
            return (int(lines(path)[-1]) - start) / 1000

        def key_press():
            return orvexa_press('j', stamps)

        def hotkey_press():
            return orvexa_press('h', hotkey_stamps)

        def xlib_press():
            """Microseconds from the press to the Xlib client's receipt."""
            xlib.seen.clear()
            start = keys.chord('l', lambda: wait_for(xlib.seen.is_set, 'the Xlib client'))
            return (xlib.stamps[-1] - start) / 1000

        def pynput_press():
            """Microseconds from the press to the hot-key callback."""
            fired_event.clear()
            start = keys.chord('k', lambda: wait_for(fired_event.is_set, 'the pynput hot-key'))
            return (fired[-1] - start) / 1000

        kinds = (('orvexa KEY bind', key_press), ('orvexa HOTKEY bind', hotkey_press),
                 ('pynput GlobalHotKeys', pynput_press), ('idle Xlib client', xlib_press))
        for _ in range(3):  # all warm, and all heard their key at all
            for _, press in kinds:
                press()

        load_before = os.getloadavg()[0]
        times = {name: [] for name, _ in kinds}
        for _ in range(PRESSES):
            for name, press in kinds:
                times[name].append(press())
                time.sleep(0.02)

        print('load average (1 min) %.2f before the presses, %.2f after' % (load_before, os.getloadavg()[0]))
        for name, _ in kinds:
            values = times[name]
            print('%-22s presses %4d  median %8.1f us  p90 %8.1f us'
                  % (name, len(values), percentile(values, 0.5), percentile(values, 0.9)))
        pynput_us, xlib_us = times['pynput GlobalHotKeys'], times['idle Xlib client']
        for name in ('orvexa KEY bind', 'orvexa HOTKEY bind'):
            ours = times[name]
            print('%-22s median: pynput / orvexa %.2f, orvexa / Xlib %.2f   p90: pynput / orvexa %.2f, '
                  'orvexa / Xlib %.2f'
                  % (name, percentile(pynput_us, 0.5) / percentile(ours, 0.5),
                     percentile(ours, 0.5) / percentile(xlib_us, 0.5),
                     percentile(pynput_us, 0.9) / percentile(ours, 0.9),
                     percentile(ours, 0.9) / percentile(xlib_us, 0.9)))
    finally:
        if orvexa:
            stop(orvexa)
        if xlib:
            xlib.process.kill()
            xlib.process.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    # pynput's listener cannot be stopped while its RECORD context waits for
    # data (stop() blocks on the same connection); the process ends without
    # waiting for its threads instead.
    code = 0
    try:
        main()
    except BaseException:
        traceback.print_exc()
        code = 1
    sys.stdout.flush()
    sys.stderr.flush()
    os._exit(code)
