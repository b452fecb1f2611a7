#!/usr/bin/env python3
"""Checks the installed game, as `cmake --install` lays it out (--tree, run by
`make test`) or as the Debian package holds it (DEB, run by CI): exactly the
expected files, the menu entry, the metadata, the icons, the manual pages and
the installed program's command line. For the package also its control data
and lintian (no errors; warnings are listed), and with --install (root only)
that apt-get installs it, that the menu entry's Exec line starts the game for
an unprivileged player, and that apt-get remove leaves nothing behind.
Usage: check-package.py --tree BUILD_DIR VERSION | check-package.py DEB [--install]"""

import argparse
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.dont_write_bytecode = True
sys.path.insert(0, str(ROOT / "tests" / "e2e"))
from xsession import CAPTION, Failure, XServer, check, wait_for  # noqa

APP_ID = "io.github.voltaro5.Voltaro5"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
APT = ["apt-get", "-o", "DPkg::Lock::Timeout=900", "-y", "-q"]
PLAYER = 65534
PLAYER_PATH = "/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games"  # Debian's default


def expected_files(bin_dir, man_suffix):
    return sorted([f"{bin_dir}/voltaro5", f"{bin_dir}/voltaro5-sim",
                   f"share/applications/{APP_ID}.desktop", f"share/metainfo/{APP_ID}.metainfo.xml",
                   f"share/man/man6/voltaro5.6{man_suffix}",
                   f"share/man/man6/voltaro5-sim.6{man_suffix}",
                   "share/doc/voltaro5/README.md", "share/doc/voltaro5/copyright",
                   "share/doc/voltaro5/changelog.gz"]
                  + [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES])


def run(*command, status=0, **kwargs):
    command = [str(word) for word in command]
    result = subprocess.run(command, capture_output=True, text=True, timeout=900, **kwargs)
    check(status is None or result.returncode == status,
          f"{' '.join(command)}: status {result.returncode}:\n{result.stdout}{result.stderr}")
    return result


