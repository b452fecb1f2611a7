#!/usr/bin/env python3
"""Scenario checks of voltaro5-sim: its exit status, messages and JSON trace.
Usage: check_trace.py SIM CASE [CASE ...] [--regenerate]; ctest runs each case
on its own. golden_digest compares the traces of a million frames and more
with tests/scenario/golden_digests.txt; --regenerate rewrites that file, for
the day a rule of play is meant to change (see README.md here)."""

import concurrent.futures
import hashlib
import json
import pathlib
import subprocess
import sys
import tempfile

SIM = None


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(args, script=None, status=0):
    """Runs the simulator, a key script text given on --input; returns (stdout, stderr)."""
    args = args + (["--input", "/dev/stdin"] if script is not None else [])
    proc = subprocess.run([SIM] + args, input=(script or "").encode(), capture_output=True,
                          timeout=300)
    err = proc.stderr.decode(errors="replace")
    check(proc.returncode == status, f"{args}: exit status {proc.returncode}: {err}")
    return proc.stdout, err


def trace(args, script=None):
    out, err = run(args + ["--trace", "-"], script)
    return [json.loads(line) for line in out.splitlines()], err


def games_of(lines):
    """A trace cut into games, each starting with its set-up line (frame 0)."""
    starts = [i for i, line in enumerate(lines) if line["frame"] == 0] + [len(lines)]
    return [lines[a:b] for a, b in zip(starts, starts[1:])]


def case_fire_keys():
    # Z held from frame 1 to 39 fires every 11th frame; V tapped before 50, and
    # D pressed before 60 and released before 61, fire once each.
    lines, _ = trace(["--seed", "1", "--max-frames", "80"],
                     "# fire keys\n\n1 down 90  # Z\r\n40\tup\t90\n50 down 86\n50 up 86\n"
                     "60 down 68\n61 up 68\n")
    start = [(-19, 8.5), (44, 8.5), (15, -19)]  # from the car, by kind: Z, V, D
    shots = [(line["frame"], b["kind"], b["x"] - line["car"]["x"], b["y"] - line["car"]["y"])
             for prev, line in zip(lines, lines[1:])
             for old, b in zip(prev["bullets"], line["bullets"])
             if b["flying"] and not old["flying"]]
    expected = [(f, k, *start[k]) for f, k in [(1, 0), (12, 0), (23, 0), (34, 0), (50, 1), (60, 2)]]
    check(shots == expected, f"shots (frame, kind, dx, dy): {shots}")


def case_games_carry_over():
    # The key script counts ticks, which run on across games: V pressed on the
    # tick after game 1 ends lands in game 2's first frame. What else a game
    # carries into the next, the golden digests' many short games hold.
    base = ["--seed", "11", "--games", "2", "--max-frames", "2000"]
    end1 = games_of(trace(base)[0])[0][-1]
    games = games_of(trace(base, f"{end1['tick'] + 1} down 86\n")[0])
    first = games[1][1]
    check(first["tick"] == end1["tick"] + 1 and first["events"] == [["down", 86]] and
          first["fire"]["served"][1], f"V in game 2: {first['events']} at tick {first['tick']}")


def case_option_errors():
    with tempfile.TemporaryDirectory() as tmp:
        bad = pathlib.Path(tmp, "bad.txt")
        bad.write_text("# keys\n1 down 90\n2 sideways 90\n")
        for args, named in [
                (["--seed", "abc"], "--seed"), (["--seed", "-1"], "--seed"),
                (["--seed", "18446744073709551616"], "--seed"),
                (["--seed"], "--seed: missing value"), (["--games", "0"], "--games"),
                (["--every", "0"], "--every"), (["--frobnicate"], "--frobnicate"),
                (["stray"], "stray"), (["--input", tmp + "/none.txt"], "none.txt"),
                (["--input", str(bad)], "bad.txt:3"), (["--trace", tmp + "/no/t.jsonl"], "--trace")]:
            out, err = run(args, status=2)
            check(named in err and err.count("\n") == 1 and out == b"",
                  f"{args}: expected one line naming {named!r}, got {err!r} {out!r}")
        # --trace FILE writes what --trace - prints; --max-frames ends the game.
        args = ["--seed", "18446744073709551615", "--max-frames", "30", "--trace"]
        _, err = run(args + [tmp + "/t.jsonl"])
        lines = pathlib.Path(tmp, "t.jsonl").read_bytes()
        check(lines == run(args + ["-"])[0], "--trace FILE differs from --trace -")
        check(json.loads(lines.splitlines()[-1])["end"] == "limit" and "games 1, frames 30" in err,
              f"--max-frames 30: {err}")
    check(run(["--help"])[0].startswith(b"usage: voltaro5-sim"), "--help prints the usage")


REPLAYS = pathlib.Path(__file__).resolve().parent.parent / "replays"


