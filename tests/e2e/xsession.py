"""A private X server with the game running in it, for the end-to-end tests
and the measurements: starts Xvfb on a free display, runs a copy of a game
executable in its own temporary directory (so Voltaro5.ini lands there),
finds its window, sends keys, takes screenshots, and always cleans up.

Only the standard library, plus the programs Xvfb, xdotool, xwininfo and xwd.
"""

import collections
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time

CAPTION = "VOLTARO ZIP 5"
WIDTH, HEIGHT = 250, 400
INI_NAME = "Voltaro5.ini"


class Failure(Exception):
    """A check that did not hold; the message says what was expected."""


def wait_for(what, probe, timeout=5.0, interval=0.03):
    """Polls probe() until it returns something true, and returns that.
    Raises Failure naming `what` when the time runs out."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:.1f} s waiting for {what}")
        time.sleep(interval)


def check(condition, message):
    if not condition:
        raise Failure(message)


# A top-level window: its id, caption, the program named in its class hint
# (empty for SDL's message boxes, which carry none) and its size.
TopWindow = collections.namedtuple("TopWindow", "id name program width height")


class XServer:
    """Xvfb on a display number it picks itself (-displayfd)."""

    def __init__(self, extra_args=()):
        # The server's messages go to a file: a pipe nobody reads would stop
        # the server once full.
        self.log = tempfile.TemporaryFile()
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            # -noreset: the server would otherwise start afresh whenever its
            # last client leaves, dropping whoever connects in that moment.
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset", *extra_args],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_end)
        try:
            number = b""
            deadline = time.monotonic() + 10
            while not number.endswith(b"\n"):
                left = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(0.0, left))
                if not ready:
                    raise Failure("Xvfb did not report its display within 10 s")
                chunk = os.read(read_end, 64)
                if not chunk:
                    self.process.wait()
                    self.log.seek(0)
                    err = self.log.read().decode(errors="replace")
                    raise Failure(f"Xvfb ended before reporting its display: {err[-500:]}")
                number += chunk
        except BaseException:
            self.stop()
            raise
        finally:
            os.close(read_end)
        self.display = ":" + number.decode().strip()

    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env["SDL_VIDEODRIVER"] = "x11"
        env["SDL_AUDIODRIVER"] = "dummy"
        return env

    def run(self, *args, check_status=True):
        """Runs an X client on this display and returns its standard output."""
        result = subprocess.run(args, env=self.env(), capture_output=True, text=True,
                                timeout=10)
        if check_status and result.returncode != 0:
            raise Failure(f"{' '.join(args)} failed ({result.returncode}): "
                          f"{result.stderr.strip()}")
        return result.stdout

    def top_level_windows(self):
        """Every child of the root window as a TopWindow."""
        tree = self.run("xwininfo", "-root", "-children")
        windows = []
        pattern = re.compile(r'^\s+(0x[0-9a-f]+) (?:"([^"]*)"|\(has no name\)): '
                             r'\((?:"([^"]*)")?.*?\)\s+(\d+)x(\d+)[+-]', re.M)
        for match in pattern.finditer(tree):
            windows.append(TopWindow(int(match.group(1), 16), match.group(2) or "",
                                     match.group(3) or "", int(match.group(4)),
                                     int(match.group(5))))
        return windows

    def is_viewable(self, window):
        info = self.run("xwininfo", "-id", str(window), check_status=False)
        return "Map State: IsViewable" in info

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(timeout=3)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


def parse_xwd(data):
    """The (width, height, RGB bytes) of an xwd dump of a 24- or 32-bit window."""
    header = struct.unpack(">25I", data[:100])
    (header_size, _version, _format, _depth, width, height, _xoffset, byte_order,
     _unit, _bit_order, _pad, bits_per_pixel, bytes_per_line, _visual_class,
     red_mask, green_mask, blue_mask, _bits_rgb, _entries, ncolors) = header[:20]
    # xwd writes 24 in this field for some windows whose rows still hold 4
    # bytes a pixel: the row length tells.
    stride = 4 if bytes_per_line >= 4 * width else 3
    if bits_per_pixel not in (24, 32):
        raise Failure(f"screenshot has {bits_per_pixel} bits per pixel, expected 24 or 32")
    start = header_size + 12 * ncolors
    pixels = data[start:start + bytes_per_line * height]
    if len(pixels) < bytes_per_line * height:
        raise Failure("screenshot is cut short")
    if bytes_per_line != width * stride:
        pixels = b"".join(pixels[y * bytes_per_line:y * bytes_per_line + width * stride]
                          for y in range(height))
    rgb = bytearray(width * height * 3)
    for channel, mask in enumerate((red_mask, green_mask, blue_mask)):
        bits = (mask & -mask).bit_length() - 1
        if mask != 0xFF << bits or bits % 8:
            raise Failure(f"screenshot has an unexpected colour mask {mask:#x}")
        index = bits // 8 if byte_order == 0 else stride - 1 - bits // 8
        rgb[channel::3] = pixels[index::stride]
    return width, height, bytes(rgb)


def read_ppm(path):
    """The (width, height, RGB bytes) of a binary PPM."""
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise Failure(f"{path}: not a binary PPM with 8-bit channels")
    return int(fields[1]), int(fields[2]), data[pos + 1:]


def write_ppm(path, width, height, rgb):
    with open(path, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height) + rgb)


class Game:
    """A copy of a game executable in a fresh directory, started on `xserver`.
    `ini` is the text of a Voltaro5.ini to put beside it, or None for none;
    "{dir}" in `args` stands for that directory."""

    def __init__(self, xserver, executable, ini=None, stdin=None, args=(),
                 keep_on_failure=True):
        self.x = xserver
        self.dir = tempfile.mkdtemp(prefix="voltaro5-e2e-")
        self.keep_on_failure = keep_on_failure
        self.exe = os.path.join(self.dir, os.path.basename(executable))
        shutil.copy2(executable, self.exe)
        if ini is not None:
            with open(self.ini_path, "wb") as f:
                f.write(ini.encode() if isinstance(ini, str) else ini)
        self.stdout = open(os.path.join(self.dir, "stdout.txt"), "wb")
        self.stderr = open(os.path.join(self.dir, "stderr.txt"), "wb")
        self.started = time.monotonic()
        # Started from another directory: the high-score file must follow the
        # program, not the working directory.
        command = [self.exe] + [arg.format(dir=self.dir) for arg in args]
        self.process = subprocess.Popen(command, cwd="/", env=xserver.env(),
                                        stdin=stdin, stdout=self.stdout,
                                        stderr=self.stderr)
        self.window = None
        self.shots = 0

    @property
    def ini_path(self):
        return os.path.join(self.dir, INI_NAME)

    def ini_bytes(self):
        try:
            with open(self.ini_path, "rb") as f:
                return f.read()
        except FileNotFoundError:
            return None

    def stderr_text(self):
        self.stderr.flush()
        with open(os.path.join(self.dir, "stderr.txt"), "rb") as f:
            return f.read().decode(errors="replace")

    def alive(self):
        return self.process.poll() is None

    def find_window(self, timeout=5.0):
        """Waits until the game's window is on the screen and returns its id."""
        def probe():
            if not self.alive():
                raise Failure(f"the game ended with status {self.process.returncode} "
                              f"before its window appeared: {self.stderr_text()}")
            for window in self.x.top_level_windows():
                # The program's own window, not a message box it shows.
                if (window.name == CAPTION and window.program and
                        self.x.is_viewable(window.id)):
                    return window.id
            return None
        try:
            self.window = wait_for("the game's window", probe, timeout)
        except Failure as failure:
            raise Failure(f"{failure}; the game's stderr: {self.stderr_text()!r}")
        return self.window

    def focus(self, window=None):
        self.x.run("xdotool", "windowfocus", "--sync", str(window or self.window))

    def key(self, name, window=None):
        self.focus(window)
        self.x.run("xdotool", "key", name)

    def screenshot(self):
        """The window's client area as RGB bytes, WIDTH x HEIGHT."""
        result = subprocess.run(["xwd", "-silent", "-id", str(self.window)],
                                env=self.x.env(), capture_output=True, timeout=10)
        if result.returncode != 0:
            raise Failure(f"xwd failed: {result.stderr.decode(errors='replace').strip()}")
        width, height, rgb = parse_xwd(result.stdout)
        check((width, height) == (WIDTH, HEIGHT),
              f"screenshot is {width} x {height}, expected {WIDTH} x {HEIGHT}")
        return rgb

    def save(self, rgb, name):
        """Keeps a picture beside the game for looking at after a failure."""
        self.shots += 1
        path = os.path.join(self.dir, f"{self.shots:02d}-{name}.ppm")
        write_ppm(path, WIDTH, HEIGHT, rgb)
        return path

    def wait_exit(self, timeout=5.0):
        wait_for("the game to end", lambda: not self.alive(), timeout, 0.02)
        return self.process.returncode

    def stop(self, failed=False):
        if self.alive():
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        self.stdout.close()
        self.stderr.close()
        if failed and self.keep_on_failure:
            print(f"kept the game's directory to look at: {self.dir}")
        else:
            shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, exc_type, *exc):
        self.stop(failed=exc_type is not None)
