#!/usr/bin/python3
# The receiving window of the GNOME test: a native Wayland GTK window over
# the whole monitor, undecorated, with known colours, a text entry that has
# the focus and a log of the pointer. Every event goes to the log file named
# by the first argument, one line each:
#   ready W H            the window is on the screen, W x H pixels
#   text TEXT            the entry's whole text after each change
#   motion X Y           the pointer moved to (X, Y)
#   press B X Y          button B pressed at (X, Y)
#   key KEYVAL PRESSED   a key event the entry did not take
import sys

import gi

gi.require_version("Gdk", "3.0")
gi.require_version("Gtk", "3.0")
from gi.repository import Gdk, GLib, Gtk  # noqa: E402

# The colours the test reads back: the background and a red block.
BACKGROUND = (0x20, 0x40, 0x80)
RED_BLOCK = (100, 100, 100, 100)  # x, y, width, height
ENTRY_AT = (600, 40)

log = open(sys.argv[1], "a", buffering=1, encoding="utf-8")


def say(*words):
    log.write(" ".join(str(w) for w in words) + "\n")


css = Gtk.CssProvider()
css.load_from_data(
    b"window { background-color: #%02x%02x%02x; } #red { background-color: #ff0000; }" % BACKGROUND)
Gtk.StyleContext.add_provider_for_screen(Gdk.Screen.get_default(), css, Gtk.STYLE_PROVIDER_PRIORITY_APPLICATION)

window = Gtk.Window(title="orvexa-gnome-target")
window.set_decorated(False)
fixed = Gtk.Fixed()
red = Gtk.EventBox(name="red")
red.set_size_request(RED_BLOCK[2], RED_BLOCK[3])
entry = Gtk.Entry()
entry.set_width_chars(40)
entry.connect("changed", lambda e: say("text", e.get_text()))
fixed.put(red, RED_BLOCK[0], RED_BLOCK[1])
fixed.put(entry, *ENTRY_AT)
window.add(fixed)
window.add_events(Gdk.EventMask.POINTER_MOTION_MASK | Gdk.EventMask.BUTTON_PRESS_MASK)
window.connect("motion-notify-event", lambda w, e: say("motion", round(e.x_root), round(e.y_root)))
window.connect("button-press-event", lambda w, e: say("press", e.button, round(e.x_root), round(e.y_root)))
window.connect("key-press-event", lambda w, e: say("key", e.keyval, 1) and False)
window.connect("destroy", Gtk.main_quit)


monitor = Gdk.Display.get_default().get_monitor(0).get_geometry()
shown = []


def allocated(widget, allocation):
    # Ready once it covers the monitor, a moment after (the frame drawn).
    if shown or (allocation.width, allocation.height) != (monitor.width, monitor.height):
        return
    shown.append(True)
    entry.grab_focus()
    GLib.timeout_add(300, lambda: say("ready", allocation.width, allocation.height) and False)


window.connect("size-allocate", allocated)
window.fullscreen()
window.show_all()
Gtk.main()
