"""The real program in a real GNOME session (mutter 43, xdg-desktop-portal
with GNOME's backend, PipeWire), as a user runs it: scripts run with
`orvexa --run` against native Wayland GTK windows, the portal's dialog
answered by a person at the desktop (gnome_session.Person).

Usage: test_gnome.py ORVEXA_BINARY
"""

import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import gnome_session  # noqa: E402
from gnome_session import GnomeSession, Person, wait_for  # noqa: E402

ORVEXA = os.path.abspath(os.environ.get("ORVEXA_BINARY") or (sys.argv.pop(1) if len(sys.argv) > 1 else "orvexa"))


def bmp(width, height, rgb):
    """A 24-bit BMP of one colour."""
    row = bytes(rgb[::-1]) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = b"BM" + (54 + len(pixels)).to_bytes(4, "little") + b"\0\0\0\0" + (54).to_bytes(4, "little")
    info = (40).to_bytes(4, "little") + width.to_bytes(4, "little") + height.to_bytes(4, "little")
    info += (1).to_bytes(2, "little") + (24).to_bytes(2, "little") + b"\0" * 24
    return header + info + pixels


class GnomeTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        missing = gnome_session.missing_programs()
        if missing:
            raise unittest.SkipTest("not installed: " + ", ".join(missing))
        cls.started = time.monotonic()
        cls.session = GnomeSession()
        try:
            cls.session.start()
            cls.person = Person(cls.session)
            cls.target_log = os.path.join(cls.session.root, "target.log")
            env = dict(cls.session.env, GDK_BACKEND="wayland")
            cls.target = cls.session.spawn("target", ["/usr/bin/python3", os.path.join(HERE, "target.py"),
                                                      cls.target_log], env)
            wait_for(lambda: cls.lines("ready"), 30, "target window")
        except BaseException:
            cls.session.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()
        print("GNOME session: %.1f s in all" % (time.monotonic() - cls.started), file=sys.stderr)

    @classmethod
    def lines(cls, kind):
        try:
            with open(cls.target_log, encoding="utf-8") as f:
                return [line.rstrip("\n").split(" ", 1)[1] if " " in line else ""
                        for line in f if line.split(" ", 1)[0] == kind]
        except FileNotFoundError:
            return []

    def run_script(self, body, env=None, answer=None, timeout=60):
        """Runs `body` as the MAIN bind with `orvexa --run`; `answer` is
        called once the program runs (it answers the dialog). Returns
        (exit code, standard output, standard error)."""
        folder = tempfile.mkdtemp(dir=self.session.root)
        with open(os.path.join(folder, "red.bmp"), "wb") as f:
            f.write(bmp(10, 10, (255, 0, 0)))
        with open(os.path.join(folder, "s.orx"), "w", encoding="utf-8") as f:
            f.write("//SHORTDESC: gnome\n//BIND MAIN\nimport orvex\n" + body)
        variables = dict(self.session.env, DISPLAY=self.session.x_display, XAUTHORITY=self.session.x_authority)
        variables.update(env or {})
        variables = {k: v for k, v in variables.items() if v is not None}
        process = subprocess.Popen([ORVEXA, "--run", "s.orx"], cwd=folder, env=variables, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True)
        name = self.id().rsplit(".", 1)[-1]
        self.session.note("%s: orvexa --run (pid %d)" % (name, process.pid))
        try:
            if answer:
                answer(process)
        except BaseException:
            self.person.keep_sight(name)
            # Ended as a user ends it, never killed under an open dialog.
            process.send_signal(signal.SIGTERM)
            raise
        finally:
            out, err = process.communicate(timeout=timeout)
            with open(self.session.log(name + ".log"), "a", encoding="utf-8") as f:
                f.write("code %s\n%s\n%s\n" % (process.returncode, out, err))
        return process.returncode, out, err

    def test_every_method_reaches_the_desktop_exactly(self):
        start = time.monotonic()
        typed = "aGr, 1e hello: €5 ~x\\ -_=+"
        code, out, err = self.run_script(
            "print('size', orvex.ScreenX(), orvex.ScreenY())\n"
            "print('rgb', orvex.GetRGB(150, 150), orvex.GetRGB(5, 5), orvex.GetColor(150, 150))\n"
            "print('pixel', orvex.PixelSearch(0, 0, 1279, 719, 'FF0000'))\n"
            "print('image', orvex.ImageSearch(0, 0, 1279, 719, 'red.bmp'))\n"
            "orvex.MouseMoveAbs(300, 400)\n"
            "orvex.MouseLeftClick()\n"
            "print('mouse', orvex.MouseX(), orvex.MouseY())\n"
            "orvex.MouseMoveAbs(700, 55)\n"
            "orvex.MouseLeftClick()\n"
            "orvex.TypeText(%r)\n"
            "orvex.KeySend('!')\n"
            # The layout (US) has no key for these: refused, nothing typed.
            "for call in (lambda: orvex.TypeText('x\\u00fc\\u00df\\u2603'), lambda: orvex.KeySend('\\u00fc')):\n"
            "    try:\n"
            "        call()\n"
            "    except RuntimeError as e:\n"
            "        print('refused', e)\n"
            # After anything the refused calls could have typed.
            "orvex.KeySend('.')\n" % typed,
            answer=lambda process: self.person.answer(allow_interaction=True))
        self.assertEqual(code, 0, err)
        self.assertIn("size 1280 720", out)
        self.assertIn("rgb FF0000 204080", out)
        self.assertIn("pixel (100, 100)", out)
        self.assertIn("image (100, 100)", out)
        self.assertIn("mouse 300 400", out)
        self.assertIn("1 300 400", self.lines("press"))
        self.assertIn("300 400", self.lines("motion"))
        self.assertIn('refused Cannot type "\u00fc" (U+00FC), "\u00df" (U+00DF), "\u2603" (U+2603): ', out)
        self.assertIn('refused Cannot type "\u00fc" (U+00FC): ', out)
        # Every key in order: nothing stuck, nothing repeated, nothing lost,
        # and nothing of the refused text.
        wait_for(lambda: self.lines("text")[-1:] == [typed + "!."], 10, "typed text")
        self.assertIn("Orvexa runs in a Wayland session", err)
        print("every method: %.1f s" % (time.monotonic() - start), file=sys.stderr)

    def test_sharing_without_remote_interaction_is_a_clear_error(self):
        code, out, err = self.run_script(
            "print('rgb', orvex.GetRGB(150, 150))\n"
            "for call in (lambda: orvex.KeySend('a'), lambda: orvex.MouseMoveAbs(10, 10)):\n"
            "    try:\n"
            "        call()\n"
            "        print('no error')\n"
            "    except RuntimeError as e:\n"
            "        print('error', e)\n",
            answer=lambda process: self.person.answer(allow_interaction=False))
        self.assertEqual(code, 0, err)
        self.assertIn("rgb FF0000", out)
        self.assertNotIn("no error", out)
        self.assertEqual(out.count('"Allow remote interaction"'), 2 * 2, out)

    def test_a_refusal_is_a_clear_error_not_a_hang(self):
        code, out, err = self.run_script(
            "for call in (lambda: orvex.KeySend('a'), lambda: orvex.GetRGB(1, 1)):\n"
            "    try:\n"
            "        call()\n"
            "    except RuntimeError as e:\n"
            "        print('error', e)\n",
            answer=lambda process: self.person.refuse())
        self.assertEqual(code, 0, err)
        self.assertEqual(out.count("not allowed"), 2, out)

    def test_a_run_ended_under_the_open_dialog_leaves_the_portal_working(self):
        def end_under_dialog(process):
            self.person.dialog()
            process.send_signal(signal.SIGTERM)

        code, _, err = self.run_script("orvex.KeySend('a')\n", answer=end_under_dialog)
        self.assertEqual(code, 0, err)
        self.assertTrue(self.session.portal_alive(), "GNOME's portal backend ended")
        code, out, err = self.run_script("print('rgb', orvex.GetRGB(150, 150))\n",
                                         answer=lambda process: self.person.answer())
        self.assertEqual(code, 0, err)
        self.assertIn("rgb FF0000", out)

    def test_the_screen_cast_permission_is_asked_once(self):
        # Keys through X11 here: the screen comes from a screen-cast session
        # of its own, whose permission the portal keeps.
        keep = {"ORVEXA_INPUT_BACKEND": "x11"}
        code, out, err = self.run_script("print('rgb', orvex.GetRGB(150, 150))\n", env=keep,
                                         answer=lambda process: self.person.share_screen())
        self.assertEqual(code, 0, err)
        self.assertIn("rgb FF0000", out)
        code, out, err = self.run_script("print('rgb', orvex.GetRGB(150, 150))\n", env=keep)
        self.assertEqual(code, 0, err)
        self.assertIn("rgb FF0000", out)

    def test_a_run_needs_no_display_that_refuses_it(self):
        code, out, err = self.run_script("print('ran')\n", env={"XAUTHORITY": "/nonexistent"})
        self.assertEqual(code, 0, err)
        self.assertIn("ran", out)


if __name__ == "__main__":
    result = unittest.main(verbosity=2, exit=False).result
    # 77: skipped (what the session needs is not installed), for ctest.
    sys.exit(1 if result.failures or result.errors else 77 if result.skipped else 0)
