#!/usr/bin/env python3
"""Scenario checks of voltaro5-sim: runs the simulator and checks its exit
status, messages and trace. Usage: check_trace.py SIM CASE [CASE ...]

Every case is a function below; ctest runs each one as a test of its own.
"""

import json
import os
import subprocess
import sys
import tempfile

SIM = None
SCREEN_W = 250
SCREEN_H = 400
KEY_LEFT, KEY_UP, KEY_RIGHT, KEY_D, KEY_V, KEY_Z = 37, 38, 39, 68, 86, 90


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(args, script=None, expect_status=0):
    """Runs the simulator; a script text is written to a temporary file and
    passed with --input. Returns (stdout bytes, stderr text)."""
    with tempfile.TemporaryDirectory() as tmp:
        if script is not None:
            path = os.path.join(tmp, "keys.txt")
            with open(path, "w") as f:
                f.write(script)
            args = args + ["--input", path]
        proc = subprocess.run([SIM] + args, capture_output=True, timeout=300)
    err = proc.stderr.decode("utf-8", "replace")
    check(proc.returncode == expect_status,
          f"{args}: exit status {proc.returncode}, expected {expect_status}; stderr: {err}")
    return proc.stdout, err


def trace(args, script=None):
    out, err = run(args + ["--trace", "-"], script)
    lines = [json.loads(line) for line in out.decode().splitlines()]
    return lines, err


def games_of(lines):
    """Splits a trace into games: lists whose first element is the set-up line."""
    games = []
    for line in lines:
        if line["frame"] == 0:
            games.append([])
        games[-1].append(line)
    return games


# ---------------------------------------------------------------------------
# Cases

def case_determinism():
    args = ["--seed", "77", "--pilot", "5", "--bot", "9", "--games", "3", "--max-frames", "1500"]
    first, _ = run(args + ["--trace", "-"])
    second, _ = run(args + ["--trace", "-"])
    check(first == second, "two runs with the same seed and input differ")
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "t.jsonl")
        run(args + ["--trace", path])
        with open(path, "rb") as f:
            check(f.read() == first, "--trace FILE and --trace - differ")
    other, _ = run(["--seed", "78"] + args[2:] + ["--trace", "-"])
    check(other != first, "another seed gives the same trace")


def case_first_landing():
    # Seed 1 leaves no plate between the car and plate 0.
    lines, err = trace(["--seed", "1", "--max-frames", "30"])
    setup = lines[0]
    check(setup["frame"] == 0 and setup["tick"] == 1 and setup["mode"] == 1, "set-up line")
    check(setup["events"] == [] and len(setup["draws"]) >= 16 and len(setup["draws"]) % 2 == 0,
          "set-up draws two values per plate attempt, at least one attempt per plate")
    check(all(0 <= d < 1 for d in setup["draws"]), "draws in [0, 1)")
    check(setup["plates"][0] == {"x": 85, "y": 100}, "plate 0 starts under the car")
    check(setup["car"]["x"] == 108 and setup["car"]["y"] == 0, "the car starts centred at the top")
    for line in lines[1:25]:
        check(not line["car"]["onPlate"], f"frame {line['frame']}: on a plate too early")
    check(lines[24]["car"]["y"] == 138 and lines[24]["car"]["vy"] == 12, "frame 24 position")
    landed = lines[25]["car"]
    check(landed == {"x": 108, "y": 146.5, "vx": 0, "vy": 0, "onPlate": True, "ridePlate": 0,
                     "moveKey": 0}, f"frame 25: {landed}")
    for line in lines[1:]:
        check(line["score"] == line["frame"], "no coins: the score counts frames")
    check(lines[-1]["end"] == "limit" and lines[-1]["mode"] == 1, "the 30th frame is the limit")
    check("games 1, frames 30" in err and "30 limit" in err, f"summary: {err}")


def new_bullets(prev, line):
    """Bullets flying now that were free before: (slot, bullet)."""
    return [(i, b) for i, b in enumerate(line["bullets"])
            if b["flying"] and not prev["bullets"][i]["flying"]]


