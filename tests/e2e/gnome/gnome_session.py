"""A real GNOME session of a test's own, headless, and a person in front of it.

Everything runs in a folder of its own: a session bus started from a bus
configuration of the session's own, whose service folder holds only the
portal's services (never the machine's), PipeWire with WirePlumber, mutter
as a headless Wayland compositor with one virtual monitor and XWayland, and
xdg-desktop-portal with GNOME's backend, started by the bus on demand with
the session's environment.

The person (`Person`) sits at the desktop through mutter's own
remote-desktop and screen-cast interfaces on the session's bus (which need no
consent: that is how GNOME's remote-desktop server works): it keeps the
seat's keyboard and pointer (a headless seat has none until a virtual device
exists), looks at the screen through a screen cast of the monitor, and
answers the portal's dialog by looking for it and pressing its keys and
buttons.
"""

import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from gi.repository import Gio, GLib

MONITOR = (1280, 720)
MUTTER_RD = "org.gnome.Mutter.RemoteDesktop"
MUTTER_SC = "org.gnome.Mutter.ScreenCast"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:path={root}/runtime/bus</listen>
  <servicedir>{root}/services</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""

# The services the bus may start: the portal, GNOME's backend and the
# permission store (restore tokens).
SERVICES = {
    "org.freedesktop.portal.Desktop": "/usr/libexec/xdg-desktop-portal",
    "org.freedesktop.impl.portal.desktop.gnome": "/usr/libexec/xdg-desktop-portal-gnome",
    "org.freedesktop.impl.portal.PermissionStore": "/usr/libexec/xdg-permission-store",
}

PROGRAMS = ["dbus-daemon", "pipewire", "wireplumber", "mutter", "gst-launch-1.0"] + list(SERVICES.values())


def missing_programs():
    return [p for p in PROGRAMS if not (shutil.which(p) or os.access(p, os.X_OK))]


