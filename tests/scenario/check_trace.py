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
W, H = 250, 400


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


def case_determinism():
    # Same options, same trace, is what golden_digest checks at length.
    args = ["--seed", "77", "--pilot", "5", "--bot", "9", "--games", "3", "--max-frames", "1500"]
    first, _ = run(args + ["--trace", "-"])
    with tempfile.TemporaryDirectory() as tmp:
        run(args + ["--trace", tmp + "/t.jsonl"])
        check(pathlib.Path(tmp, "t.jsonl").read_bytes() == first, "--trace FILE differs from -")
    check(run(["--seed", "78"] + args[2:] + ["--trace", "-"])[0] != first, "seed ignored")


def case_first_landing():
    # Seed 1 leaves no plate between the car and plate 0.
    lines, err = trace(["--seed", "1", "--max-frames", "30"])
    check(not any(line["car"]["onPlate"] for line in lines[:25]), "landed before frame 25")
    check(lines[25]["car"] == {"x": 108, "y": 146.5, "vx": 0, "vy": 0, "onPlate": True,
                               "ridePlate": 0, "moveKey": 0}, f"frame 25: {lines[25]['car']}")
    check(all(line["score"] == line["frame"] for line in lines), "the score counts frames")
    check(lines[-1]["end"] == "limit" and "games 1, frames 30" in err, f"end: {err}")


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
    base = ["--seed", "11", "--games", "3", "--max-frames", "2000"]
    end1 = games_of(trace(base)[0])[0][-1]
    # Z tapped and Left pressed late in game 1; V pressed on game 2's first tick.
    t = end1["tick"] - 5
    script = f"{t} down 90\n{t + 1} up 90\n{t + 2} down 37\n{end1['tick'] + 1} down 86\n"
    lines, err = trace(base, script)
    games = games_of(lines)
    last, setup, first = games[0][-1], games[1][0], games[1][1]
    check(len(games) == 3 and "games 3" in err, "three games")
    check(last["end"] in ("hits", "fell") and last["mode"] == 2, "game 1 is lost")
    check(setup["tick"] == first["tick"] == last["tick"] + 1, "ticks run on across games")
    check((setup["mode"], setup["score"], setup["hits"]) == (1, 0, 0), "a fresh score")
    check(setup["car"] == dict(last["car"], x=108, y=0, vx=0, vy=0, onPlate=False, moveKey=0),
          f"the car starts afresh but keeps its RidePlate: {setup['car']}")
    check(setup["fire"] == {"held": [False] * 3, "released": [True, False, False],
                            "served": [True] * 3, "cooldown": [0] * 3},
          f"fire keys reset, Z's FireReleased carried over: {setup['fire']}")
    kept = {k: last["enemies"][0][k] for k in ("goLeft", "plateNo")}
    parked = dict(x=-200, y=0, alive=False)
    check(setup["enemies"] == [dict(parked, **kept), dict(parked, goLeft=False, plateNo=0)],
          f"enemy 0 keeps GoLeft and PlateNo, enemy 1 is zeroed: {setup['enemies']}")
    kind0 = last["bullets"][0]["kind"]
    check(setup["bullets"] == [dict(x=-100, y=0, kind=k, flying=False) for k in [kind0] + [0] * 7],
          f"bullets free, bullet 0 keeps its kind: {setup['bullets']}")
    check(all(c == {"x": -100, "y": 0} for c in setup["coins"]), "coins parked")
    check(first["events"] == [["down", 86]] and first["fire"]["served"][1], "V in game 2")


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
    check(run(["--help"])[0].startswith(b"usage: voltaro5-sim"), "--help prints the usage")
    run(["--seed", "18446744073709551615", "--max-frames", "1"])


def check_placed(where, plate, lowest, highest, others):
    """A plate placed afresh: whole X in 0..W-81 and Y in lowest..highest,
    clear of the other plates as they stood when it was placed."""
    check(plate["x"] == int(plate["x"]) and 0 <= plate["x"] <= W - 81 and
          plate["y"] == int(plate["y"]) and lowest <= plate["y"] <= highest,
          f"{where}: placed at {plate}")
    check(all(abs(plate["x"] - o["x"]) >= 80 or abs(plate["y"] - o["y"]) >= 100 for o in others),
          f"{where}: placed at {plate}, too close to another plate")


