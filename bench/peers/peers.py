#!/usr/bin/python3
"""The in-process libraries a Python user would pick instead of Orvexa, timed
on the X server named by DISPLAY: pynput's mouse and keyboard controllers and
python-xlib's one-pixel get_image. Prints one line per call: name, then
microseconds per call."""
import sys
import time

from Xlib import X, display
from pynput import keyboard, mouse

CALLS = int(sys.argv[1]) if len(sys.argv) > 1 else 2000


def per_call(body, calls=CALLS):
    start = time.perf_counter()
    for i in range(calls):
        body(i)
    return (time.perf_counter() - start) / calls * 1e6


def main():
    xlib = display.Display()
    root = xlib.screen().root
    pointer = mouse.Controller()
    keys = keyboard.Controller()

    def move(i):
        pointer.position = (100 + i % 500, 100 + (i * 3) % 500)
        if i % 100 == 99:
            xlib.sync()  # the server has handled the moves so far

    def key(i):
        keys.press('a')
        keys.release('a')
        if i % 100 == 99:
            xlib.sync()

    def pixel(i):
        root.get_image(i % 1000, (i * 7) % 1000, 1, 1, X.ZPixmap, 0xFFFFFFFF)

    print("pynput.mouse.position= %.1f" % per_call(move))
    print("pynput.keyboard.press+release %.1f" % per_call(key))
    print("Xlib.get_image(1x1) %.1f" % per_call(pixel))


if __name__ == "__main__":
    main()
