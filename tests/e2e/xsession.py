"""A private Xvfb (with xdotool, xwininfo and xwd) and a copy of the game run in
it from its own temporary directory, where Voltaro5.ini lands: its window,
keys, screenshots and clean-up, for the end-to-end tests and measurements."""

import os
import pathlib
import re
import select
import shutil
import struct
import subprocess
import tempfile
import time

CAPTION = "VOLTARO ZIP 5"
WIDTH, HEIGHT = 250, 400


class Failure(Exception):
    """A check that did not hold; the message says what was expected."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, probe, timeout=5.0, interval=0.03):
    """Polls probe() until it returns something true, and returns that."""
    deadline = time.monotonic() + timeout
    while not (value := probe()):
        check(time.monotonic() < deadline, f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)
    return value


class XServer:
    """Xvfb on a display number it picks itself (-displayfd)."""

    def __init__(self, screen="1024x768", wm=False):
        self.log = tempfile.TemporaryFile()  # a full pipe nobody reads would stop Xvfb
        self.wm = None
        read_end, write_end = os.pipe()
        # -noreset: else the server starts afresh whenever its last client leaves.
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{screen}x24", "-nolisten",
             "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_end)
        number = b""
        with open(read_end, "rb", buffering=0) as pipe:
            while not number.endswith(b"\n"):
                chunk = pipe.read(64) if select.select([pipe], [], [], 10)[0] else b""
                if not chunk:
                    self.process.kill()
                    self.log.seek(0)
                    raise Failure(f"Xvfb reported no display in 10 s: {self.log.read()[-300:]}")
                number += chunk
        self.display = ":" + number.decode().strip()
        if wm:
            self.start_window_manager()

    def start_window_manager(self):
        """openbox, with its own empty configuration; returns once it manages the screen."""
        self.wm_home = tempfile.mkdtemp(prefix="voltaro5-e2e-wm-")
        self.wm = subprocess.Popen(["openbox", "--sm-disable"], env=dict(self.env(), HOME=self.wm_home),
                                   stdout=subprocess.DEVNULL, stderr=self.log)
        wait_for("the window manager", lambda: "window id #" in self.run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check_status=False), 10.0, 0.05)

    def env(self):
        return dict(os.environ, DISPLAY=self.display, SDL_VIDEODRIVER="x11",
                    SDL_AUDIODRIVER="dummy")

    def run(self, *args, check_status=True):
        """Runs an X client on this display and returns its standard output."""
        result = subprocess.run(args, env=self.env(), capture_output=True, text=True, timeout=10)
        check(result.returncode == 0 or not check_status,
              f"{' '.join(args)} failed ({result.returncode}): {result.stderr.strip()}")
        return result.stdout

    def top_level_windows(self):
        """(id, caption, class hint: none on SDL's message boxes) of each; under a window
        manager, of the windows inside its frames."""
        tree = self.run("xwininfo", "-root", "-tree" if self.wm else "-children")
        pattern = r'^\s+(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): \((?:"([^"]*)")?'
        return [(int(m[1], 16), m[2], m[3]) for m in re.finditer(pattern, tree, re.M)]

    def is_viewable(self, window):
        return "IsViewable" in self.run("xwininfo", "-id", str(window), check_status=False)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.wm:
            self.wm.kill()
            self.wm.wait()
            shutil.rmtree(self.wm_home, ignore_errors=True)
        self.process.kill()
        self.process.wait()
        self.log.close()


def parse_xwd_any(data):
    """(width, height, RGB bytes) of an xwd dump of a window of Xvfb's 24-bit screen."""
    header = struct.unpack(">25I", data[:100])
    size, width, height, order, stride = (header[i] for i in (0, 4, 5, 7, 12))
    check(order == 0 and stride == 4 * width and header[14:17] == (0xFF0000, 0xFF00, 0xFF),
          f"screenshot in an unexpected format: {header}")
    pixels = data[size + 12 * header[19]:][:stride * height]
    rgb = bytearray(width * height * 3)
    for channel in range(3):  # stored B, G, R, unused
        rgb[channel::3] = pixels[2 - channel::4]
    return width, height, bytes(rgb)


def parse_xwd(data):
    """The RGB bytes of an xwd dump of the game's window at its 1:1 size."""
    width, height, rgb = parse_xwd_any(data)
    check((width, height) == (WIDTH, HEIGHT), f"screenshot is {width} x {height}")
    return rgb


def placement(width, height):
    """(scale, x, y) of the playfield in a client area, as the game places it."""
    scale = max(1, min(width // WIDTH, height // HEIGHT))
    return scale, int((width - WIDTH * scale) / 2), int((height - HEIGHT * scale) / 2)


FRAME_WIDTH, FRAME_RGB = 2, b"\x40\x40\x40"  # the dim frame round the playfield


def magnify(rgb, width, height):
    """A 1:1 playfield picture as the game shows it in a client area of that size:
    each pixel an N x N block, centred, black around, with the frame in the margin."""
    scale, x, y = placement(width, height)
    check(x >= 0 and y >= 0, f"{width} x {height} is smaller than the playfield")
    out = bytearray(3 * width * height)
    left, right = max(0, x - FRAME_WIDTH), min(width, x + WIDTH * scale + FRAME_WIDTH)
    for row in range(max(0, y - FRAME_WIDTH), min(height, y + HEIGHT * scale + FRAME_WIDTH)):
        out[3 * (row * width + left):3 * (row * width + right)] = FRAME_RGB * (right - left)
    for row in range(HEIGHT):
        line = rgb[3 * WIDTH * row:3 * WIDTH * (row + 1)]
        wide = b"".join(line[i:i + 3] * scale for i in range(0, len(line), 3))
        for top in range(y + row * scale, y + (row + 1) * scale):
            out[3 * (top * width + x):3 * (top * width + x) + len(wide)] = wide
    return bytes(out)


def playfield_of(width, height, rgb):
    """The 1:1 playfield in a magnified screenshot: each block's top-left pixel."""
    scale, x, y = placement(width, height)
    if x < 0 or y < 0:
        return b""  # a window caught in the middle of a change of size
    out = bytearray()
    for row in range(HEIGHT):
        start = 3 * ((y + row * scale) * width + x)
        line = rgb[start:start + 3 * WIDTH * scale]
        if scale == 1:
            out += line
        else:
            for i in range(WIDTH):
                out += line[3 * scale * i:3 * scale * i + 3]
    return bytes(out)


class Game:
    """A copy of a game executable in a fresh directory, started on `x`, with
    `ini` (text or bytes) as its Voltaro5.ini; "{dir}" in `args` is that directory.
    The game gets a HOME of its own (`home`), so that no record a player keeps in
    their data folder is seen. With `user` (a user id), it runs as that user, who
    owns the HOME but may not write the program's directory, as after an install."""

    def __init__(self, x, executable, ini=None, args=(), user=None):
        self.x = x
        self.dir = tempfile.mkdtemp(prefix="voltaro5-e2e-")
        self.home = tempfile.mkdtemp(prefix="voltaro5-e2e-home-")
        self.exe = os.path.join(self.dir, os.path.basename(executable))
        shutil.copy2(executable, self.exe)
        self.ini_path = pathlib.Path(self.dir, "Voltaro5.ini")
        if ini is not None:
            self.ini_path.write_bytes(ini.encode() if isinstance(ini, str) else ini)
        self.stderr = open(os.path.join(self.dir, "stderr.txt"), "wb")
        env = dict(x.env(), HOME=self.home)
        env.pop("XDG_DATA_HOME", None)
        command = [self.exe] + [a.format(dir=self.dir) for a in args]
        if user is not None:
            os.chmod(self.dir, 0o555)
            os.chown(self.home, user, user)
            command = ["setpriv", f"--reuid={user}", f"--regid={user}", "--clear-groups"] + command
        self.started = time.monotonic()
        # Started elsewhere: the high-score file must follow the program.
        self.process = subprocess.Popen(command, cwd="/", env=env, stdout=subprocess.DEVNULL,
                                        stderr=self.stderr)
        self.window = None

    def ini_bytes(self):
        return self.ini_path.read_bytes() if self.ini_path.exists() else None

    def stderr_text(self):
        return pathlib.Path(self.stderr.name).read_text(errors="replace")

    def alive(self):
        return self.process.poll() is None

    def find_window(self, timeout=5.0, caption=CAPTION):
        """Waits for the game's own window (not a message box) to be shown."""
        def probe():
            check(self.alive(), f"the game ended with status {self.process.returncode} before "
                                f"its window appeared: {self.stderr_text()}")
            return next((id for id, name, program in self.x.top_level_windows()
                         if name == caption and program and self.x.is_viewable(id)), None)
        self.window = wait_for("the game's window", probe, timeout)
        return self.window

    def focus(self, window=None):
        self.x.run("xdotool", "windowfocus", "--sync", str(window or self.window))

    def key(self, name, window=None):
        self.focus(window)
        self.x.run("xdotool", "key", name)

    def screenshot(self):
        """The window's client area as RGB bytes."""
        return parse_xwd(self.xwd())

    def xwd(self):
        return subprocess.run(["xwd", "-silent", "-id", str(self.window)], check=True,
                              env=self.x.env(), capture_output=True, timeout=10).stdout

    def full_screenshot(self):
        """(width, height, RGB bytes) of the client area at whatever size it has."""
        return parse_xwd_any(self.xwd())

    def playfield_screenshot(self):
        """The playfield at 1:1 taken from the client area at any size."""
        return playfield_of(*self.full_screenshot())

    def save(self, rgb, name, width=WIDTH, height=HEIGHT):
        """Keeps a picture beside the game to look at after a failure."""
        path = os.path.join(self.dir, f"{name}.ppm")
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (width, height) + rgb)
        return path

    def wait_exit(self, timeout=5.0):
        wait_for("the game to end", lambda: not self.alive(), timeout, 0.02)
        return self.process.returncode

    def __enter__(self):
        return self

    def __exit__(self, exc_type, *exc):
        self.process.kill()
        self.process.wait()
        self.stderr.close()
        if exc_type is not None:
            print(f"kept the game's directory to look at: {self.dir} (HOME {self.home})")
        else:
            shutil.rmtree(self.dir, ignore_errors=True)
            shutil.rmtree(self.home, ignore_errors=True)