def check_tree(prefix, bin_dir, man_suffix, version):
    """The installed files under `prefix`: exactly the expected ones, each valid."""
    found = sorted(os.path.relpath(os.path.join(d, f), prefix)
                   for d, _, files in os.walk(prefix) for f in files)
    check(found == expected_files(bin_dir, man_suffix), f"installed {found}")
    for program in ("voltaro5", "voltaro5-sim"):
        check(os.access(prefix / bin_dir / program, os.X_OK), f"{program} not executable")
    # The menu entry validates, starts the installed program and names the icon.
    desktop = prefix / "share/applications" / f"{APP_ID}.desktop"
    run("desktop-file-validate", str(desktop))
    entry = dict(line.split("=", 1) for line in desktop.read_text().splitlines() if "=" in line)
    check(entry["Exec"].split()[0] == "voltaro5" and entry["Icon"] == APP_ID, f"{entry}")
    check(entry["Categories"] == "Game;ArcadeGame;" and entry.get("Keywords"), f"{entry}")
    # The metadata validates without the network and carries this version.
    metainfo = prefix / "share/metainfo" / f"{APP_ID}.metainfo.xml"
    run("appstreamcli", "validate", "--no-net", str(metainfo))
    for part in (f"<id>{APP_ID}</id>", f'version="{version}"', "<binary>voltaro5</binary>",
                 f'<launchable type="desktop-id">{APP_ID}.desktop</launchable>',
                 "<control>keyboard</control>", "<control>gamepad</control>",
                 "<developer_name>The VOLTARO ZIP 5 team</developer_name>"):
        check(part in metainfo.read_text(), f"{part} missing from the metadata")
    # Each icon is a PNG of its folder's size, with an alpha channel.
    for size in ICON_SIZES:
        data = (prefix / f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png").read_bytes()
        check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", f"{size}: no PNG")
        shape = struct.unpack(">IIBB", data[16:26])
        check(shape == (size, size, 8, 6), f"the {size} px icon is {shape}")
    # Both manual pages render without a warning; the game's names its files.
    for page in ("voltaro5-sim", "voltaro5"):
        path = str(prefix / f"share/man/man6/{page}.6{man_suffix}")
        result = run("man", "--warnings", "-E", "UTF-8", "-l", path,
                     env=dict(os.environ, MANWIDTH="200"))
        check(result.stderr == "" and "SYNOPSIS" in result.stdout, f"{page}.6: {result.stderr}")
    for part in ("OPTIONS", "CONTROLS", "FILES", "ENVIRONMENT", "XDG_DATA_HOME",
                 ".local/share/voltaro5/Voltaro5.ini"):
        check(part in result.stdout, f"voltaro5.6 has no {part}")
    check_player_readme(prefix / "share/doc/voltaro5/README.md")
    check_command_line(prefix / bin_dir / "voltaro5", version)


def check_player_readme(path):
    """The installed README is the player's part of the repository's: how to
    play, set up and keep the game, without building, testing or hardening."""
    text = path.read_text()
    for part in ("# VOLTARO ZIP 5", "## Controls", "## Settings", "## Recorded games and replays",
                 "## Licence"):
        check(part in text, f"the installed README has no {part!r}")
    for part in ("## Building by hand", "## Layout", "## The headless simulator", "make test",
                 "make fuzz", "mutants", "HACKING.md", "player:start", "player:end"):
        check(part not in text, f"the installed README has {part!r}")


def check_command_line(game, version):
    """--version names this version, --help the record's file beside the
    program, and a bad replay is refused before any window opens, naming the
    file and the line, with nothing written. (Which options end the program
    with which status is a unit test, tests/desktop/command_line_test.cpp.)"""
    with tempfile.TemporaryDirectory(prefix="voltaro5-package-home-") as home:
        env = {k: v for k, v in os.environ.items() if k not in ("XDG_DATA_HOME", "DISPLAY")}
        env["HOME"] = home
        check(run(game, "--version", env=env).stdout == f"voltaro5 {version}\n", "--version")
        help_text = run(game, "--help", env=env).stdout
        where = help_text[help_text.index("Best score: "):]
        check(f"{game.parent}/Voltaro5.ini" in where, f"the help says {where!r}")
        for name in ("last.v5replay", "best.v5replay", "voltaro5.log"):
            check(name in where, f"the help does not name {name}")
        stderr = run(game, "--bogus", status=2, env=env).stderr
        check(stderr == "voltaro5: --bogus: unknown option (try --help)\n", f"{stderr!r}")
        bad = pathlib.Path(home, "bad.v5replay")
        bad.write_text("VOLTARO5-REPLAY 1\nrandom x\n")
        stderr = run(game, "--replay", bad, status=2, env=env).stderr
        check("bad.v5replay:2: random:" in stderr and stderr.count("\n") == 1, f"{stderr!r}")
        check(os.listdir(home) == ["bad.v5replay"], "a bad replay wrote a file")


def check_archive(deb, version):
    info = run("dpkg-deb", "--info", deb).stdout
    print(info, end="")
    members = re.findall(r"^\s+\d+ bytes,\s+\d+ lines\s+\*?\s*(\S+)", info, re.M)
    # The icon cache, the menu and the manual index follow by dpkg triggers.
    check(sorted(members) == ["control", "md5sums"], f"control members {members}")
    depends = run("dpkg-deb", "--field", deb, "Depends").stdout
    check("libsdl2-2.0-0" in depends and "-dev" not in depends, f"Depends: {depends}")
    with tempfile.TemporaryDirectory(prefix="voltaro5-package-") as root:
        run("dpkg-deb", "-x", deb, root)
        check_tree(pathlib.Path(root, "usr"), "games", ".gz", version)
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
        installed = run("dpkg", "-L", "voltaro5").stdout.split()
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
    parser.add_argument("--tree", nargs=2, metavar=("BUILD_DIR", "VERSION"))
    parser.add_argument("deb", nargs="?")
    parser.add_argument("--install", action="store_true")
    args = parser.parse_args()
    if bool(args.tree) == bool(args.deb):
        parser.error("give either --tree BUILD_DIR VERSION or DEB")
    try:
        if args.tree:
            with tempfile.TemporaryDirectory(prefix="voltaro5-install-") as root:
                run("cmake", "--install", args.tree[0], "--prefix", "/usr/local",
                    env=dict(os.environ, DESTDIR=root))
                check_tree(pathlib.Path(root, "usr/local"), "bin", "", args.tree[1])
        else:
            version = re.search(r"voltaro5_([^_]+)_", os.path.basename(args.deb))[1]
            check_archive(args.deb, version)
            if args.install:
                check_install(args.deb)
    except Failure as failure:
        print(f"FAIL {args.tree or args.deb}: {failure}")
        return 1
    print(f"PASS {args.tree or args.deb}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