def case_replays():
    """The recorded games keep their recorded ends; a replay that does not is
    named with its first differing frame (status 3), a bad file with its line
    (status 2), and neither writes anything."""
    files = sorted(REPLAYS.glob("*.v5replay"))
    check(len(files) >= 5, f"expected the recorded games in {REPLAYS}")
    for path in files:
        out, _ = run(["--replay", str(path)])
        lines = path.read_text().splitlines()
        recorded = {line.split()[0]: line.split()[1] for line in lines[-3:]}
        check(out.decode() == f"frames {recorded['frames']} end {recorded['end']} "
              f"score {recorded['final']}\n", f"{path.name}: {out!r}")
    with tempfile.TemporaryDirectory() as tmp:
        good = (REPLAYS / "careless_first.v5replay").read_text()
        changed = pathlib.Path(tmp, "changed.v5replay")
        changed.write_text(good.replace("\nfinal ", "\nfinal 1"))
        _, err = run(["--replay", str(changed)], status=3)
        check("replay diverged: frame 185: score" in err, err)
        changed.write_text(good.replace("\nframes 185\n", "\nframes 150\n"))
        _, err = run(["--replay", str(changed)], status=3)
        check("frame 150: the recording ended here (fell) but the game went on" in err, err)
        changed.write_text(good.replace("\nframes 185\n", "\nframes 900\n"))
        _, err = run(["--replay", str(changed)], status=3)
        check("frame 185: the game ended (fell) before its recorded end (fell) in frame 900" in err, err)
        trace_path = pathlib.Path(tmp, "t.jsonl")
        for text, named in [("", "changed.v5replay: the file is empty"),
                            (good.replace("\ncar ", "\ncar nan "), "changed.v5replay:5:"),
                            (good[: len(good) // 2], "changed.v5replay:")]:
            changed.write_text(text)
            out, err = run(["--replay", str(changed), "--trace", str(trace_path)], status=2)
            check(named in err and err.count("\n") == 1 and out == b"", f"{named}: {err!r}")
            check(not trace_path.exists(), "a bad replay wrote a trace")
        for args in (["--replay", str(changed), "--pilot", "1"], ["--replay", tmp]):
            run(args, status=2)
        # The trace of a replay is the trace of the game as played.
        lines, _ = trace(["--replay", str(REPLAYS / "careless_second_carry_over.v5replay")])
        check(lines[-1]["end"] == "fell" and lines[-1]["frame"] == 280, "carry-over replay trace")


GOLDEN = pathlib.Path(__file__).resolve().parent / "golden_digests.txt"
# The pilot's long games, where a bound of a rule that decides only now and
# then shows, and the random player's many short ones, where what a game
# carries into the next shows: 1.08 million frames.
GOLDEN_RUNS = ([f"--seed {s} --pilot {s} --games 8 --max-frames 30000" for s in range(1, 25)] +
               [f"--seed {100 + s} --bot {s} --games 100" for s in range(1, 9)])
REGENERATE = "--regenerate" in sys.argv


def trace_digest(options):
    """The SHA-256 of a run's trace, and its frames."""
    proc = subprocess.Popen([SIM, *options.split(), "--trace", "-"], stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    digest = hashlib.sha256()
    while chunk := proc.stdout.read(1 << 20):
        digest.update(chunk)
    err = proc.stderr.read().decode(errors="replace")
    check(proc.wait() == 0, f"{options}: exit status {proc.returncode}: {err}")
    return digest.hexdigest(), int(err.split(" frames ")[1].split(",")[0])


def case_golden_digest():
    """Each run's trace, and the digest of them all in order, as stored."""
    with concurrent.futures.ThreadPoolExecutor(2) as pool:
        runs = list(pool.map(trace_digest, GOLDEN_RUNS))
    frames = sum(n for _, n in runs)
    check(frames >= 1_000_000, f"only {frames} frames")
    lines = [f"{digest} {n:6} {options}" for options, (digest, n) in zip(GOLDEN_RUNS, runs)]
    lines.append(hashlib.sha256("".join(d for d, _ in runs).encode()).hexdigest() + " all")
    if REGENERATE:
        header = [line for line in GOLDEN.read_text().splitlines() if line[:1] == "#"]
        GOLDEN.write_text("\n".join(header + [""] + lines) + "\n")
        print(f"wrote {GOLDEN}: {len(runs)} runs, {frames} frames")
        return
    stored = [line for line in GOLDEN.read_text().splitlines() if line and line[0] != "#"]
    if stored[-1:] != lines[-1:] or stored[:-1] != lines[:-1]:
        first = next((now for was, now in zip(stored, lines) if was.split()[0] != now.split()[0]),
                     "the list of runs")
        raise AssertionError(
            f"the traces no longer match {GOLDEN.name}: a rule of play changed. First differing "
            f"run (digest, frames, options): {first}. Compare its trace with one from the last "
            f"good build (voltaro5-sim OPTIONS --trace -). Only when a rule is meant to change: "
            f"{pathlib.Path(__file__).name} SIM golden_digest --regenerate")


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}

if __name__ == "__main__":
    names = [arg for arg in sys.argv[2:] if arg != "--regenerate"]
    if not names or not set(names) <= CASES.keys() or REGENERATE and names != ["golden_digest"]:
        sys.exit(f"usage: check_trace.py SIM CASE... [--regenerate]; cases: {' '.join(CASES)}; "
                 "--regenerate only with golden_digest")
    SIM = sys.argv[1]
    for name in names:
        CASES[name]()  # a failed check raises AssertionError with its message
        print(f"ok {name}")
