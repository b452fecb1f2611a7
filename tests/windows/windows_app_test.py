#!/usr/bin/env python3
"""The Windows packages under wine on Xvfb, with the end-to-end tests' helpers
(tests/e2e): the game from the portable zip, and the installer. Skipped
(77) without a Windows build unless VOLTARO5_REQUIRE_WINDOWS is set. Usage:
windows_app_test.py WINDOWS_BUILD LINUX_SIM voltaro5-e2e-frames voltaro5-e2e-x CASE"""

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

WINE = HERE / "run_under_wine.sh"
SKIP = 77


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
        archive.extractall(work)
    return work / "voltaro5"


def case_portable_game(args, x, pictures):
    """From the zip: --help on standard output, or in a box without a console;
    the Linux title pixel for pixel; Enter plays a game to its end; its record
    and replay beside voltaro5.exe, which replays on Linux to the same score;
    closing the window ends the program."""
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


def case_installer(args, x, pictures):
    """setup.exe /S /D= installs the game, shortcut, uninstaller and entry in the
    installed apps; uninstall.exe /S takes them away and leaves the record."""
    wine = Wine(args.build, x)
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


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    build, sim, frames, x_client, case = sys.argv[1:]
    run_case, build = globals()["case_" + case], pathlib.Path(build).resolve()
    if not list(build.glob("voltaro5-*-win64-setup.exe")):
        message = f"no Windows packages in {build}: run `make windows`"
        if os.environ.get("VOLTARO5_REQUIRE_WINDOWS"):
            sys.exit(message)
        print(message + " (skipped)")
        return SKIP
    work = pathlib.Path(tempfile.mkdtemp(prefix="voltaro5-windows-app-"))
    args = type("Args", (), dict(build=build, sim=sim, x_client=x_client, work=work))
    pictures = e2e_test.Pictures(frames)
    try:
        with XServer() as x:
            run_case(args, x, pictures)
    except Failure as failure:
        print(f"FAIL {case}: {failure} (files kept in {work})")
        return 1
    shutil.rmtree(work)
    shutil.rmtree(pictures.dir, ignore_errors=True)
    print(f"PASS {case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