def wait_for(condition, seconds, what):
    """Polls `condition` until it answers something true; fails after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError("no %s within %g s" % (what, seconds))
        time.sleep(0.02)


class GnomeSession:
    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="orvexa-gnome.")
        self.processes = []
        for sub in ("runtime", "services", "home", "config", "data", "cache", "logs"):
            os.makedirs(os.path.join(self.root, sub), mode=0o700)
        runtime = os.path.join(self.root, "runtime")
        self.wayland = "wayland-orvexa-%d" % os.getpid()
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": os.path.join(self.root, "home"),
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self.root, "config"),
            "XDG_DATA_HOME": os.path.join(self.root, "data"),
            "XDG_CACHE_HOME": os.path.join(self.root, "cache"),
            "XDG_CURRENT_DESKTOP": "GNOME",
            "XDG_SESSION_TYPE": "wayland",
            "WAYLAND_DISPLAY": self.wayland,
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=%s/bus" % runtime,
            "NO_AT_BRIDGE": "1",
            "GSETTINGS_BACKEND": "memory",
            "LANG": "C.UTF-8",
        }
        self.bus = None
        # A folder to keep the logs in (the portal's, mutter's, the bus's
        # traffic, what the person did and saw), for a look at a failure.
        self.keep = os.environ.get("ORVEXA_GNOME_LOGS")
        self.x_display = None
        self.x_authority = None

    def log(self, name):
        return os.path.join(self.root, "logs", name)

    def note(self, text):
        """A line of what the test did, with the time, in the log."""
        with open(self.log("test.log"), "a", encoding="utf-8") as f:
            f.write("%s %s\n" % (time.strftime("%H:%M:%S"), text))

    def spawn(self, name, argv, env=None):
        with open(self.log(name + ".log"), "wb") as out:
            process = subprocess.Popen(argv, env=env or self.env, stdout=out, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL, start_new_session=True)
        self.processes.append(process)
        return process

    def start(self):
        with open(os.path.join(self.root, "bus.conf"), "w") as f:
            f.write(BUS_CONFIG.format(root=self.root))
        for name, program in SERVICES.items():
            with open(os.path.join(self.root, "services", name + ".service"), "w") as f:
                f.write("[D-BUS Service]\nName=%s\nExec=%s\n" % (name, program))
        runtime = self.env["XDG_RUNTIME_DIR"]
        # The bus gives its services its own environment: the session's.
        self.spawn("dbus", ["dbus-daemon", "--nofork", "--config-file=" + os.path.join(self.root, "bus.conf")])
        wait_for(lambda: os.path.exists(runtime + "/bus"), 10, "session bus")
        if self.keep:
            self.spawn("bus-traffic", ["dbus-monitor", "--address", self.env["DBUS_SESSION_BUS_ADDRESS"]])
        self.spawn("pipewire", ["pipewire"])
        wait_for(lambda: os.path.exists(runtime + "/pipewire-0"), 10, "PipeWire socket")
        self.spawn("wireplumber", ["wireplumber"])
        # mutter's XWayland refuses a socket folder that others may not write.
        if os.path.isdir("/tmp/.X11-unix") and os.stat("/tmp/.X11-unix").st_mode & 0o1777 != 0o1777:
            os.chmod("/tmp/.X11-unix", 0o1777)
        self.spawn("mutter", ["mutter", "--headless", "--wayland", "--wayland-display=" + self.wayland,
                              "--virtual-monitor", "%dx%d" % MONITOR])
        self.bus = Gio.DBusConnection.new_for_address_sync(
            self.env["DBUS_SESSION_BUS_ADDRESS"],
            Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        wait_for(lambda: self.has_name(MUTTER_RD) and self.has_name(MUTTER_SC), 30, "mutter on the bus")
        self.x_display, self.x_authority = wait_for(self.xwayland, 30, "mutter's XWayland")

    def has_name(self, name):
        reply = self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                   "NameHasOwner", GLib.Variant("(s)", (name,)), None, 0, 5000, None)
        return reply.unpack()[0]

    def xwayland(self):
        with open(self.log("mutter.log"), errors="replace") as f:
            for line in f:
                if "Using public X11 display" in line:
                    display = line.split("display", 1)[1].split(",")[0].strip()
                    runtime = self.env["XDG_RUNTIME_DIR"]
                    auth = [n for n in os.listdir(runtime) if n.startswith(".mutter-Xwaylandauth")]
                    if auth and os.path.exists("/tmp/.X11-unix/X" + display[1:]):
                        return display, os.path.join(runtime, auth[0])
        return None

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGTERM)
        for process in reversed(self.processes):
            try:
                process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
        # Services the bus started end with it; mutter's XWayland with mutter.
        if self.keep:
            logs = os.path.join(self.keep, os.path.basename(self.root))
            shutil.copytree(self.log(""), logs)
            print("The GNOME session's logs: " + logs, file=sys.stderr)
        shutil.rmtree(self.root, ignore_errors=True)

    def portal_alive(self):
        return self.has_name("org.freedesktop.impl.portal.desktop.gnome")


class Person:
    """A user at the session: keyboard, pointer and eyes, through mutter."""

    def __init__(self, session):
        self.session = session
        bus = session.bus
        self.bus = bus
        self.rd = self.call(MUTTER_RD, "/org/gnome/Mutter/RemoteDesktop", MUTTER_RD, "CreateSession", None, "(o)")[0]
        session_id = bus.call_sync(MUTTER_RD, self.rd, "org.freedesktop.DBus.Properties", "Get",
                                   GLib.Variant("(ss)", (MUTTER_RD + ".Session", "SessionId")), None, 0, 5000,
                                   None).unpack()[0]
        sc = self.call(MUTTER_SC, "/org/gnome/Mutter/ScreenCast", MUTTER_SC, "CreateSession",
                       GLib.Variant("(a{sv})", ({"remote-desktop-session-id": GLib.Variant("s", session_id)},)),
                       "(o)")[0]
        self.stream = self.call(MUTTER_SC, sc, MUTTER_SC + ".Session", "RecordMonitor",
                                GLib.Variant("(sa{sv})", ("Meta-0", {})), "(o)")[0]
        self.node = None
        bus.signal_subscribe(MUTTER_SC, MUTTER_SC + ".Stream", "PipeWireStreamAdded", self.stream, None, 0,
                             lambda *a: setattr(self, "node", a[5].unpack()[0]))
        self.call(MUTTER_RD, self.rd, MUTTER_RD + ".Session", "Start", None, None)
        self.seen = b""
        context = GLib.MainContext.default()

        def added():
            while context.pending():
                context.iteration(False)
            return self.node is not None

        wait_for(added, 10, "screen cast of the monitor")
        self.move(*self.REST)

    def call(self, service, path, interface, method, arguments, reply):
        value = self.bus.call_sync(service, path, interface, method, arguments,
                                   GLib.VariantType(reply) if reply else None, 0, 10000, None)
        return value.unpack() if value is not None else None

    def keys(self, *keysyms):
        for keysym in keysyms:
            for pressed in (True, False):
                self.call(MUTTER_RD, self.rd, MUTTER_RD + ".Session", "NotifyKeyboardKeysym",
                          GLib.Variant("(ub)", (keysym, pressed)), None)

    # Where the person's pointer rests between answers: a corner of the
    # screen, away from the centred dialogs (a button the pointer stayed on
    # would wear its hover colour when the next dialog comes up under it).
    REST = (MONITOR[0] - 4, MONITOR[1] - 4)

    def move(self, x, y):
        self.call(MUTTER_RD, self.rd, MUTTER_RD + ".Session", "NotifyPointerMotionAbsolute",
                  GLib.Variant("(sdd)", (self.stream, float(x), float(y))), None)

    def click(self, x, y):
        """Presses the widget at (x, y) as a person does: the pointer goes
        onto it and stays until the widget shows that it is under the
        pointer (its hover look), then the button is pressed and released
        and the pointer goes back to rest."""
        self.session.note("click at (%d, %d)" % (x, y))
        before = self.patch(self.look(), x, y)
        self.move(x, y)
        wait_for(lambda: self.patch(self.look(), x, y) != before, 10, "hover look at (%d, %d)" % (x, y))
        for pressed in (True, False):
            self.call(MUTTER_RD, self.rd, MUTTER_RD + ".Session", "NotifyPointerButton",
                      GLib.Variant("(ib)", (0x110, pressed)), None)
        self.move(*self.REST)

    @staticmethod
    def patch(frame, x, y, radius=3):
        """The pixels of the square around (x, y)."""
        width = MONITOR[0]
        return b"".join(frame[((y + dy) * width + x - radius) * 3:((y + dy) * width + x + radius + 1) * 3]
                        for dy in range(-radius, radius + 1))

    def look(self):
        """The screen as rows of (r, g, b) bytes: a frame of the cast."""
        path = os.path.join(self.session.root, "frame.rgb")
        subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % self.node, "num-buffers=1", "!",
                        "videoconvert", "!", "video/x-raw,format=RGB", "!", "filesink", "location=" + path],
                       env=self.session.env, check=True, timeout=30, stdout=subprocess.DEVNULL)
        with open(path, "rb") as f:
            self.seen = f.read()
        return self.seen

    @staticmethod
    def find(frame, colour, tolerance=14):
        """Every other pixel of `colour` in the middle of the screen (where
        the desktop centres its dialogs), as (x, y)."""
        width, height = MONITOR
        found = []
        for y in range(height // 6, height * 5 // 6, 2):
            row = y * width * 3
            for x in range(width // 5, width * 4 // 5, 2):
                i = row + x * 3
                if (abs(frame[i] - colour[0]) <= tolerance and abs(frame[i + 1] - colour[1]) <= tolerance
                        and abs(frame[i + 2] - colour[2]) <= tolerance):
                    found.append((x, y))
        return found

    @staticmethod
    def blue(frame, x, y):
        """Whether (x, y) is the blue of a switch that is on or a button
        that can be pressed (hovered or not; not the pale blue of one that
        cannot)."""
        i = (y * MONITOR[0] + x) * 3
        r, g, b = frame[i], frame[i + 1], frame[i + 2]
        return b > 180 and r < 130 and 100 < g < 180

    # The dialog of GNOME 43's portal (xdg-desktop-portal-gnome): a header
    # with Cancel and the blue Share, the monitor chosen, and the switch
    # "Allow remote interaction", off at first and blue when on.
    BLUE = (53, 132, 228)

    def button(self, colour, what, seconds=30):
        """Waits for a button of `colour` at the top of a dialog; its centre.
        The screen must have stood still between two looks: a window fades
        in as it opens, and the colours it passes through are no buttons."""
        width, height = MONITOR
        middle = slice(height // 6 * width * 3, height * 5 // 6 * width * 3)
        previous = []

        def seen():
            frame = self.look()
            still = previous and previous[0][middle] == frame[middle]
            previous[:] = [frame]
            pixels = self.find(frame, colour) if still else []
            if len(pixels) < 100:
                return None
            top = min(y for _, y in pixels)
            button = [(x, y) for x, y in pixels if y < top + 40]
            return (sum(x for x, _ in button) // len(button), sum(y for _, y in button) // len(button))

        found = wait_for(seen, seconds, what)
        self.session.note("%s: button at %s" % (what, found))
        return found

    def keep_sight(self, name):
        """What the person saw last, as a PNG file in the logs."""
        if not self.seen:
            return
        width, height = MONITOR
        rows = b"".join(b"\0" + self.seen[y * width * 3:(y + 1) * width * 3] for y in range(height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        with open(self.session.log(name + ".png"), "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                    + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))

    def dialog(self, seconds=30):
        """Waits for the dialog; the centre of its Share button."""
        return self.button(self.BLUE, "portal dialog", seconds)

    def answer(self, allow_interaction=True):
        """Answers the dialog as a person would: switch, then Share."""
        share = self.dialog()
        if allow_interaction:
            # The switch sits below Share at the end of the dialog's last
            # row (a later dialog may not have the keyboard's focus: the
            # pointer reaches it all the same); it turns blue.
            switch = (share[0] - 25, share[1] + 201)
            self.click(*switch)
            # The track left of the knob (which moves right).
            wait_for(lambda: self.blue(self.look(), switch[0] - 12, switch[1]), 10, "switch on")
        self.click(*share)

    # The screen-cast dialog's Share while no monitor is chosen.
    PALE_BLUE = (154, 193, 242)

    def share_screen(self):
        """Answers the screen-cast dialog: the monitor, then Share."""
        share = self.button(self.PALE_BLUE, "screen-cast dialog")
        # The monitor's row, below the dialog's header and its check box.
        self.click(MONITOR[0] // 2, share[1] + 155)
        wait_for(lambda: self.blue(self.look(), share[0] - 30, share[1]), 10, "Share enabled")
        self.click(*share)

    def refuse(self):
        share = self.dialog()
        # Cancel mirrors Share across the centred dialog's header.
        self.click(MONITOR[0] - share[0], share[1])
