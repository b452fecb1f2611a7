#!/usr/bin/env python3
"""The Windows build (build-win/, `make windows`) checked from the Linux build:
its own tests under wine, and its simulator under wine against the Linux
simulator, byte for byte: the same rules give the same trace on both systems.

Usage: windows_test.py WINDOWS_BUILD LINUX_SIM CASE; ctest runs each case on
its own. Without a Windows build a case is skipped (status 77), unless
VOLTARO5_REQUIRE_WINDOWS is set (`make test` sets it): then it fails."""

import filecmp
import os
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
REPLAYS = HERE.parent / "replays"
WINE = HERE / "run_under_wine.sh"
SKIP = 77


def check(condition, message):
    if not condition:
        raise AssertionError(message)


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
    raise AssertionError(f"{what}: Windows differs from Linux at line {first + 1} "
                         f"({len(a)} and {len(b)} bytes):\n  linux:   {shown[0]}"
                         f"\n  windows: {shown[1]}")


def frames_of(summary):
    found = re.search(r"games \d+, frames (\d+),", summary)
    check(found, f"no summary line: {summary}")
    return int(found.group(1))


def case_unit_tests(sims):
    """The Windows build's own tests (gtest under wine, and the guard that a
    host program given to wine is refused), through its ctest."""
    done = subprocess.run(["ctest", "--test-dir", str(sims.build), "--output-on-failure",
                           "--no-tests=error", "-j", "2", "--timeout", "120"],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=500)
    out = done.stdout.decode(errors="replace")
    print(out[-3000:])
    check(done.returncode == 0, "the Windows build's tests failed")
    ran = re.search(r"tests passed, 0 tests failed out of (\d+)", out)
    # Nearly a hundred tests build for Windows (those with a temporary folder
    # or POSIX calls of their own do not): far fewer means they were lost.
    check(ran and int(ran.group(1)) >= 80, "fewer than 80 tests ran")


def case_traces(sims):
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


def case_key_script_on_standard_input(sims):
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


def case_replays(sims):
    """Every recorded game replays under wine as recorded (status 0), with
    the same outcome line and trace as on Linux."""
    replays = sorted(REPLAYS.glob("*.v5replay"))
    check(replays, f"no replays in {REPLAYS}")
    for replay in replays:
        sims.same(["--replay", str(replay)], text=True)
        sims.same(["--replay", str(replay), "--trace", "-"])


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    windows_build, linux_sim, case = pathlib.Path(sys.argv[1]), sys.argv[2], sys.argv[3]
    run_case = globals().get("case_" + case)
    if run_case is None:
        sys.exit(f"windows_test.py: no case named {case!r}")
    if not (windows_build / "voltaro5-sim.exe").is_file():
        message = f"no Windows build in {windows_build}: run `make windows`"
        if os.environ.get("VOLTARO5_REQUIRE_WINDOWS"):
            sys.exit(message)
        print(message + " (skipped)")
        sys.exit(SKIP)
    work = pathlib.Path(tempfile.mkdtemp(prefix="voltaro5-windows-"))
    try:
        run_case(Sims(windows_build, linux_sim, work))
    finally:
        shutil.rmtree(work)
    print(f"{case}: ok")


if __name__ == "__main__":
    main()