def case_fire_keys():
    # Z held from before frame 1 to before frame 40: shots in 1, 12, 23, 34.
    # V pressed and released before frame 50: one shot in frame 50.
    # D pressed before 60 and released before 61: one shot in 60 only.
    script = "1 down 90\n40 up 90\n50 down 86\n50 up 86\n60 down 68\n61 up 68\n"
    lines, _ = trace(["--seed", "1", "--max-frames", "80"], script)
    shots = {}
    for prev, line in zip(lines, lines[1:]):
        for slot, b in new_bullets(prev, line):
            shots.setdefault(line["frame"], []).append(b["kind"])
            car = line["car"]
            if b["kind"] == 0:
                check((b["x"], b["y"]) == (car["x"] - 19, car["y"] + 8.5), f"Z start {b} {car}")
            elif b["kind"] == 1:
                check((b["x"], b["y"]) == (car["x"] + 44, car["y"] + 8.5), f"V start {b} {car}")
            else:
                check((b["x"], b["y"]) == (car["x"] + 15, car["y"] - 19), f"D start {b} {car}")
    check(shots == {1: [0], 12: [0], 23: [0], 34: [0], 50: [1], 60: [2]}, f"shots: {shots}")
    check(lines[1]["events"] == [["down", 90]], "events are recorded on their frame")
    check(lines[40]["fire"]["held"] == [False, False, False], "Z released")
    check(lines[39]["fire"]["cooldown"][0] == 5, "cool-down 10 after frame 34, 5 left at 39")
    check(lines[50]["fire"]["released"][1] and lines[50]["fire"]["served"][1], "V served")


def case_scripted_events_come_first():
    script = "".join(f"{t} down 90\n{t} up 90\n" for t in range(1, 200, 7))
    lines, _ = trace(["--seed", "3", "--pilot", "2", "--bot", "4", "--max-frames", "200"], script)
    for line in lines[1:]:
        t = line["tick"]
        if (t - 1) % 7 == 0:
            check(line["events"][:2] == [["down", 90], ["up", 90]],
                  f"tick {t}: scripted events first, got {line['events']}")


def case_input_method_key():
    lines, err = trace(["--seed", "1", "--max-frames", "10"], "5 down 229\n6 down 229\n")
    check("input-method messages 2" in err, f"two message boxes counted: {err}")
    check(lines[5]["events"] == [["down", 229]], "the event is recorded")
    quiet, _ = trace(["--seed", "1", "--max-frames", "10"])
    for a, b in zip(lines, quiet):
        a = dict(a, events=[])
        check(a == dict(b, events=[]), f"frame {b['frame']}: code 229 changed the game")


def case_games_carry_over():
    # Find out how long the games of this seed last, then script events that
    # straddle the first game's end.
    base = ["--seed", "11", "--games", "3", "--max-frames", "2000"]
    lines, _ = trace(base)
    games = games_of(lines)
    check(len(games) == 3, "three games")
    end1 = games[0][-1]
    start2 = games[1][0]
    check(start2["tick"] == end1["tick"] + 1, "ticks run on across games")
    check(games[1][1]["tick"] == start2["tick"], "the set-up line names the first frame's tick")
    # Z pressed and released in game 1: FireReleased stays true into game 2;
    # Left pressed in game 1 and never released: steering starts at 0 again.
    t = end1["tick"] - 5
    script = f"{t} down 90\n{t + 1} up 90\n{t + 2} down 37\n{start2['tick']} down 86\n"
    lines, err = trace(base, script)
    games = games_of(lines)
    first, second = games[0], games[1]
    last = first[-1]
    check(last["end"] in ("hits", "fell", "limit"), "game 1 ends")
    if last["end"] != "limit":
        check(last["mode"] == 2, "a lost game ends in mode 2")
    setup = second[0]
    check(setup["mode"] == 1 and setup["score"] == 0 and setup["hits"] == 0, "fresh score")
    check(setup["car"]["moveKey"] == 0 and setup["car"]["x"] == 108 and setup["car"]["y"] == 0,
          "the car starts afresh")
    check(setup["car"]["ridePlate"] == last["car"]["ridePlate"], "RidePlate carries over")
    check(setup["fire"]["released"][0] is True, "FireReleased carries over")
    check(setup["fire"]["held"] == [False] * 3 and setup["fire"]["served"] == [True] * 3 and
          setup["fire"]["cooldown"] == [0] * 3, "fire keys reset")
    e0, e1 = setup["enemies"]
    check(e0["goLeft"] == last["enemies"][0]["goLeft"] and
          e0["plateNo"] == last["enemies"][0]["plateNo"], "enemy 0 keeps GoLeft and PlateNo")
    check(e1["goLeft"] is False and e1["plateNo"] == 0, "enemy 1 comes back zeroed")
    for e in (e0, e1):
        check(e["x"] == -200 and e["y"] == 0 and e["alive"] is False, "enemies parked")
    check(setup["bullets"][0]["kind"] == last["bullets"][0]["kind"], "bullet 0 keeps its Kind")
    for b in setup["bullets"]:
        check(b["x"] == -100 and b["y"] == 0 and not b["flying"], "bullets free")
    check(all(b["kind"] == 0 for b in setup["bullets"][1:]), "bullets 1-7 come back zeroed")
    check(all(c == {"x": -100, "y": 0} for c in setup["coins"]), "coins parked")
    check(second[1]["events"] == [["down", KEY_V]], "an event at game 2's first tick")
    check(second[1]["fire"]["served"][1] is True, "and V fires in game 2's first frame")
    check("games 3" in err, "summary counts the games")


