#!/usr/bin/env python3
"""Which Debian packages each make target installs on a bare machine: every
target's calls of scripts/install-deps.sh (read from `make -n`) run against a
fake apt that has nothing installed and records what it is asked to install.
`make run` must get the game's needs only: nothing of the tests, the browser,
fuzzing or Windows. Usage: deps_test.py SOURCE_DIR"""

import os
import pathlib
import re
import subprocess
import sys
import tempfile

FAKES = {  # nothing is installed; apt knows clang 19, as Debian 13 does
    "dpkg-query": "exit 1",
    "apt-cache": 'echo clang; echo "  Depends: clang-19"',
    "apt-get": 'if [ "$1" != update ]; then echo "$@" >> "$APT_LOG"; fi',
    "sudo": 'exec "$@"',
    "npm": "exit 127",
}
TEST_ONLY = {"libgtest-dev", "xvfb", "chromium", "emscripten", "wine64", "clang", "lintian"}


def installs(source, target, bin_dir):
    """The packages `make TARGET` would have apt-get install, in a sorted list."""
    plan = subprocess.run(["make", "-n", "-C", source, target], capture_output=True, text=True,
                          check=True).stdout
    log = bin_dir / f"{target}.log"
    env = dict(os.environ, PATH=f"{bin_dir}:{os.environ['PATH']}", APT_LOG=str(log))
    for call in re.findall(r"^scripts/install-deps\.sh.*$", plan, re.M):
        subprocess.run(["bash", *call.split()], cwd=source, env=env, check=True,
                       capture_output=True)
    words = log.read_text().split() if log.exists() else []
    return sorted({w for w in words if w[0] != "-" and "=" not in w and w != "install"})


def main():
    source = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        bin_dir = pathlib.Path(tmp)
        for name, body in FAKES.items():
            (bin_dir / name).write_text(f"#!/bin/sh\n{body}\n")
            (bin_dir / name).chmod(0o755)
        got = {t: installs(source, t, bin_dir) for t in
               ("run", "install", "package", "web", "fuzz", "windows", "test")}
    failures = [f"make run installs {sorted(TEST_ONLY & set(got['run']))}"] if TEST_ONLY & set(
        got["run"]) else []
    for target, needs in [("run", {"libsdl2-dev", "g++", "xfonts-base"}),
                          ("install", set(got["run"])), ("package", {"dpkg-dev"}),
                          ("web", {"emscripten"}), ("fuzz", {"clang", "libclang-rt-19-dev"}),
                          ("windows", {"wine64", "nsis"}), ("test", TEST_ONLY - {"clang"})]:
        if not needs <= set(got[target]):
            failures.append(f"make {target} misses {sorted(needs - set(got[target]))}")
    if set(got["install"]) != set(got["run"]) or "lintian" in got["package"]:
        failures.append(f"make install/package install more than they need: {got}")
    print("\n".join(f"FAIL {f}" for f in failures) or "PASS")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
