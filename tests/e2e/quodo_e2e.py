"""End-to-end test library: runs the cross-built Windows programs under Wine + Xvfb and drives them.

Every program runs inside a test session made by scripts/wine-session.sh (a loopback-only network
namespace, an Xvfb display, a Wine prefix of its own). Windows are found and driven with our own
helper QuodoAuto.exe (tests/e2e/auto), which runs inside the same session; screenshots come from
ImageMagick's `import` on the session's display; the registry is read and written with `wine reg`.

How an end-to-end test uses it (a module tests/e2e/test_<something>.py, Python's unittest; CMake
registers every such module as a test of the cross build):

    import unittest
    from quodo_e2e import E2ETestCase, wait_until

    class StartTest(E2ETestCase):
        def test_bar_shows_the_level(self):
            self.session.reg_set("Interval", 30)                 # HKCU\\Software\\Quodo\\Defaults
            program = self.launch("Quodo.exe", cwd=self.make_folder(), env={
                "QUODO_CLOCK": "2026-04-03 10:00:00",             # the program's starting local time
                "LC_ALL": "nl_NL.UTF-8", "TZ": "Europe/Amsterdam"})
            main = program.wait_window("TMainForm", timeout=15)  # a top-level window class
            wait_until(lambda: "812,34" in main.child_texts(), timeout=10, message="level shown")
            main.right_click(20, 10)                              # relative to the window
            self.session.menu(timeout=5)                          # the popup menu is open
            self.session.keys("DOWN", "RETURN")                   # choose items with the keyboard
            shot = main.screenshot()
            self.assertEqual(shot.pixel(2, 2), (0xFF, 0xFF, 0xE3))
            box = self.session.message_box(timeout=5)             # a #32770 dialog: title, texts, buttons
            box.press("OK")

    if __name__ == "__main__":
        unittest.main()

E2ETestCase empties HKCU\\Software\\Quodo before each test, and `launch` stops the program (closes
its windows, kills it after a time-out) when the test ends. Never sleep a fixed time: poll with
`wait_until`, or use the `timeout` of the waiting calls. Texts are read with WM_GETTEXT; items of a
popup menu cannot be read from another process under Wine, so they are chosen with keys. A web
server the program should reach (tests/fixtures) must run inside the session's network namespace:
start it with `session.start_command([...])`, or run a command there with `session.in_wine([...])`.

Before its first program the library sets the session's Wine to leave windows unmanaged (there is
no window manager; Wine would wait two seconds for one whenever a window is hidden) and keeps
Wine's desktop process alive (see Session.prepare).

Environment:
  QUODO_SESSION  the running session to use. Without it, shared_session() starts a private session
                 and stops it when Python exits.
  QUODO_BIN      the cross build's bin folder (QuodoAuto.exe, SampleWindow.exe, Quodo.exe).
  QUODO_ROOT     the repository root; by default two folders above this file.
  QUODO_E2E_ARTIFACTS  where E2ETestCase.save_screenshot puts its pictures.

Under CTest the session is started once for all end-to-end tests by
`python3 quodo_e2e.py session start` and stopped by `... session stop` (QUODO_SESSION names it).
`python3 quodo_e2e.py auto COMMAND ...` runs one QuodoAuto command in a running session, for
exploring (QuodoAuto.cpp lists the commands).
"""

import atexit
import collections
import json
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

DEFAULTS_KEY = "HKCU\\Software\\Quodo\\Defaults"
PRODUCT_KEY = "HKCU\\Software\\Quodo"
WINE_X11_KEY = "HKCU\\Software\\Wine\\X11 Driver"


class AutoError(Exception):
    """A QuodoAuto command failed (its exit code was 1); the message is its error text."""


