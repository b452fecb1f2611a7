#!/usr/bin/env python3
"""The Windows build (build-win/, `make windows`) checked from the Linux build:
its own tests under wine; its simulator under wine against the Linux
simulator, byte for byte (the same rules give the same trace on both
systems); and its packages under wine on Xvfb with the end-to-end tests'
helpers (tests/e2e): the game from the portable zip, and the installer.

Usage: windows_test.py WINDOWS_BUILD LINUX_SIM voltaro5-e2e-frames
voltaro5-e2e-x CASE; ctest runs each case on its own. Without a Windows build
a case is skipped (status 77), unless VOLTARO5_REQUIRE_WINDOWS is set (`make
test` sets it): then it fails."""

import filecmp
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

sys.dont_write_bytecode = True
HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
import e2e_test  # noqa: E402
from xsession import Failure, Game, XServer, check, wait_for  # noqa: E402

REPLAYS = HERE.parent / "replays"
WINE = HERE / "run_under_wine.sh"
SKIP = 77


class Sims:
    """The two simulators, run alike: the Windows one through the wine wrapper."""

    def __init__(self, windows_build, linux_sim, work):
        self.build = windows_build
        self.linux = [str(linux_sim)]
        self.windows = [str(WINE), str(windows_build / "wine"),
                        str(windows_build / "voltaro5-sim.exe")]
        self.work = work

    def run(self, which, args, stdin=None, status=0):
        """Runs one simulator ("linux" or "windows"); returns the file that
        holds its standard output, and its standard error."""
        out = self.work / f"{which}-{len(list(self.work.iterdir()))}.out"
        with open(out, "wb") as trace:
            done = subprocess.run(getattr(self, which) + args, input=stdin, stdout=trace,
                                  stderr=subprocess.PIPE, timeout=300)
        err = done.stderr.decode(errors="replace")
        check(done.returncode == status, f"{which} {args}: status {done.returncode}: {err}")
        return out, err

    def same(self, args, stdin=None, text=False):
        """Runs both and checks that their standard output is the same bytes
        (`text`: the same lines, which end in CR LF on Windows); returns the
        Linux run's stderr (its summary line)."""
        linux, err = self.run("linux", args, stdin)
        windows, _ = self.run("windows", args, stdin)
        if text:
            windows.write_bytes(windows.read_bytes().replace(b"\r\n", b"\n"))
        same_bytes(linux, windows, " ".join(args))
        return err


def same_bytes(linux, windows, what):
    check(linux.stat().st_size > 0, f"{what}: no output at all")
    if filecmp.cmp(linux, windows, shallow=False):
        return
    a, b = linux.read_bytes(), windows.read_bytes()
    lines_a, lines_b = a.split(b"\n"), b.split(b"\n")
    first = next((i for i, (x, y) in enumerate(zip(lines_a, lines_b)) if x != y),
                 min(len(lines_a), len(lines_b)))
    shown = [repr(lines[first:first + 1])[:300] for lines in (lines_a, lines_b)]
    raise Failure(f"{what}: Windows differs from Linux at line {first + 1} "
                         f"({len(a)} and {len(b)} bytes):\n  linux:   {shown[0]}"
                         f"\n  windows: {shown[1]}")


def frames_of(summary):
    found = re.search(r"games \d+, frames (\d+),", summary)
    check(found, f"no summary line: {summary}")
    return int(found.group(1))


def case_unit_tests(ctx):
    sims = ctx.sims
    """The Windows build's own tests (gtest under wine, and the guard that a
    host program given to wine is refused), through its ctest."""
    # A test that wine leaves hanging (seen once: a 65 ms test held for two
    # minutes on a new prefix) runs once more; a failure never does.
    done = subprocess.run(["ctest", "--test-dir", str(sims.build), "--output-on-failure",
                           "--no-tests=error", "-j", "2", "--timeout", "120",
                           "--repeat", "after-timeout:2"],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=500)
    out = done.stdout.decode(errors="replace")
    print(out[-3000:])
    check(done.returncode == 0, "the Windows build's tests failed")
    ran = re.search(r"tests passed, 0 tests failed out of (\d+)", out)
    # Nearly a hundred tests build for Windows (those with a temporary folder
    # or POSIX calls of their own do not): far fewer means they were lost.
    check(ran and int(ran.group(1)) >= 80, "fewer than 80 tests ran")


def case_traces(ctx):
    sims = ctx.sims
    """Pilot and random players, five runs, well over 10^5 frames together;
    one trace goes to a file rather than standard output."""
    runs = [["--seed", "1", "--pilot", "1", "--games", "12", "--max-frames", "30000"],
            ["--seed", "1001", "--bot", "1", "--games", "30", "--max-frames", "20000"],
            ["--seed", "9", "--pilot", "9", "--bot", "4", "--games", "10"],
            ["--seed", "18446744073709551615", "--pilot", "2", "--games", "3"]]
    frames = sum(frames_of(sims.same(args + ["--trace", "-"])) for args in runs)
    files = [sims.work / f"{which}.trace" for which in ("linux", "windows")]
    args = ["--seed", "5", "--bot", "5", "--games", "20", "--trace"]
    frames += frames_of(sims.run("linux", args + [str(files[0])])[1])
    sims.run("windows", args + [str(files[1])])
    same_bytes(*files, "--trace FILE")
    check(frames >= 100000, f"only {frames} frames compared")