def case_option_errors():
    with tempfile.TemporaryDirectory() as tmp:
        bad_script = os.path.join(tmp, "bad.txt")
        with open(bad_script, "w") as f:
            f.write("# keys\n1 down 90\n2 sideways 90\n")
        cases = [
            (["--seed", "abc"], "--seed"),
            (["--seed", "-1"], "--seed"),
            (["--seed", "18446744073709551616"], "--seed"),
            (["--seed"], "--seed: missing value"),
            (["--games", "0"], "--games"),
            (["--max-frames", "1x"], "--max-frames"),
            (["--every", "0"], "--every"),
            (["--pilot", ""], "--pilot"),
            (["--trace"], "--trace: missing value"),
            (["--frobnicate"], "--frobnicate"),
            (["stray"], "stray"),
            (["--input", os.path.join(tmp, "missing.txt")], "missing.txt"),
            (["--input", tmp], tmp),
            (["--input", bad_script], "bad.txt:3"),
            (["--trace", os.path.join(tmp, "no", "such", "dir", "t.jsonl")], "--trace"),
        ]
        for args, named in cases:
            out, err = run(args, expect_status=2)
            check(named in err, f"{args}: message does not name {named!r}: {err!r}")
            check(err.count("\n") == 1, f"{args}: one line of message, got {err!r}")
            check(out == b"", f"{args}: nothing on standard output")
    out, _ = run(["--help"])
    check(out.startswith(b"usage: voltaro5-sim"), "--help prints the usage")
    run(["--seed", "18446744073709551615", "--max-frames", "1"])


def case_shots():
    with tempfile.TemporaryDirectory() as tmp:
        shots = os.path.join(tmp, "shots")
        proc = subprocess.run([SIM, "--seed", "1", "--max-frames", "25", "--shots", shots,
                               "--every", "10"], capture_output=True, timeout=120)
        if proc.returncode == 2 and b"no frame drawing" in proc.stderr:
            print("this build has no frame drawing; --shots refuses cleanly")
            return
        check(proc.returncode == 0, f"--shots: {proc.stderr!r}")
        names = sorted(os.listdir(shots))
        check(names == ["g001_f000010.bmp", "g001_f000020.bmp"], f"pictures: {names}")
        with open(os.path.join(shots, names[0]), "rb") as f:
            data = f.read()
        width = int.from_bytes(data[18:22], "little", signed=True)
        height = abs(int.from_bytes(data[22:26], "little", signed=True))
        check(data[:2] == b"BM" and (width, height) == (SCREEN_W, SCREEN_H),
              f"a {SCREEN_W} x {SCREEN_H} BMP picture, got {width} x {height}")
        run(["--seed", "1", "--max-frames", "5", "--render"])


# --- the invariants of a long trace ----------------------------------------

def overlapping_plates(a, b):
    return -80 < b["x"] - a["x"] < 80 and -100 < b["y"] - a["y"] < 100


def check_placed_plate(where, plate, y_range):
    check(plate["x"] == int(plate["x"]) and 0 <= plate["x"] <= SCREEN_W - 81,
          f"{where}: plate X {plate['x']} not whole in 0..{SCREEN_W - 81}")
    check(plate["y"] == int(plate["y"]) and y_range[0] <= plate["y"] <= y_range[1],
          f"{where}: plate Y {plate['y']} not whole in {y_range}")


