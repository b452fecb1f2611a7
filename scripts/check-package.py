#!/usr/bin/env python3
"""Checks the Debian package of the game: its control data and contents
(dpkg-deb --info/--contents), lintian (no errors; warnings are listed), and
with --install (root only) that apt-get installs it, that the menu entry's Exec
line starts the game for an unprivileged player, and that apt-get remove leaves
nothing behind. Usage: check-package.py DEB [--install]"""

import argparse
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.dont_write_bytecode = True
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from xsession import CAPTION, Failure, XServer, check, wait_for  # noqa

APP_ID = "io.github.voltaro5.Voltaro5"
EXPECTED = (["./usr/games/voltaro5", "./usr/games/voltaro5-sim",
             f"./usr/share/applications/{APP_ID}.desktop",
             f"./usr/share/metainfo/{APP_ID}.metainfo.xml",
             "./usr/share/man/man6/voltaro5.6.gz", "./usr/share/man/man6/voltaro5-sim.6.gz",
             "./usr/share/doc/voltaro5/README.md", "./usr/share/doc/voltaro5/copyright",
             "./usr/share/doc/voltaro5/changelog.gz"]
            + [f"./usr/share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png"
               for n in (16, 32, 48, 64, 128, 256)])
APT = ["apt-get", "-o", "DPkg::Lock::Timeout=900", "-y", "-q"]
PLAYER = 65534
PLAYER_PATH = "/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games"  # Debian's default


def run(*command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, timeout=900, **kwargs)
    check(result.returncode == 0, f"{' '.join(command)} failed ({result.returncode}):\n"
                                  f"{result.stdout}{result.stderr}")
    return result.stdout


def check_archive(deb):
    info = run("dpkg-deb", "--info", deb)
    print(info, end="")
    members = re.findall(r"^\s+\d+ bytes,\s+\d+ lines\s+\*?\s*(\S+)", info, re.M)
    # The icon cache, the menu and the manual index follow by dpkg triggers.
    check(sorted(members) == ["control", "md5sums"], f"control members {members}")
    depends = run("dpkg-deb", "--field", deb, "Depends")
    check("libsdl2-2.0-0" in depends and "-dev" not in depends, f"Depends: {depends}")
    files = [line.split()[5] for line in run("dpkg-deb", "--contents", deb).splitlines()
             if not line.startswith("d")]
    check(sorted(files) == sorted(EXPECTED), f"the package holds {sorted(files)}")
    print("\n".join(files))


def check_lintian(deb):
    result = subprocess.run(["lintian", "--fail-on", "error", "--display-info", deb],
                            capture_output=True, text=True, timeout=900)
    print(result.stdout + result.stderr, end="")
    check(result.returncode == 0, "lintian found errors")


def check_install(deb):
    check(os.geteuid() == 0, "--install needs root")
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "voltaro5"],
                            capture_output=True, text=True).stdout
    check("installed" not in status.split()[-1:], "voltaro5 is installed already: not touching it")
    run(*APT, "install", "--no-install-recommends", str(pathlib.Path(deb).resolve()))
    try:
        installed = run("dpkg", "-L", "voltaro5").split()
        entry = pathlib.Path(f"/usr/share/applications/{APP_ID}.desktop").read_text()
        exec_line = re.search(r"^Exec=(.*)$", entry, re.M)[1]
        command = [word for word in exec_line.split() if not re.fullmatch("%[a-zA-Z]", word)]
        start_from_menu(command)
    finally:
        run(*APT, "remove", "voltaro5")
    left = [path for path in installed if os.path.lexists(path) and not os.path.isdir(path)]
    left += [path for path in installed if "voltaro5" in path and os.path.lexists(path)]
    check(not left, f"left behind after apt-get remove: {left}")
    status = subprocess.run(["dpkg-query", "-W", "-f=${Status}", "voltaro5"],
                            capture_output=True, text=True).stdout
    check(not status.endswith(" installed") and "config-files" not in status, f"dpkg: {status}")


def start_from_menu(command):
    """The Exec line, run as a player with their own HOME, opens the game's window."""
    home = tempfile.mkdtemp(prefix="voltaro5-package-home-")
    os.chown(home, PLAYER, PLAYER)
    try:
        with XServer() as x:
            env = dict(x.env(), HOME=home, PATH=PLAYER_PATH)
            errors = tempfile.TemporaryFile()
            game = subprocess.Popen(["setpriv", f"--reuid={PLAYER}", f"--regid={PLAYER}",
                                     "--clear-groups", *command], cwd="/", env=env,
                                    stdout=subprocess.DEVNULL, stderr=errors)
            try:
                def window():
                    if game.poll() is not None:
                        errors.seek(0)
                        raise Failure(f"{command} ended with status {game.returncode}: "
                                      f"{errors.read()!r}")
                    return any(name == CAPTION and x.is_viewable(id)
                               for id, name, _ in x.top_level_windows())
                wait_for(f"the window of {command}", window, 10.0, 0.1)
                print(f"the menu entry's Exec line {command} opened the game's window")
            finally:
                game.kill()
                game.wait()
    finally:
        shutil.rmtree(home)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("deb")
    parser.add_argument("--install", action="store_true")
    args = parser.parse_args()
    try:
        check_archive(args.deb)
        check_lintian(args.deb)
        if args.install:
            check_install(args.deb)
    except Failure as failure:
        print(f"FAIL {args.deb}: {failure}")
        return 1
    print(f"PASS {args.deb}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