def wait_until(condition, timeout=10.0, interval=0.05, message=None):
    """Calls condition() until it returns a true value, and returns that value.

    Raises TimeoutError after `timeout` seconds, naming `message` and the last value seen. An
    AutoError inside the condition counts as "not yet" (a window may not exist yet)."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        try:
            last = condition()
            if last:
                return last
        except AutoError as error:
            last = error
        if time.monotonic() >= deadline:
            raise TimeoutError("waited %.1f s for %s; last value: %r" % (timeout, message or "a condition", last))
        time.sleep(interval)


class Rect(collections.namedtuple("Rect", "left top right bottom")):
    """A screen rectangle; right and bottom are exclusive, as in Windows."""

    @property
    def width(self):
        return self.right - self.left

    @property
    def height(self):
        return self.bottom - self.top

    @property
    def center(self):
        return ((self.left + self.right) // 2, (self.top + self.bottom) // 2)

    def offset(self, dx, dy):
        return Rect(self.left + dx, self.top + dy, self.right + dx, self.bottom + dy)

    def contains(self, x, y):
        return self.left <= x < self.right and self.top <= y < self.bottom


# ---- images ------------------------------------------------------------------------------------


class Image:
    """An RGB picture (8 bits a channel): a screenshot or a part of one."""

    def __init__(self, width, height, rgb, origin=(0, 0)):
        self.width = width
        self.height = height
        self.rgb = rgb
        self.origin = origin  # screen position of pixel (0, 0)

    @classmethod
    def from_ppm(cls, data):
        """Reads a binary PPM (P6) picture, as `import ... ppm:-` writes it."""
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        magic, width, height, maxval = fields[0], int(fields[1]), int(fields[2]), int(fields[3])
        if magic != b"P6" or maxval != 255:
            raise ValueError("not an 8-bit binary PPM picture: %r %d" % (magic, maxval))
        pixels = data[pos + 1:pos + 1 + width * height * 3]
        if len(pixels) != width * height * 3:
            raise ValueError("PPM picture is cut short")
        return cls(width, height, pixels)

    def pixel(self, x, y):
        """The colour (r, g, b) at (x, y), relative to this picture."""
        if not (0 <= x < self.width and 0 <= y < self.height):
            raise IndexError("pixel (%d, %d) outside %dx%d" % (x, y, self.width, self.height))
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def screen_pixel(self, x, y):
        """The colour at screen position (x, y)."""
        return self.pixel(x - self.origin[0], y - self.origin[1])

    def crop(self, rect):
        """The part inside a screen rectangle (clipped to the picture)."""
        left = max(rect.left - self.origin[0], 0)
        top = max(rect.top - self.origin[1], 0)
        right = min(rect.right - self.origin[0], self.width)
        bottom = min(rect.bottom - self.origin[1], self.height)
        rows = [self.rgb[(y * self.width + left) * 3:(y * self.width + right) * 3] for y in range(top, bottom)]
        return Image(max(right - left, 0), max(bottom - top, 0), b"".join(rows),
                     (self.origin[0] + left, self.origin[1] + top))

    def colours(self):
        """How many pixels have each colour: a Counter of (r, g, b)."""
        data = self.rgb
        return collections.Counter(tuple(data[i:i + 3]) for i in range(0, len(data), 3))

    def count(self, colour):
        return self.colours()[tuple(colour)]

    def bounding_box(self, colour):
        """The rectangle (relative to this picture) around every pixel of `colour`, or None."""
        xs, ys = [], []
        for y in range(self.height):
            row = self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
            for x in range(self.width):
                if tuple(row[x * 3:x * 3 + 3]) == tuple(colour):
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return None
        return Rect(min(xs), min(ys), max(xs) + 1, max(ys) + 1)

    def save_png(self, path):
        """Writes the picture as a PNG file (for looking at a failure)."""
        raw = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3] for y in range(self.height))

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n")
            out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
            out.write(chunk(b"IEND", b""))


def hex_colour(text):
    """'#ffffe3' or 'FFFFE3' -> (255, 255, 227)."""
    text = text.lstrip("#")
    return tuple(int(text[i:i + 2], 16) for i in (0, 2, 4))


# ---- registry files ----------------------------------------------------------------------------


def _reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def _reg_line(name, value, kind):
    """One value line of a .reg file; value None deletes the value."""
    if value is None:
        return "%s=-" % _reg_string(name)
    if kind is None:
        kind = "REG_DWORD" if isinstance(value, int) else "REG_BINARY" if isinstance(value, bytes) else "REG_SZ"
    if kind == "REG_DWORD":
        return "%s=dword:%08x" % (_reg_string(name), int(value) & 0xFFFFFFFF)
    if kind == "REG_BINARY":
        return "%s=hex:%s" % (_reg_string(name), ",".join("%02x" % b for b in value))
    if kind == "REG_SZ":
        return "%s=%s" % (_reg_string(name), _reg_string(str(value)))
    raise ValueError("unsupported registry type %s" % kind)


def parse_reg_export(text, key):
    """The values of exactly `key` in the text of a `reg export` file: {name: value}.

    REG_SZ gives str, REG_DWORD int, REG_BINARY bytes, other hex(n) types bytes; the default value
    is named ""."""
    full = key.replace("HKCU\\", "HKEY_CURRENT_USER\\", 1).replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1)
    lines = text.replace("\r\n", "\n").split("\n")
    joined = []  # long hex values continue on the next line after a backslash
    for line in lines:
        if joined and joined[-1].endswith("\\") and re.match(r"\s", line or "x"):
            joined[-1] = joined[-1][:-1] + line.strip()
        else:
            joined.append(line)
    values = {}
    inside = False
    for line in joined:
        if line.startswith("["):
            inside = line.strip()[1:-1].lower() == full.lower()
            continue
        if not inside or not line.strip():
            continue
        match = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if not match:
            continue
        name = "" if match.group(1) == "@" else re.sub(r"\\(.)", r"\1", match.group(2))
        data = match.group(3)
        if data.startswith('"'):
            values[name] = re.sub(r"\\(.)", r"\1", data[1:-1])
        elif data.startswith("dword:"):
            values[name] = int(data[6:], 16)
        elif data.startswith("hex"):
            hexes = data.split(":", 1)[1]
            values[name] = bytes(int(h, 16) for h in hexes.split(",") if h.strip())
    return values


# ---- the session -------------------------------------------------------------------------------


def repository_root():
    return os.environ.get("QUODO_ROOT") or os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


class Session:
    """One Wine test session: its display, its prefix and the programs run in it."""

    def __init__(self, name=None, root=None, bin_dir=None):
        self.name = name or os.environ.get("QUODO_SESSION") or "quodo"
        self.root = root or repository_root()
        self.bin_dir = bin_dir or os.environ.get("QUODO_BIN")
        self.owned = False
        self._prepared = False
        env_file = os.path.join(self.root, ".sessions", self.name, "env")
        if not os.path.isfile(env_file):
            raise RuntimeError("no Wine session %r: start it with QUODO_SESSION=%s scripts/wine-session.sh start"
                               % (self.name, self.name))
        self.settings = {}
        with open(env_file) as f:
            for line in f:
                if "=" in line:
                    key, value = line.strip().split("=", 1)
                    self.settings[key] = value
        self.display = self.settings["DISPLAY"]
        self.prefix = self.settings["WINEPREFIX"]

    # -- starting and stopping

    @staticmethod
    def _session_script(command, name, root):
        env = dict(os.environ, QUODO_SESSION=name)
        result = subprocess.run([os.path.join(root, "scripts", "wine-session.sh"), command], env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=300)
        if result.returncode != 0:
            raise RuntimeError("wine-session.sh %s %s failed:\n%s" % (command, name, result.stdout))
        return result.stdout

    @classmethod
    def start_new(cls, name=None, root=None, bin_dir=None):
        """Starts a fresh session (stopping any of the same name first); stop() ends it again."""
        root = root or repository_root()
        name = name or "e2e-%d" % os.getpid()
        cls._session_script("start", name, root)
        session = cls(name, root, bin_dir)
        session.owned = True
        return session

    def stop(self):
        """Ends the session, if this object started it."""
        if self.owned:
            self.owned = False
            self._session_script("stop", self.name, self.root)

    # -- running programs

    def _env(self, extra=None):
        env = dict(os.environ, QUODO_SESSION=self.name)
        env.update(extra or {})
        return env

    def exe_path(self, exe):
        """A program name without a folder is looked up in the bin folder."""
        if os.path.dirname(exe):
            return os.path.abspath(exe)
        if not self.bin_dir:
            raise RuntimeError("QUODO_BIN is not set: the folder of the cross-built programs is unknown")
        return os.path.join(self.bin_dir, exe)

    def in_wine(self, args, env=None, cwd=None, timeout=60):
        """Runs a command through scripts/in-wine and waits for it: CompletedProcess, text output.

        The output goes through files, not pipes: a Wine process that the command starts (the desktop
        process, for one) inherits them and may live on, so waiting for the end of a pipe could hang."""
        self.prepare()
        command = [os.path.join(self.root, "scripts", "in-wine")] + [str(a) for a in args]
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            process = subprocess.Popen(command, env=self._env(env), cwd=cwd, stdin=subprocess.DEVNULL,
                                       stdout=out, stderr=err, start_new_session=True)
            try:
                code = process.wait(timeout)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
                raise
            texts = []
            for f in (out, err):
                f.seek(0)
                texts.append(f.read().decode("utf-8", errors="replace").replace("\r\n", "\n"))
        return subprocess.CompletedProcess(command, code, texts[0], texts[1])

    def prepare(self):
        """Readies the session for driving windows; done once, before the first program runs.

        - Windows are not left to a window manager (X11 Driver "Managed" = "N"): there is none on
          the test display, and Wine would wait two seconds for one at every window it hides.
        - Wine's desktop process is kept alive: Wine closes it a second after the last program on it
          ends, and the next program then waits about a second for a new one. A program that only
          waits (QuodoAuto hold) keeps it open; it ends with the session."""
        if self._prepared:
            return
        self._prepared = True
        if self.reg_get("Managed", key=WINE_X11_KEY) != "N":
            self.reg_set("Managed", "N", key=WINE_X11_KEY)
        if self.bin_dir and not self._holder_running():
            subprocess.Popen([os.path.join(self.root, "scripts", "in-wine"), self.exe_path("QuodoAuto.exe"), "hold"],
                             env=self._env(), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)

    def _holder_running(self):
        return any(any(w.endswith("QuodoAuto.exe") for w in words) and "hold" in words
                   for words in self.command_lines())

    def command_lines(self):
        """The command lines of the processes that run in the session, as lists of words. A Windows
        program shows the command line it was started with ("C:\\...\\Quodo107.exe", "/SP-", ...)."""
        pids = subprocess.run(["ip", "netns", "pids", self.settings.get("QUODO_NETNS", "q-" + self.name)],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True).stdout.split()
        lines = []
        for pid in pids:
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    lines.append(f.read().decode("utf-8", errors="replace").rstrip("\0").split("\0"))
            except OSError:
                continue
        return lines

    def launch(self, exe, args=(), env=None, cwd=None):
        """Starts a Windows program in the session and returns at once: a Program.

        `env` adds environment variables (QUODO_CLOCK, LC_ALL, TZ, ...); `cwd` is its working folder
        (by default the current one). Its output goes to a file, Program.output()."""
        self.prepare()
        return Program(self, [self.exe_path(exe)] + [str(a) for a in args], env or {}, cwd)

    def start_command(self, command, env=None, cwd=None):
        """Starts a Linux command inside the session's network namespace (where 127.0.0.1 is the
        programs' loopback, e.g. a fixture web server) and returns at once: a Program whose stop()
        ends it."""
        return Program(self, [str(a) for a in command], env or {}, cwd)

    # -- QuodoAuto

    def auto(self, *args, timeout=None, env=None):
        """Runs one QuodoAuto command and returns its output lines as dicts; AutoError on failure."""
        args = [str(a) for a in args]
        waited = max([int(a.split("=", 1)[1]) for a in args if a.startswith("--timeout=")] or [0]) / 1000.0
        result = self.in_wine([self.exe_path("QuodoAuto.exe")] + args, env=env, timeout=timeout or waited + 60)
        lines = [json.loads(line) for line in result.stdout.splitlines() if line.strip().startswith("{")]
        if result.returncode != 0:
            error = lines[-1].get("error") if lines else (result.stderr.strip() or "exit code %d" % result.returncode)
            raise AutoError("QuodoAuto %s: %s" % (" ".join(args), error))
        return lines

    def auto_one(self, *args, timeout=None, env=None):
        lines = self.auto(*args, timeout=timeout, env=env)
        if len(lines) != 1:
            raise AutoError("QuodoAuto %s: expected one line, got %r" % (" ".join(map(str, args)), lines))
        return lines[0]

    # -- windows

    def find_window(self, class_name, timeout=10.0, title=None, visible=True):
        """Waits up to `timeout` seconds for a top-level window of a class: a Window (AutoError if none)."""
        args = ["find", class_name, "--timeout=%d" % int(timeout * 1000)]
        if title is not None:
            args.append("--title=" + title)
        if visible:
            args.append("--visible")
        return Window(self, self.auto_one(*args))

    def windows(self, class_name=None, title=None, visible=False):
        """Every top-level window (of a class, with a title, visible), as Windows."""
        args = ["list"]
        if class_name:
            args.append("--class=" + class_name)
        if title is not None:
            args.append("--title=" + title)
        if visible:
            args.append("--visible")
        return [Window(self, info) for info in self.auto(*args)]

    def wait_gone(self, window, timeout=10.0):
        """Waits until a window (a Window, a handle or a class name) is closed or hidden."""
        selector = window.hwnd if isinstance(window, Window) else window
        self.auto("gone", selector, "--timeout=%d" % int(timeout * 1000))

    def menu(self, timeout=5.0):
        """The open popup menu (class #32768) as a Window; waits for it up to `timeout` seconds.

        Its items cannot be read from another process under Wine: choose them with keys()."""
        return Window(self, self.auto_one("menu", "--timeout=%d" % int(timeout * 1000)))

    def menu_open(self):
        return bool(self.windows("#32768", visible=True))

    def message_box(self, timeout=5.0, title=None):
        """A shown dialog box (#32770): a MessageBox with its title, texts and buttons."""
        args = ["msgbox", "--timeout=%d" % int(timeout * 1000)]
        if title is not None:
            args.append("--title=" + title)
        return MessageBox(self, self.auto_one(*args))

    # -- input

    def move_mouse(self, x, y):
        return self.auto_one("move", x, y)

    def press_mouse(self, x, y, button="left"):
        return self.auto_one("down", x, y, "--button=" + button)

    def release_mouse(self, x, y, button="left"):
        return self.auto_one("up", x, y, "--button=" + button)

    def click(self, x, y, button="left", count=1):
        return self.auto_one("click", x, y, "--button=" + button, "--count=%d" % count)

    def right_click(self, x, y):
        return self.click(x, y, "right")

    def drag(self, x1, y1, x2, y2, steps=10, button="left", delay_ms=20):
        """Presses at (x1, y1), moves to (x2, y2) in `steps` even steps, releases there."""
        return self.auto_one("drag", x1, y1, x2, y2, "--steps=%d" % steps, "--button=" + button,
                             "--delay=%d" % delay_ms)

    def cursor(self):
        position = self.auto_one("cursor")
        return position["x"], position["y"]

    def keys(self, *names):
        """Presses and releases keys in order: virtual-key names such as F5, DOWN, RETURN, ESCAPE, TAB,
        a letter or digit, or a combination such as CTRL+S or ALT+F4."""
        return self.auto_one("key", *names)

    def type_text(self, text):
        return self.auto_one("type", text)

    # -- screen

    def screen_size(self):
        size = self.auto_one("screen")
        return size["width"], size["height"]

    def pixel(self, x, y):
        """A screen pixel's colour (r, g, b), read by the program's side (GetPixel on the screen)."""
        return hex_colour(self.auto_one("pixel", x, y)["rgb"])

    def screenshot(self, rect=None):
        """The whole display, or the part inside a screen Rect, as an Image."""
        result = subprocess.run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=60)
        if result.returncode != 0:
            raise RuntimeError("import failed: %s" % result.stderr.decode(errors="replace"))
        image = Image.from_ppm(result.stdout)
        return image.crop(Rect(*rect)) if rect is not None else image

    # -- registry

    def _reg_file_path(self, folder):
        return os.path.join(folder, "values.reg")

    @staticmethod
    def _wine_path(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def reg_values(self, key=DEFAULTS_KEY):
        """Every value of a registry key of the session's prefix: {name: value}; {} when the key is absent."""
        folder = tempfile.mkdtemp(prefix="quodo-reg-")
        try:
            path = self._reg_file_path(folder)
            result = self.in_wine(["wine", "reg", "export", key, self._wine_path(path), "/y"])
            if result.returncode != 0 or not os.path.exists(path):
                return {}
            with open(path, "rb") as f:
                raw = f.read()
            text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("latin-1")
            return parse_reg_export(text, key)
        finally:
            shutil.rmtree(folder, ignore_errors=True)

    def reg_get(self, name, key=DEFAULTS_KEY, default=None):
        return self.reg_values(key).get(name, default)

    def reg_set(self, name, value, key=DEFAULTS_KEY, kind=None):
        """Writes one value; int gives REG_DWORD, bytes REG_BINARY, str REG_SZ (or say `kind`)."""
        self.reg_update({name: value}, key, {name: kind} if kind else None)

    def reg_update(self, values, key=DEFAULTS_KEY, kinds=None):
        """Writes several values at once ({name: value}); a value None deletes that value."""
        kinds = kinds or {}
        full = key.replace("HKCU\\", "HKEY_CURRENT_USER\\", 1).replace("HKLM\\", "HKEY_LOCAL_MACHINE\\", 1)
        lines = ["Windows Registry Editor Version 5.00", "", "[%s]" % full]
        lines += [_reg_line(name, value, kinds.get(name)) for name, value in values.items()]
        self._reg_import("\r\n".join(lines + ["", ""]))

    def reg_delete(self, name=None, key=DEFAULTS_KEY):
        """Deletes one value, or (name None) the whole key with everything below it."""
        if name is not None:
            self.reg_update({name: None}, key)
            return
        result = self.in_wine(["wine", "reg", "delete", key, "/f"])
        if result.returncode != 0 and self.reg_key_exists(key):
            raise RuntimeError("reg delete %s failed: %s" % (key, result.stderr or result.stdout))

    def reg_key_exists(self, key):
        return self.in_wine(["wine", "reg", "query", key]).returncode == 0

    def reset_registry(self):
        """Removes HKCU\\Software\\Quodo: the next program starts with no stored settings."""
        self.reg_delete(key=PRODUCT_KEY)

    def _reg_import(self, text):
        folder = tempfile.mkdtemp(prefix="quodo-reg-")
        try:
            path = self._reg_file_path(folder)
            with open(path, "wb") as f:
                f.write(b"\xff\xfe" + text.encode("utf-16-le"))
            result = self.in_wine(["wine", "reg", "import", self._wine_path(path)])
            if result.returncode != 0:
                raise RuntimeError("reg import failed: %s" % (result.stderr or result.stdout))
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class Window:
    """A window of a program in the session, known by its handle; `info` is the last state read."""

    def __init__(self, session, info):
        self.session = session
        self.hwnd = info["hwnd"]
        self.info = info

    def __repr__(self):
        return "<Window %s %s %r>" % (self.hwnd, self.info.get("class"), self.info.get("text"))

    def refresh(self):
        self.info = self.session.auto_one("info", self.hwnd)
        return self.info

    @property
    def class_name(self):
        return self.info["class"]

    @property
    def pid(self):
        """The Windows process id of the window's program."""
        return self.info["pid"]

    @property
    def rect(self):
        return Rect(*self.refresh()["rect"])

    @property
    def client_rect(self):
        return Rect(*self.refresh()["client"])

    @property
    def visible(self):
        return self.refresh()["visible"]

    @property
    def topmost(self):
        return self.refresh()["topmost"]

    @property
    def text(self):
        """The caption (WM_GETTEXT)."""
        return self.refresh()["text"]

    def exists(self):
        try:
            self.refresh()
            return True
        except AutoError:
            return False

    def children(self):
        """Every descendant window, depth first: dicts with class, text, rect, visible, id, parent, depth."""
        return self.session.auto("children", self.hwnd)

    def child_texts(self, visible_only=True):
        return [c["text"] for c in self.children() if c["visible"] or not visible_only]

    def child(self, text=None, class_name=None, id=None):
        """The first descendant with the given text, class and/or control id (None if there is none)."""
        for c in self.children():
            if ((text is None or c["text"] == text) and (class_name is None or c["class"] == class_name)
                    and (id is None or c["id"] == id)):
                return Window(self.session, c)
        return None

    def _screen(self, dx, dy):
        r = self.rect
        return r.left + dx, r.top + dy

    def click(self, dx, dy, button="left", count=1):
        """Clicks at (dx, dy) relative to the window's top-left corner."""
        return self.session.click(*self._screen(dx, dy), button=button, count=count)

    def right_click(self, dx, dy):
        return self.click(dx, dy, "right")

    def drag_by(self, dx, dy, grab=(10, 10), steps=10):
        """Drags with the left button from `grab` (relative to the window) by (dx, dy)."""
        x, y = self._screen(*grab)
        return self.session.drag(x, y, x + dx, y + dy, steps=steps)

    def press(self, button_text):
        """Clicks a button (of class Button, at any depth below this window) by its text, '&' ignored."""
        return self.session.auto_one("press", self.hwnd, button_text)

    def command(self, id):
        """Posts WM_COMMAND with a menu or control id, as choosing that item would."""
        return self.session.auto_one("command", self.hwnd, id)

    def set_text(self, text):
        return self.session.auto_one("settext", self.hwnd, text)

    def focused(self):
        """The window that has the keyboard in this window's program: a dict as children() gives."""
        return self.session.auto_one("focus", self.hwnd)

    def foreground(self):
        return self.session.auto_one("foreground", self.hwnd)["foreground"]

    def close(self):
        """Posts WM_CLOSE."""
        return self.session.auto_one("close", self.hwnd)

    def wait_gone(self, timeout=10.0):
        self.session.wait_gone(self, timeout)

    def screenshot(self):
        """The window's rectangle of the screen, as an Image (pixel (0, 0) is its top-left corner)."""
        return self.session.screenshot(self.rect)


class MessageBox(Window):
    """A shown dialog box: `title`, `texts` (its static texts) and `buttons` (texts without '&')."""

    @property
    def title(self):
        return self.info["text"]

    @property
    def texts(self):
        return self.info["texts"]

    @property
    def buttons(self):
        return [b["text"] for b in self.info["buttons"]]

    def press(self, button_text):
        """Presses the button with this text (as a click would) and waits until the box is gone."""
        super().press(button_text)
        self.wait_gone()


class Program:
    """A Windows program started in the session (Session.launch)."""

    def __init__(self, session, command, env, cwd):
        self.session = session
        self.exe = command[0]
        self.windows_pid = None  # learnt from the first window found
        self._log_dir = tempfile.mkdtemp(prefix="quodo-run-")
        self._log_path = os.path.join(self._log_dir, "output.txt")
        self._log = open(self._log_path, "wb")
        # A process group of its own, so that stop() can end it with everything it started.
        self.popen = subprocess.Popen([os.path.join(session.root, "scripts", "in-wine")] + command,
                                      env=session._env(env), cwd=cwd, stdin=subprocess.DEVNULL,
                                      stdout=self._log, stderr=subprocess.STDOUT, start_new_session=True)

    @property
    def pid(self):
        """The Linux process id (in-wine hands over to the program itself: the same process)."""
        return self.popen.pid

    @property
    def running(self):
        return self.popen.poll() is None

    @property
    def exit_code(self):
        return self.popen.poll()

    def output(self):
        """What the program wrote to stdout and stderr so far (Wine's CRLF line ends made LF)."""
        self._log.flush()
        with open(self._log_path, "rb") as f:
            return f.read().decode("utf-8", errors="replace").replace("\r\n", "\n")

    def wait_window(self, class_name, timeout=10.0, title=None):
        """Waits for a visible top-level window of this program."""
        deadline = time.monotonic() + timeout
        while True:
            if not self.running:
                raise RuntimeError("%s ended (exit code %s) before showing a %s window:\n%s"
                                   % (os.path.basename(self.exe), self.exit_code, class_name, self.output()))
            for window in self.session.windows(class_name, title=title, visible=True):
                if self.windows_pid in (None, window.pid):
                    self.windows_pid = window.pid
                    return window
            if time.monotonic() >= deadline:
                raise TimeoutError("no %s window of %s after %.1f s" % (class_name, self.exe, timeout))
            time.sleep(0.05)

    def windows(self, visible=True):
        """This program's top-level windows: those of its process (known once wait_window found one),
        or else those of a process running its .exe."""
        windows = self.session.windows(visible=visible)
        if self.windows_pid is None:
            image = "z:" + os.path.abspath(self.exe).replace("/", "\\").lower()
            return [w for w in windows if w.info.get("image", "").lower() == image]
        return [w for w in windows if w.pid == self.windows_pid]

    def wait(self, timeout=10.0):
        """Waits for the program to end by itself: its exit code (TimeoutError if it does not)."""
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise TimeoutError("%s still runs after %.1f s" % (self.exe, timeout)) from None

    def stop(self, timeout=10.0):
        """Closes the program's windows, then kills it if it has not ended within `timeout` seconds.

        Returns the exit code (negative: killed by that signal)."""
        if self.running:
            closed = 0
            for window in self.windows(visible=True):
                try:
                    window.close()
                    closed += 1
                except AutoError:
                    pass  # closed meanwhile
            try:
                self.popen.wait(timeout if closed else 0)
            except subprocess.TimeoutExpired:
                self.kill()
        self._close_log()
        return self.popen.returncode

    def kill(self):
        """Ends the program and everything it started (its process group): TERM, then KILL."""
        for sig, grace in ((signal.SIGTERM, 3), (signal.SIGKILL, None)):
            try:
                os.killpg(self.popen.pid, sig)
            except ProcessLookupError:
                break
            try:
                self.popen.wait(grace)
            except subprocess.TimeoutExpired:
                pass
        self.popen.wait()

    def _close_log(self):
        if not self._log.closed:
            self._log.close()

    def __del__(self):
        try:
            self._close_log()
            shutil.rmtree(self._log_dir, ignore_errors=True)
        except Exception:
            pass


# ---- tests -------------------------------------------------------------------------------------

_shared = None


def shared_session():
    """The session all tests of this Python process share: QUODO_SESSION's, or a private one that
    is started now and stopped when Python exits."""
    global _shared
    if _shared is None:
        if os.environ.get("QUODO_SESSION"):
            _shared = Session()
        else:
            _shared = Session.start_new()
            atexit.register(_shared.stop)
    return _shared


class E2ETestCase(unittest.TestCase):
    """A test in the shared session, with the product's registry key emptied before each test."""

    session = None

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.session = shared_session()

    def setUp(self):
        super().setUp()
        self.session.reset_registry()

    def launch(self, exe, args=(), env=None, cwd=None, stop_timeout=10.0):
        """Starts a program that is stopped again when the test ends."""
        program = self.session.launch(exe, args, env, cwd)
        self.addCleanup(program.stop, stop_timeout)
        return program

    def make_folder(self):
        """An empty folder, removed when the test ends (e.g. a working folder for a program)."""
        folder = tempfile.mkdtemp(prefix="quodo-e2e-")
        self.addCleanup(shutil.rmtree, folder, True)
        return folder

    def save_screenshot(self, name):
        """Keeps a screenshot of the display in QUODO_E2E_ARTIFACTS (if set) for looking at later."""
        folder = os.environ.get("QUODO_E2E_ARTIFACTS")
        if folder:
            os.makedirs(folder, exist_ok=True)
            self.session.screenshot().save_png(os.path.join(folder, name + ".png"))


def main(argv):
    usage = "usage: quodo_e2e.py session start|stop | auto COMMAND [ARGUMENTS]"
    if len(argv) >= 2 and argv[0] == "session" and argv[1] in ("start", "stop"):
        name = os.environ.get("QUODO_SESSION")
        if not name:
            print("QUODO_SESSION must name the session", file=sys.stderr)
            return 2
        print(Session._session_script(argv[1], name, repository_root()), end="")
        return 0
    if len(argv) >= 2 and argv[0] == "auto":
        try:
            for line in Session().auto(*argv[1:]):
                print(json.dumps(line, ensure_ascii=False))
            return 0
        except AutoError as error:
            print(error, file=sys.stderr)
            return 1
    print(usage, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