def check_setup(where, setup):
    plates = setup["plates"]
    check(plates[0] == {"x": (SCREEN_W - 80) / 2, "y": 100}, f"{where}: plate 0")
    for i in range(1, 9):
        check_placed_plate(f"{where} plate {i}", plates[i], (-199, 400))
        # Placed in order: the later plates still stood at (0, 0).
        others = plates[:i] + [{"x": 0, "y": 0}] * (8 - i)
        for j, other in enumerate(others):
            check(not overlapping_plates(plates[i], other),
                  f"{where}: plate {i} placed too close to plate {j if j < i else j + 1}")
    check(all(e["x"] == -200 and not e["alive"] for e in setup["enemies"]), f"{where}: enemies")
    check(all(c == {"x": -100, "y": 0} for c in setup["coins"]), f"{where}: coins")
    check(setup["score"] == 0 and setup["hits"] == 0, f"{where}: score")


def check_frame(where, prev, line):
    W, H = SCREEN_W, SCREEN_H
    frame = line["frame"]
    check(line["tick"] == prev["tick"] + (1 if prev["frame"] > 0 else 0), f"{where}: tick")
    check(all(0 <= d < 1 for d in line["draws"]), f"{where}: draws in [0, 1)")

    # Plates: all sink 2.5 a frame; a re-placed one is checked as placed,
    # against the others as they stood when it was measured: lower indexes
    # after this frame's move, higher ones before it.
    for i, (old, new) in enumerate(zip(prev["plates"], line["plates"])):
        if new["y"] == old["y"] + 2.5:
            check(new["x"] == old["x"], f"{where}: plate {i} moved sideways")
            check(new["y"] <= H + 10, f"{where}: plate {i} below {H + 10} not placed again")
            continue
        check(old["y"] + 2.5 > H + 10, f"{where}: plate {i} placed again too early ({old})")
        check_placed_plate(f"{where} plate {i}", new, (-599, 0))
        for j in range(9):
            if j == i:
                continue
            other = line["plates"][j] if j < i else prev["plates"][j]
            check(not overlapping_plates(new, other),
                  f"{where}: plate {i} placed at {new} too close to plate {j} at {other}")
    for i in range(9):
        for j in range(i + 1, 9):
            a, b = line["plates"][i], line["plates"][j]
            check(abs(a["x"] - b["x"]) >= 80 or abs(a["y"] - b["y"]) >= 97.5,
                  f"{where}: plates {i} and {j} too close: {a} {b}")

    car = line["car"]
    check(0 <= car["x"] <= W - 34, f"{where}: the car passed a wall: {car}")
    if car["onPlate"]:
        plate = line["plates"][car["ridePlate"]]
        if plate["y"] >= car["y"]:  # its plate not placed again at the top
            check(car["y"] == plate["y"] - 16, f"{where}: the car stands off its plate")
        check(car["vy"] == 0, f"{where}: the car stands with speed")

    # Score and hits.
    gained = line["score"] - prev["score"]
    check(gained >= 0, f"{where}: the score fell from {prev['score']} to {line['score']}")
    bonus = gained - (1 if line["end"] in (None, "limit") else 0)
    check(bonus >= 0 and bonus % 100 == 0, f"{where}: score grew by {gained}")
    check(prev["hits"] <= line["hits"] <= prev["hits"] + 2, f"{where}: hits")
    check((line["end"] == "hits") == (line["hits"] > 3), f"{where}: ends on the fourth hit")
    if line["end"] == "fell":
        check(car["y"] > H + 50, f"{where}: fell at {car['y']}")
    elif line["end"] != "hits":
        check(car["y"] <= H + 50, f"{where}: should have fallen out at {car['y']}")
    check(line["mode"] == (2 if line["end"] in ("hits", "fell") else 1), f"{where}: mode")

    # Enemies: never two alive on one plate; an alive one stands on its plate.
    enemies = line["enemies"]
    if enemies[0]["alive"] and enemies[1]["alive"]:
        check(enemies[0]["plateNo"] != enemies[1]["plateNo"], f"{where}: two enemies on a plate")
    for n, e in enumerate(enemies):
        if not e["alive"]:
            continue
        plate = line["plates"][e["plateNo"]]
        check(plate["x"] <= e["x"] <= plate["x"] + 46, f"{where}: enemy {n} off its plate")
        if plate["y"] >= e["y"]:
            check(e["y"] == plate["y"] - 16, f"{where}: enemy {n} not standing on its plate")

    # Coins: sink 2.5 or are placed again above the top edge clear of plates.
    for k, (old, new) in enumerate(zip(prev["coins"], line["coins"])):
        if new == {"x": old["x"], "y": old["y"] + 2.5}:
            check(new["y"] <= H + 10, f"{where}: coin {k} below {H + 10} not placed again")
            continue
        check(new["x"] == int(new["x"]) and 0 <= new["x"] <= W - 11 and
              new["y"] == int(new["y"]) and -599 <= new["y"] <= 0,
              f"{where}: coin {k} placed at {new}")

    # Bullets: a flying one lies within 20 px of the playfield; a freed one
    # beyond it; a free slot rests where it was freed.
    for m, (old, new) in enumerate(zip(prev["bullets"], line["bullets"])):
        inside = -20 <= new["x"] <= W + 20 and -20 <= new["y"] <= H + 20
        if new["flying"]:
            check(inside, f"{where}: bullet {m} flying outside at {new}")
        elif old["flying"] or (new["x"], new["y"]) != (old["x"], old["y"]):
            check(not inside, f"{where}: bullet {m} freed inside the bounds at {new}")
    check(all(0 <= c <= 10 for c in line["fire"]["cooldown"]), f"{where}: cool-down range")

    # Nothing comes in before frame 165; in it all six coins and both
    # enemies get their first placement.
    if frame < 165:
        check(all(c == {"x": -100, "y": 2.5 * frame} for c in line["coins"]),
              f"{where}: coins before frame 165")
        check(all(e["x"] == -200 and e["y"] == 2.5 * frame and not e["alive"] for e in enemies),
              f"{where}: enemies before frame 165")
    elif frame == 165:
        check(all(c["x"] != -100 for c in line["coins"]), f"{where}: coins placed in 165")
        # Placed, left waiting below the bottom after a try on a plate in view,
        # or parked above the top after a conflict with the other enemy.
        check(all(e["alive"] or e["y"] == 412.5 or (e["x"] == -200 and e["y"] <= -16)
                  for e in enemies), f"{where}: enemies placed or left waiting in 165: {enemies}")
        if enemies[0]["alive"]:
            check(enemies[0]["plateNo"] != 0, f"{where}: enemy 0 on plate 0 at its first placement")


