"""Runs the real quorvane under a private Xvfb with temporary XDG folders.

Every wait has a deadline and polls a condition; nothing sleeps for a fixed time
and hopes. Tests use `Session` as a context manager:

    with Session() as s:
        s.start_app()
        s.wait_for(lambda: "launched" in s.app_log(), "launch line")
"""

import os
import shutil
import signal
import sqlite3
import json
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

BINARY = os.environ.get("QUORVANE_BINARY", "")
# How long a condition may take before a test fails. Waits end as soon as their
# condition holds, so this only needs room for a machine that is busy elsewhere.
DEFAULT_TIMEOUT = 20.0
PANEL_HEIGHT = 360  # 40% of the session's 900-pixel screen
# Ctrl+Shift+K as the settings store the toggle shortcut.
CTRL_SHIFT_K = '{"carbonKeyCode":40,"carbonModifiers":768}'


def build_dir():
    """The folder of the program under test, where tests leave their screenshots."""
    return os.path.dirname(os.path.abspath(BINARY))


def panel_windows(s):
    """The panel's windows of at least half its height: down, or on the way."""
    return s.visible_windows("^Quorvane$", min_height=PANEL_HEIGHT // 2)


def panel_shown(s):
    """The geometries of the panel's windows once it is down at its full height."""
    return [g for _, g in panel_windows(s) if g[3] == PANEL_HEIGHT]


def panel_gone(s):
    return not panel_windows(s)


def png(width, height, row_colour=lambda y, height: (0xFF, 0x00, 0x80)):
    """A PNG picture, written by hand so the tests need no image library: every pixel
    of row y in the colour (red, green, blue) that `row_colour(y, height)` gives."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\x00" + bytes(row_colour(y, height)) * width for y in range(height))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows))
            + chunk(b"IEND", b""))


class Session:
    def __init__(self, screen="1440x900x24"):
        self.screen = screen
        self.tmp = None
        self.xvfb = None
        self.display = None
        self.app = None
        self.env = None
        self._app_log_file = None
        self.extra = []  # other processes to end with the session

    # --- set-up -------------------------------------------------------------
    def __enter__(self):
        self.tmp = tempfile.mkdtemp(prefix="quorvane-e2e-")
        home = os.path.join(self.tmp, "home")
        dirs = {
            "HOME": home,
            "XDG_CONFIG_HOME": os.path.join(home, ".config"),
            "XDG_DATA_HOME": os.path.join(home, ".local", "share"),
            "XDG_CACHE_HOME": os.path.join(home, ".cache"),
            "XDG_RUNTIME_DIR": os.path.join(self.tmp, "runtime"),
        }
        for path in dirs.values():
            os.makedirs(path, mode=0o700, exist_ok=True)
        self._start_xvfb()
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("XDG_", "WAYLAND", "DBUS_SESSION"))}
        env.update(dirs)
        env["DISPLAY"] = self.display
        env["QT_QPA_PLATFORM"] = "xcb"
        env["QT_QPA_PLATFORMTHEME"] = ""
        # No session bus unless a test starts one: with none named, D-Bus launches a
        # bus of its own through the X server, and that bus outlives the session.
        env["DBUS_SESSION_BUS_ADDRESS"] = "unix:path=" + os.path.join(self.tmp, "no-session-bus")
        # Update checks go to a closed port on this machine unless a test serves an appcast.
        env["QUORVANE_UPDATE_HOST"] = "http://127.0.0.1:9"
        env.pop("QT_LOGGING_RULES", None)
        self.env = env
        return self

    def __exit__(self, *exc):
        self.stop_app()
        for proc in self.extra:
            _end(proc)
        _end(self.xvfb)
        if os.environ.get("QUORVANE_E2E_KEEP"):
            print("kept", self.tmp)
        else:
            shutil.rmtree(self.tmp, ignore_errors=True)
        return False

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", self.screen,
             "-nolisten", "tcp", "-noreset", "+extension", "XInputExtension"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        with os.fdopen(read_fd, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            raise RuntimeError("Xvfb did not report a display")
        self.display = ":" + number.decode().strip()

    # --- the program --------------------------------------------------------
    @property
    def home(self):
        return self.env["HOME"]

    @property
    def data_dir(self):
        return os.path.join(self.env["XDG_DATA_HOME"], "com.quorvane.app")

    @property
    def config_dir(self):
        return os.path.join(self.env["XDG_CONFIG_HOME"], "com.quorvane.app")

    @property
    def store_path(self):
        return os.path.join(self.data_dir, "Clipboard.store")

    def write_defaults(self, values):
        """Writes the settings file the program reads at start (a JSON object)."""
        os.makedirs(self.config_dir, exist_ok=True)
        with open(os.path.join(self.config_dir, "defaults.json"), "w") as f:
            json.dump(values, f)

    def start_app(self, args=(), extra_env=None, wait_launched=True, debug_log=False):
        """Starts quorvane; `debug_log` turns on its debug lines (off by default)."""
        env = dict(self.env)
        if debug_log:
            env["QT_LOGGING_RULES"] = "com.quorvane.app.*.debug=true"
        env.update(extra_env or {})
        self._app_log_path = os.path.join(self.tmp, "quorvane-%d.log" % time.monotonic_ns())
        self._app_log_file = open(self._app_log_path, "wb")
        self.app = subprocess.Popen([BINARY, *args], env=env, stdout=self._app_log_file,
                                    stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)
        if wait_launched:
            self.wait_for(lambda: "Quorvane launched successfully" in self.app_log(),
                          "the launch line", check_alive=True)
        return self.app

    def app_log(self):
        if not self._app_log_file:
            return ""
        self._app_log_file.flush()
        with open(self._app_log_path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def stop_app(self, sig=signal.SIGTERM, timeout=DEFAULT_TIMEOUT):
        """Ends the program with `sig` and returns its exit status."""
        if not self.app:
            return None
        if self.app.poll() is None:
            self.app.send_signal(sig)
            try:
                self.app.wait(timeout)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
                raise AssertionError("quorvane did not exit within %ss of %s\n%s"
                                     % (timeout, sig, self.app_log()))
        status = self.app.returncode
        self.app = None
        return status

    # --- waiting ------------------------------------------------------------
    def wait_for(self, condition, what, timeout=DEFAULT_TIMEOUT, check_alive=False):
        deadline = time.monotonic() + timeout
        while True:
            value = condition()
            if value:
                return value
            if check_alive and self.app and self.app.poll() is not None:
                raise AssertionError("quorvane exited (%s) while waiting for %s\n%s"
                                     % (self.app.returncode, what, self.app_log()))
            if time.monotonic() > deadline:
                raise AssertionError("timed out after %ss waiting for %s\n%s"
                                     % (timeout, what, self.app_log()))
            time.sleep(0.05)

    # --- X tools ------------------------------------------------------------
    def run(self, *cmd, check=True, input=None, timeout=DEFAULT_TIMEOUT):
        return subprocess.run(list(cmd), env=self.env, check=check, input=input,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=timeout)

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args]).stdout.decode()

    def copy(self, data, mime="UTF8_STRING"):
        """Puts `data` on the CLIPBOARD from another client (xclip stays as its owner)."""
        if isinstance(data, str):
            data = data.encode()
        proc = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", mime, "-i"],
                                env=self.env, stdin=subprocess.PIPE,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        proc.stdin.write(data)
        proc.stdin.close()
        self.extra.append(proc)
        return proc

    def copy_into_store(self, data, mime="UTF8_STRING"):
        """Copies from another client and returns once the program stored one more entry."""
        count = len(self.store_rows())
        self.copy(data, mime)
        self.wait_for(lambda: len(self.store_rows()) == count + 1, "the copy of %r in the store" % data[:20])

    def own_clipboard(self, formats, announce=False):
        """Another client owns the CLIPBOARD with several formats at once (xclip offers
        one): `formats` maps MIME types to text; "text/plain" is offered as a string.
        Returns once it owns the clipboard; it keeps it until the session ends. With
        `announce` it prints "asked" when first asked for its contents; its output is
        unbuffered then, so that select() on it sees every line not read yet."""
        owner = os.environ.get("QUORVANE_CLIPBOARD_OWNER", "")
        if not owner or not os.path.exists(owner):
            raise AssertionError("QUORVANE_CLIPBOARD_OWNER must name the clipboard owner program")
        proc = subprocess.Popen([owner, *(["--announce"] if announce else []),
                                 *["%s=%s" % item for item in formats.items()]], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                                bufsize=0 if announce else -1)
        self.extra.append(proc)
        if proc.stdout.readline().strip() != b"ready":
            raise AssertionError("the clipboard owner did not start")
        return proc

    def clipboard_targets(self):
        """The formats the CLIPBOARD's owner offers right now."""
        return self.clipboard("TARGETS").decode("utf-8", "replace").split()

    def clipboard(self, mime="UTF8_STRING"):
        return self.run("xclip", "-selection", "clipboard", "-t", mime, "-o", check=False).stdout

    def screenshot(self, path):
        self.run("import", "-window", "root", path)
        return path

    def screen_pixels(self):
        """The screen's pixels, three bytes each, row by row."""
        return self.run("import", "-window", "root", "-depth", "8", "rgb:-").stdout

    def still_screenshot(self, path, still_for=0.4, timeout=DEFAULT_TIMEOUT):
        """A screenshot once the screen stopped changing (animations, fades and
        delayed updates over): the same pixels in grabs `still_for` seconds apart."""
        since = [time.monotonic(), self.screen_pixels()]

        def still():
            current = self.screen_pixels()
            if current != since[1]:
                since[:] = [time.monotonic(), current]
                return False
            return time.monotonic() - since[0] >= still_for
        self.wait_for(still, "a still screen", timeout=timeout)
        return self.screenshot(path)

    def start_session_bus(self):
        """A session bus of the session's own, for the program and the stand-ins
        of desktop services. Call before start_app."""
        read_fd, write_fd = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=%d" % write_fd],
                               pass_fds=(write_fd,), env=self.env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.extra.append(bus)
        with os.fdopen(read_fd) as pipe:
            address = pipe.readline().strip()
        if not address:
            raise RuntimeError("the session bus did not start")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def start_accessibility_bus(self):
        """A session bus on which the accessibility bus starts when first asked for,
        and the program's accessibility on: what a desktop with a screen reader
        running gives a program. Call before start_app."""
        self.start_session_bus()
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"

    def accessibility(self, *args):
        """What atspi_tree.py reads of the program (or does to it) over the
        accessibility bus, run by the system's python3, which has pyatspi."""
        script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "atspi_tree.py")
        out = self.run("/usr/bin/python3", script, *args).stdout.decode()
        return json.loads(out) if not args else out.strip()

    def start_tray(self):
        """Starts an XEmbed tray host along the bottom edge (the panel drops over the top)."""
        proc = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                                 "--width", "60", "--height", "24"], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.extra.append(proc)
        self.wait_for(lambda: self.run("xdotool", "search", "--class", "trayer", check=False).stdout.strip(),
                      "the tray host")
        return proc

    def tray_icon(self):
        """The program's tray icon window, once the tray host has embedded it: the
        smallest of its visible windows (the panel, once made, shares the class)."""
        def icons():
            found = [(g[2] * g[3], wid.decode()) for wid in self.run(
                "xdotool", "search", "--onlyvisible", "--classname", "quorvane", check=False).stdout.split()
                for g in [self.window_geometry(wid)] if g and g[2] <= 64 and g[3] <= 64]
            return sorted(found)
        return self.wait_for(icons, "the tray icon")[0][1]

    def click_tray_icon(self, button=1):
        """Clicks the tray icon with `button` (1: left, 3: right), inside its bounds."""
        self.xdotool("mousemove", "--window", self.tray_icon(), 11, 11, "click", button)

    def start_window_manager(self):
        """Starts a real window manager (openbox with its stock settings), which
        decides itself which window gets the keyboard, as on a desktop; returns once
        it manages. One desktop: the wheel over the bare screen would switch them."""
        with open("/etc/xdg/openbox/rc.xml") as f:
            config = f.read().replace("<number>4</number>", "<number>1</number>", 1)
        config_path = os.path.join(self.tmp, "openbox-rc.xml")
        with open(config_path, "w") as f:
            f.write(config)
        proc = subprocess.Popen(["openbox", "--sm-disable", "--config-file", config_path], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.extra.append(proc)
        self.wait_for(lambda: b"window id" in self.run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK",
                                                       check=False).stdout, "the window manager")
        return proc

    def focused_window(self):
        """The window that has the keyboard focus, as xdotool names it."""
        return self.run("xdotool", "getwindowfocus", check=False).stdout.decode().strip()

    def own_windows(self):
        """The program's visible windows (menus and dialogs included)."""
        return self.run("xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid),
                        check=False).stdout.split()

    def tray_menu(self, *keys):
        """Opens the tray icon's menu and walks it with keys ("Down", "Return")."""
        before = len(self.own_windows())
        self.click_tray_icon(3)
        self.wait_for(lambda: len(self.own_windows()) > before, "the tray menu")
        self.xdotool("key", *keys)

    def open_settings(self):
        """Opens the settings as a user does: the tray icon drops the panel down, the
        footer's gear (at its bottom right) opens them. Returns the window's id."""
        self.click_tray_icon()
        previous = []

        def panel_settled():
            # The drop-down animates: the same full-height frame twice means it is done.
            frames = [g for _, g in self.visible_windows("^Quorvane$", min_height=100)]
            settled = bool(frames) and bool(previous) and frames == previous[-1]
            previous.append(frames)
            return frames[0] if settled else None
        x, y, width, height = self.wait_for(panel_settled, "the panel")
        self.xdotool("mousemove", x + width - 24, y + height - 16, "click", 1)
        wid = self.wait_for(lambda: self.window_ids("^Quorvane Settings$"), "the settings window")[0]
        # Keys typed before it has the focus would go elsewhere.
        self.wait_for(lambda: self.run("xdotool", "getwindowfocus", check=False).stdout.strip() == wid.encode(),
                      "the settings window to have the keyboard focus")
        return wid

    def other_window(self):
        """Another program's window, focused; it stays until the session ends."""
        proc = subprocess.Popen(["xmessage", "-name", "otherprogram", "-geometry", "300x100+600+500",
                                 "another program"], env=self.env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.extra.append(proc)
        wid = self.wait_for(lambda: self.run("xdotool", "search", "--onlyvisible", "--classname",
                                             "otherprogram", check=False).stdout.split(),
                            "the other window")[0].decode()
        self.xdotool("windowfocus", "--sync", wid)
        return wid

    def hold_key_grab(self, keysym, modifiers):
        """Another X client grabs keysym with the X modifier mask (ShiftMask 1,
        ControlMask 4, Mod1Mask 8, Mod4Mask 64) in every lock state, and keeps it
        until the session ends."""
        proc = subprocess.Popen([sys.executable, "-c", _GRABBER, keysym, str(modifiers)], env=self.env,
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.extra.append(proc)
        line = proc.stdout.readline()
        if line.strip() != b"grabbed":
            raise AssertionError("the other client could not grab %s" % keysym)
        return proc

    def stays(self, condition, what, duration=0.5):
        """Checks that condition holds throughout duration seconds (for "nothing happens")."""
        deadline = time.monotonic() + duration
        while time.monotonic() < deadline:
            if not condition():
                raise AssertionError("%s stopped holding\n%s" % (what, self.app_log()))
            time.sleep(0.05)

    def window_geometry(self, wid):
        """(x, y, width, height) of a window, or None once it is gone."""
        result = self.run("xdotool", "getwindowgeometry", "--shell", wid, check=False)
        if result.returncode != 0:
            return None
        values = dict(line.split("=", 1) for line in result.stdout.decode().split() if "=" in line)
        return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def visible_windows(self, name, min_height=0):
        """Visible windows whose name matches the regular expression `name`."""
        found = []
        for wid in self.window_ids(name):
            geometry = self.window_geometry(wid)
            if geometry and geometry[3] >= min_height:
                found.append((wid, geometry))
        return found

    def window_ids(self, name="Quorvane"):
        result = self.run("xdotool", "search", "--onlyvisible", "--name", name, check=False)
        return [line for line in result.stdout.decode().split() if line]

    # --- the store ----------------------------------------------------------
    def store_rows(self, query="SELECT * FROM ClipboardItem ORDER BY timestamp DESC"):
        if not os.path.exists(self.store_path):
            return []
        con = sqlite3.connect("file:%s?mode=ro" % self.store_path, uri=True, timeout=5)
        try:
            con.row_factory = sqlite3.Row
            return [dict(r) for r in con.execute(query)]
        except sqlite3.OperationalError:
            return []
        finally:
            con.close()

    def store_integrity(self):
        con = sqlite3.connect(self.store_path, timeout=5)
        try:
            return con.execute("PRAGMA integrity_check").fetchone()[0]
        finally:
            con.close()


# A minimal X client through libX11, so that tests need no extra package to hold a key.
_GRABBER = r"""
import ctypes, sys
x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XStringToKeysym.argtypes = [ctypes.c_char_p]
x.XStringToKeysym.restype = ctypes.c_ulong
x.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XKeysymToKeycode.restype = ctypes.c_ubyte
x.XGrabKey.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_uint, ctypes.c_ulong,
                       ctypes.c_int, ctypes.c_int, ctypes.c_int]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
display = x.XOpenDisplay(None)
root = x.XDefaultRootWindow(display)
keycode = x.XKeysymToKeycode(display, x.XStringToKeysym(sys.argv[1].encode()))
for lock in (0, 2, 16, 18):  # none, Caps Lock, Num Lock (Mod2 on Xvfb), both
    x.XGrabKey(display, keycode, int(sys.argv[2]) | lock, root, 1, 1, 1)
x.XSync(display, 0)
print("grabbed", flush=True)
sys.stdin.read()
"""


def _end(proc):
    if proc and proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def main():
    if not BINARY or not os.path.exists(BINARY):
        raise SystemExit("QUORVANE_BINARY must name the built program")
    unittest.main(verbosity=2)
