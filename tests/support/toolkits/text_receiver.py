#!/usr/bin/python3
# A text field of one toolkit that has the keyboard focus and tells what was
# typed into it, for the typing tests: a real program of that toolkit,
# decoding keys as that toolkit does.
#
#   text_receiver.py gtk3|qt5|qt6|tk
#
# Shows its window, takes the focus and prints "ready". Then reads commands
# on standard input, one a line:
#   text   -> "text HEX": what the field holds, as hexadecimal UTF-8
#   clear  -> "cleared" once the field is empty
#   focus  -> "focused" once it asked for the focus again
# and ends at the end of its input.
import sys

TITLE = "orvexa typing receiver"


def reply(line):
    sys.stdout.write(line + "\n")
    sys.stdout.flush()


def answer(command, get_text, clear, focus):
    command = command.strip()
    if command == "text":
        reply("text " + get_text().encode("utf-8", "surrogatepass").hex())
    elif command == "clear":
        clear()
        reply("cleared")
    elif command == "focus":
        focus()
        reply("focused")
    elif command:
        reply("unknown " + command)


def run_gtk3():
    import gi

    gi.require_version("Gtk", "3.0")
    from gi.repository import GLib, Gtk

    window = Gtk.Window(title=TITLE)
    window.set_default_size(600, 300)
    view = Gtk.TextView()
    window.add(view)
    buffer = view.get_buffer()

    def get_text():
        return buffer.get_text(buffer.get_start_iter(), buffer.get_end_iter(), True)

    def focus():
        window.present()
        view.grab_focus()

    def on_input(source, condition):
        line = sys.stdin.readline()
        if not line:
            Gtk.main_quit()
            return False
        answer(line, get_text, lambda: buffer.set_text(""), focus)
        return True

    window.connect("destroy", Gtk.main_quit)
    window.show_all()
    focus()
    GLib.io_add_watch(sys.stdin, GLib.IO_IN | GLib.IO_HUP, on_input)
    GLib.idle_add(lambda: reply("ready") and False)
    Gtk.main()


def run_qt(module):
    if module == "qt5":
        from PyQt5.QtCore import QSocketNotifier, QTimer
        from PyQt5.QtWidgets import QApplication, QPlainTextEdit
    else:
        from PyQt6.QtCore import QSocketNotifier, QTimer
        from PyQt6.QtWidgets import QApplication, QPlainTextEdit

    app = QApplication([sys.argv[0]])
    edit = QPlainTextEdit()
    edit.setWindowTitle(TITLE)
    edit.resize(600, 300)

    def focus():
        edit.activateWindow()
        edit.raise_()
        edit.setFocus()

    read_kind = QSocketNotifier.Type.Read if hasattr(QSocketNotifier, "Type") else QSocketNotifier.Read
    notifier = QSocketNotifier(sys.stdin.fileno(), read_kind)

    def on_input():
        line = sys.stdin.readline()
        if not line:
            app.quit()
            return
        answer(line, edit.toPlainText, edit.clear, focus)

    notifier.activated.connect(on_input)
    edit.show()
    focus()
    QTimer.singleShot(0, lambda: reply("ready"))
    app.exec() if hasattr(app, "exec") else app.exec_()


def run_tk():
    import tkinter

    root = tkinter.Tk()
    root.title(TITLE)
    text = tkinter.Text(root, width=80, height=20)
    text.pack()

    def focus():
        root.focus_force()
        text.focus_force()

    def on_input(source, mask):
        line = sys.stdin.readline()
        if not line:
            root.destroy()
            return
        answer(line, lambda: text.get("1.0", "end-1c"), lambda: text.delete("1.0", "end"), focus)

    root.createfilehandler(sys.stdin, tkinter.READABLE, on_input)
    root.update()
    focus()
    root.after_idle(lambda: reply("ready"))
    root.mainloop()


if __name__ == "__main__":
    kind = sys.argv[1] if len(sys.argv) > 1 else ""
    if kind == "gtk3":
        run_gtk3()
    elif kind in ("qt5", "qt6"):
        run_qt(kind)
    elif kind == "tk":
        run_tk()
    else:
        sys.stderr.write("usage: text_receiver.py gtk3|qt5|qt6|tk\n")
        sys.exit(2)