def case_key_script_on_standard_input(ctx):
    sims = ctx.sims
    """--input - reads the script from standard input, every byte of it: the
    script's CR LF line ends and a Ctrl-Z in a comment (where a Windows text
    stream would end) change nothing."""
    script = (b"5 down 39\r\n30 up 39\r\n# \x1a the script goes on\r\n40 down 38\r\n"
              b"41 up 38\r\n60 down 90\r\n95 up 90\r\n")
    args = ["--seed", "3", "--max-frames", "400", "--trace", "-"]
    path = sims.work / "keys.txt"
    path.write_bytes(script)
    from_file, _ = sims.run("linux", args + ["--input", str(path)])
    from_stdin, _ = sims.run("windows", args + ["--input", "-"], stdin=script)
    same_bytes(from_file, from_stdin, "--input FILE and --input -")
    check(from_file.read_bytes() != sims.run("linux", args)[0].read_bytes(), "keys changed nothing")
    # Standard input on Linux too, where a bad line is named as on Windows.
    for which in ("linux", "windows"):
        _, err = sims.run(which, ["--input", "-"], stdin=b"1 sideways 39\n", status=2)
        check("standard input:1: 'sideways' is neither" in err, f"{which}: {err}")


def case_replays(ctx):
    sims = ctx.sims
    """Every recorded game replays under wine as recorded (status 0), with
    the same outcome line and trace as on Linux."""
    replays = sorted(REPLAYS.glob("*.v5replay"))
    check(replays, f"no replays in {REPLAYS}")
    for replay in replays:
        sims.same(["--replay", str(replay)], text=True)
        sims.same(["--replay", str(replay), "--trace", "-"])


class Wine:
    """Windows programs in a wine prefix kept in the build folder, shown on `x`."""

    def __init__(self, build, x):
        self.prefix = build / "wine-app"
        self.drive_c = self.prefix / "drive_c"
        # SDL's own Windows video, not the X11 driver the Linux game is given.
        self.env = dict(x.env(), WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                        SDL_VIDEODRIVER="windows")

    def command(self, exe, *args):
        return [str(WINE), str(self.prefix), str(exe), *args]

    def run(self, exe, *args):
        done = subprocess.run(self.command(exe, *args), env=self.env, capture_output=True,
                              timeout=120)
        return done.returncode, done.stdout.decode(errors="replace")

    def stop(self):
        subprocess.run(["/usr/lib/wine/wineserver", "-k"], env=self.env, timeout=30)


class WineGame(Game):
    """The tests' Game with voltaro5.exe run through wine in the unpacked zip."""

    def __init__(self, x, wine, folder):
        self.x, self.dir, self.home = x, str(folder), tempfile.mkdtemp()
        self.ini_path = folder / "Voltaro5.ini"
        self.stderr = open(folder.parent / "stderr.txt", "wb")
        self.started = time.monotonic()
        self.process = subprocess.Popen(wine.command(folder / "voltaro5.exe"), env=wine.env,
                                        stdout=subprocess.DEVNULL, stderr=self.stderr)
        self.window = None


def unpack_zip(build, work):
    zips = list(build.glob("voltaro5-*-win64.zip"))
    check(len(zips) == 1, f"not one portable zip in {build}: {zips}")
    with zipfile.ZipFile(zips[0]) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        check(names == [f"voltaro5/{n}" for n in ("LICENSE.txt", "README.txt", "voltaro5-sim.exe",
                                                   "voltaro5.exe")], f"the zip holds {names}")
        for text in ("voltaro5/LICENSE.txt", "voltaro5/README.txt"):
            data = archive.read(text)
            check(data.count(b"\n") == data.count(b"\r\n") > 10, f"{text} has lines not in CR LF")
        readme = archive.read("voltaro5/README.txt")
        check(b"## Controls" in readme and b"## Building by hand" not in readme,
              "README.txt is not the player's part of README.md")
        archive.extractall(work)
    return work / "voltaro5"