def check_frame(where, prev, line):
    for i, (old, new) in enumerate(zip(prev["plates"], line["plates"])):
        if new == {"x": old["x"], "y": old["y"] + 2.5}:
            check(new["y"] <= H + 10, f"{where}: plate {i} below {H + 10} not placed again")
        else:  # placed again, clear of the lower ones moved and the higher not yet
            check(old["y"] + 2.5 > H + 10, f"{where}: plate {i} placed again too early")
            others = line["plates"][:i] + prev["plates"][i + 1:]
            check_placed(f"{where} plate {i}", new, -599, 0, others)
    car = line["car"]
    check(0 <= car["x"] <= W - 34, f"{where}: the car passed a wall: {car}")
    gained = line["score"] - prev["score"]
    check(gained >= 0, f"{where}: the score fell from {prev['score']} to {line['score']}")
    bonus = gained - (1 if line["end"] in (None, "limit") else 0)
    check(bonus >= 0 and bonus % 100 == 0, f"{where}: the score grew by {gained}")
    check((line["end"] == "hits") == (line["hits"] > 3), f"{where}: ends on the fourth hit")
    check((line["end"] == "fell") == (car["y"] > H + 50 and line["hits"] <= 3), f"{where}: fell")
    e0, e1 = line["enemies"]
    check(not (e0["alive"] and e1["alive"] and e0["plateNo"] == e1["plateNo"]),
          f"{where}: two enemies on plate {e0['plateNo']}")
    for m, (old, new) in enumerate(zip(prev["bullets"], line["bullets"])):
        inside = -20 <= new["x"] <= W + 20 and -20 <= new["y"] <= H + 20
        if new["flying"]:
            check(inside, f"{where}: bullet {m} flying at {new}")
        elif old["flying"]:
            check(not inside, f"{where}: bullet {m} freed within 20 px at {new}")


def check_trace(lines, label):
    games = games_of(lines)
    for g, game in enumerate(games, 1):
        plates = game[0]["plates"]
        check(plates[0] == {"x": 85, "y": 100}, f"{label} game {g}: plate 0")
        for i in range(1, 9):  # placed in order, the later ones still at (0, 0)
            others = plates[:i] + [{"x": 0, "y": 0}] * (8 - i)
            check_placed(f"{label} game {g} plate {i}", plates[i], -199, 400, others)
        for prev, line in zip(game, game[1:]):
            check_frame(f"{label} game {g} frame {line['frame']}", prev, line)
        check(game[-1]["end"] is not None, f"{label} game {g}: no end")
    return sum(len(game) - 1 for game in games)


def case_invariants():
    total = 0
    for args in (["--seed", "1", "--pilot", "1", "--max-frames", "4000"],
                 ["--seed", "2", "--pilot", "7", "--bot", "3", "--max-frames", "3000"],
                 ["--seed", "9", "--bot", "8", "--games", "10"]):
        total += check_trace(trace(args)[0], " ".join(args))
    check(total >= 7000, f"only {total} frames checked")


def case_pilot_plays_long_games():
    # Long enough games for enemies, hits, bullets and bonuses to happen.
    lines, _ = trace(["--seed", "21", "--pilot", "21", "--games", "4", "--max-frames", "6000"])
    lengths = [len(game) - 1 for game in games_of(lines)]
    check(sum(lengths) / len(lengths) > 1000, f"pilot games too short: {lengths}")
    check(any(line["hits"] > 0 for line in lines), "no enemy ever touched the car")
    check(any(b["flying"] for line in lines for b in line["bullets"]), "no bullet flew")
    check(any(b["score"] - a["score"] >= 100 and b["frame"] > 0
              for a, b in zip(lines, lines[1:])), "no coin collected and no enemy shot")


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