def check_trace(lines, label):
    games = games_of(lines)
    for g, game in enumerate(games, 1):
        check_setup(f"{label} game {g} set-up", game[0])
        for prev, line in zip(game, game[1:]):
            check_frame(f"{label} game {g} frame {line['frame']}", prev, line)
        check(game[-1]["end"] is not None, f"{label} game {g}: no end")
    return sum(len(game) - 1 for game in games)


def case_invariants():
    total = 0
    runs = [
        ["--seed", "1", "--pilot", "1", "--max-frames", "4000"],
        ["--seed", "2", "--pilot", "7", "--bot", "3", "--max-frames", "3000"],
        ["--seed", "5", "--pilot", "4", "--games", "2", "--max-frames", "2500"],
        ["--seed", "9", "--bot", "8", "--games", "10"],
    ]
    for args in runs:
        lines, _ = trace(args)
        total += check_trace(lines, " ".join(args))
    print(f"checked {total} frames")
    check(total >= 8000, f"only {total} frames checked")


def case_pilot_plays_long_games():
    # The pilot is meant to keep a game going long enough for enemies, coins,
    # bullets and hits to happen: check that they all do over a few games.
    lines, err = trace(["--seed", "21", "--pilot", "21", "--games", "4", "--max-frames", "6000"])
    games = games_of(lines)
    lengths = [len(g) - 1 for g in games]
    check(sum(lengths) / len(lengths) > 1000, f"pilot games too short: {lengths}")
    check(any(line["hits"] > 0 for line in lines), "no enemy ever touched the car")
    check(any(any(e["alive"] for e in line["enemies"]) for line in lines), "no enemy placed")
    check(any(b["flying"] for line in lines for b in line["bullets"]), "no bullet flew")
    coin_or_shot = False
    for g in games:
        for prev, line in zip(g, g[1:]):
            if line["score"] - prev["score"] >= 100:
                coin_or_shot = True
    check(coin_or_shot, "no coin collected and no enemy shot")


CASES = {name[len("case_"):]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    global SIM
    if len(sys.argv) < 3 or any(c not in CASES for c in sys.argv[2:]):
        print(__doc__ + "cases: " + " ".join(sorted(CASES)), file=sys.stderr)
        return 2
    SIM = sys.argv[1]
    for name in sys.argv[2:]:
        try:
            CASES[name]()
        except Failure as failure:
            print(f"FAIL {name}: {failure}", file=sys.stderr)
            return 1
        print(f"ok {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