def case_portable_game(args):
    """From the zip: --help on standard output, or in a box without a console;
    the Linux title pixel for pixel; Enter plays a game to its end; its record
    and replay beside voltaro5.exe, which replays on Linux to the same score;
    closing the window ends the program."""
    x, pictures = args.x, args.pictures
    folder = unpack_zip(args.build, args.work)
    wine = Wine(args.build, x)
    status, out = wine.run(folder / "voltaro5.exe", "--help")
    check(status == 0 and "\\voltaro5\\Voltaro5.ini" in out, f"--help: {status} {out[-300:]}")
    # Started as a double-click starts it, with no console: --help in a box.
    start = subprocess.Popen(wine.command(wine.drive_c / "windows/system32/start.exe", "/unix",
                                          str(folder / "voltaro5.exe"), "--help"),
                             env=wine.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL)
    box = wait_for("the help's message box", lambda: next(
        (id for id, name, _ in x.top_level_windows() if name == "VOLTARO ZIP 5"), None), 20.0)
    x.run(args.x_client, "close", str(box))
    wait_for("the help's box to go", lambda: not any(
        name == "VOLTARO ZIP 5" for _, name, _ in x.top_level_windows()), 10.0)
    start.wait(10)
    with WineGame(x, wine, folder) as game:
        game.find_window(30.0)  # a new wine prefix takes its time
        shots = [e2e_test.start_play(game, pictures, 0)]
        score, new_record = e2e_test.wait_game_over(game, pictures, shots)
        check(score > 0 and new_record, f"game over with {score}, new record {new_record}")
        check(game.ini_bytes().decode().splitlines() == e2e_test.INI.format(score).splitlines(),
              f"Voltaro5.ini holds {game.ini_bytes()!r}")
        replayed = subprocess.run([args.sim, "--replay", str(folder / "last.v5replay")],
                                  capture_output=True, text=True, timeout=60)
        check(replayed.returncode == 0 and re.search(rf"\bscore {score}\b", replayed.stdout),
              f"the replay on Linux: {replayed.returncode} {replayed.stdout} {replayed.stderr}")
        x.run(args.x_client, "close", str(game.window))
        check(game.wait_exit(5.0) == 0, f"closing gave status {game.process.returncode}")
    wine.stop()


def case_installer(args):
    """setup.exe /S /D= installs the game, shortcut, uninstaller and entry in the
    installed apps; uninstall.exe /S takes them away and leaves the record."""
    wine = Wine(args.build, args.x)
    setup = next(args.build.glob("voltaro5-*-win64-setup.exe"))
    # wine quotes an argument with a blank, and NSIS takes /D= unquoted only.
    target = wine.drive_c / "Spiele" / "Jöran"
    shutil.rmtree(target, ignore_errors=True)
    check(wine.run(setup, "/S", r"/D=C:\Spiele\Jöran")[0] == 0, "the installer failed")
    installed = sorted(p.name for p in target.iterdir())
    check(installed == ["LICENSE.txt", "README.txt", "uninstall.exe", "voltaro5-sim.exe",
                        "voltaro5.exe"], f"installed: {installed}")
    menu = "users/*/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/VOLTARO ZIP 5.lnk"
    shortcut = next(wine.drive_c.glob(menu), None)
    check(shortcut, "no shortcut in the Start menu")
    key = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\voltaro5"
    entry = lambda: wine.run(wine.drive_c / "windows/system32/reg.exe", "query", key)  # noqa
    check("VOLTARO ZIP 5" in entry()[1], "no entry in the installed apps")
    (target / "Voltaro5.ini").write_bytes(b"[VOLTARO ZIP 5]\r\nHighScore=99\r\n")
    check(wine.run(target / "uninstall.exe", "/S")[0] == 0, "the uninstaller failed")
    # It goes on from a copy of itself after it returns.
    wait_for("the uninstaller to finish", lambda: not (target / "voltaro5.exe").exists()
             and not shortcut.exists(), 20.0, 0.2)
    check(sorted(p.name for p in target.iterdir()) == ["Voltaro5.ini"], "more than the record left")
    check(entry()[0] != 0, "the entry in the installed apps stayed")
    wine.stop()


# The cases that need a window, run on an X server of their own.
WINDOWED = ("portable_game", "installer")


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    build, sim, frames, x_client, case = sys.argv[1:]
    run_case, build = globals().get("case_" + case), pathlib.Path(build).resolve()
    if run_case is None:
        sys.exit(f"windows_test.py: no case named {case!r}")
    if not list(build.glob("voltaro5-*-win64-setup.exe")):
        message = f"no Windows build with its packages in {build}: run `make windows`"
        if os.environ.get("VOLTARO5_REQUIRE_WINDOWS"):
            sys.exit(message)
        print(message + " (skipped)")
        return SKIP
    work = pathlib.Path(tempfile.mkdtemp(prefix="voltaro5-windows-"))
    args = type("Args", (), dict(build=build, sim=sim, x_client=x_client, work=work,
                                 sims=Sims(build, sim, work)))
    try:
        if case in WINDOWED:
            args.pictures = e2e_test.Pictures(frames)
            with XServer() as args.x:
                run_case(args)
            shutil.rmtree(args.pictures.dir, ignore_errors=True)
        else:
            run_case(args)
    except Failure as failure:
        print(f"FAIL {case}: {failure} (files kept in {work})")
        return 1
    shutil.rmtree(work)
    print(f"PASS {case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
