#!/usr/bin/env python3
"""Checks of the installed game: the exact tree `cmake --install` makes, the
menu entry, the metadata, the icons, the manual pages, and the installed
program's command line. Usage: install_test.py BUILD_DIR VERSION CASE"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile

APP_ID = "io.github.voltaro5.Voltaro5"
ICON_SIZES = (16, 32, 48, 64, 128, 256)
PREFIX = "/usr/local"
EXPECTED = sorted(
    ["bin/voltaro5", "bin/voltaro5-sim",
     f"share/applications/{APP_ID}.desktop",
     f"share/metainfo/{APP_ID}.metainfo.xml",
     "share/man/man6/voltaro5.6", "share/man/man6/voltaro5-sim.6",
     "share/doc/voltaro5/README.md", "share/doc/voltaro5/copyright",
     "share/doc/voltaro5/changelog.gz"]
    + [f"share/icons/hicolor/{n}x{n}/apps/{APP_ID}.png" for n in ICON_SIZES])


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*command, status=0, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, timeout=60, **kwargs)
    check(status is None or result.returncode == status,
          f"{' '.join(command)}: status {result.returncode}, stderr {result.stderr.strip()!r}")
    return result


def case_tree(args, root):
    """Exactly the expected files, the programs executable, nothing else."""
    found = sorted(os.path.relpath(os.path.join(d, f), root + PREFIX)
                   for d, _, files in os.walk(root) for f in files)
    check(found == EXPECTED, f"installed {found}, expected {EXPECTED}")
    for program in ("bin/voltaro5", "bin/voltaro5-sim"):
        check(os.access(os.path.join(root + PREFIX, program), os.X_OK), f"{program} not executable")


def case_desktop_entry(args, root):
    """The menu entry validates, starts the installed program and names the icon."""
    path = os.path.join(root + PREFIX, "share/applications", APP_ID + ".desktop")
    run("desktop-file-validate", path)
    entry = dict(line.split("=", 1) for line in open(path).read().splitlines() if "=" in line)
    check(entry["Exec"].split()[0] == "voltaro5" and entry["Icon"] == APP_ID, f"{entry}")
    check(entry["Categories"] == "Game;ArcadeGame;" and entry.get("Keywords"), f"{entry}")


def case_metainfo(args, root):
    """The metadata validates without the network and carries this version."""
    path = os.path.join(root + PREFIX, "share/metainfo", APP_ID + ".metainfo.xml")
    run("appstreamcli", "validate", "--no-net", path)
    text = open(path).read()
    for part in (f"<id>{APP_ID}</id>", f'version="{args.version}"', "<binary>voltaro5</binary>",
                 f'<launchable type="desktop-id">{APP_ID}.desktop</launchable>'):
        check(part in text, f"{part} missing from the metadata")


def case_icons(args, root):
    """Each icon is a PNG of its folder's size, with see-through corners."""
    for size in ICON_SIZES:
        path = os.path.join(root + PREFIX, f"share/icons/hicolor/{size}x{size}/apps/{APP_ID}.png")
        data = open(path, "rb").read()
        check(data[:8] == b"\x89PNG\r\n\x1a\n" and data[12:16] == b"IHDR", f"{path}: no PNG")
        width, height, depth, colour = struct.unpack(">IIBB", data[16:26])
        check((width, height, depth, colour) == (size, size, 8, 6),
              f"{path}: {width} x {height}, depth {depth}, colour type {colour}")


def case_manual(args, root):
    """Both pages render without a warning; the game's names its files."""
    for page in ("voltaro5", "voltaro5-sim"):
        path = os.path.join(root + PREFIX, f"share/man/man6/{page}.6")
        result = run("man", "--warnings", "-E", "UTF-8", "-l", path,
                     env=dict(os.environ, MANWIDTH="80"))
        check(result.stderr == "", f"{page}.6 warns: {result.stderr}")
        check("SYNOPSIS" in result.stdout, f"{page}.6 renders no synopsis")
    text = run("man", "-l", os.path.join(root + PREFIX, "share/man/man6/voltaro5.6"),
               env=dict(os.environ, MANWIDTH="200")).stdout
    for part in ("OPTIONS", "CONTROLS", "FILES", "ENVIRONMENT", "XDG_DATA_HOME",
                 ".local/share/voltaro5/Voltaro5.ini"):
        check(part in text, f"the page has no {part}")


def case_command_line(args, root):
    """The installed program: --version names this version, --help the record's
    file beside it, and a bad replay is refused before any window opens, naming
    the file and the line, with nothing written. (Which options end the program
    with which status is a unit test, tests/desktop/command_line_test.cpp.)"""
    game = os.path.join(root + PREFIX, "bin/voltaro5")
    home = tempfile.mkdtemp(prefix="voltaro5-install-home-")
    try:
        env = dict(os.environ, HOME=home)
        env.pop("XDG_DATA_HOME", None)
        env.pop("DISPLAY", None)  # none of these opens a window
        check(run(game, "--version", env=env).stdout == f"voltaro5 {args.version}\n", "--version")
        help_text = run(game, "--help", env=env).stdout
        where = help_text[help_text.index("Best score: "):]
        check(f"{root}{PREFIX}/bin/Voltaro5.ini" in where, f"the help says {where!r}")
        run(game, "--bogus", status=2, env=env)
        bad = os.path.join(home, "bad.v5replay")
        with open(bad, "w") as f:
            f.write("VOLTARO5-REPLAY 1\nrandom x\n")
        result = run(game, "--replay", bad, status=2, env=env)
        check("bad.v5replay:2: random:" in result.stderr and result.stderr.count("\n") == 1,
              f"--replay: {result.stderr!r}")
        check(os.listdir(home) == ["bad.v5replay"], "a bad replay wrote a file")
    finally:
        shutil.rmtree(home)


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("version")
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    root = tempfile.mkdtemp(prefix="voltaro5-install-")
    try:
        run("cmake", "--install", args.build, "--prefix", PREFIX, env=dict(os.environ, DESTDIR=root))
        CASES[args.case](args, root)
    except Failure as failure:
        print(f"FAIL {args.case}: {failure} (installed in {root})")
        return 1
    shutil.rmtree(root)
    print(f"PASS {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
