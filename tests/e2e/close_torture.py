#!/usr/bin/env python3
"""Closing the real window at random moments: on the title screen, right
after start-up, during the set-up of a game, during play, on the game-over
screen and while the input-method message box is open. Every time the program
must end with status 0 within a second of the close, print nothing, and leave
the high-score file exactly as it was, unless the game had already ended with
a record, which is then in the file. Usage:
close_torture.py GAME voltaro5-e2e-frames voltaro5-e2e-x [RUNS [SEED]]"""

import argparse
import collections
import os
import random
import shutil
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import CAPTION, Failure, Game, XServer, check, wait_for  # noqa
from e2e_test import Pictures, start_play, wait_game_over, wait_title  # noqa

STORED = 3
INI = b"; kept as it is\r\n[Other]\r\nKey=1\r\n\r\n[VOLTARO ZIP 5]\r\nHighScore=3\r\n[Last]\r\nX=2"
# How often each moment comes up; the game-over screen takes seconds to reach.
STAGES = {"start": 3, "title": 3, "setup": 3, "play": 5, "ime_title": 2, "ime_play": 2,
          "game_over": 2}


def with_record(score):
    return INI.replace(b"HighScore=3\r\n", b"HighScore=%d\r\n" % score)


def open_ime_box(x, game):
    """Presses the input-method key and waits for the game's message box."""
    before = {window[0] for window in x.top_level_windows()}
    game.key("101")  # Katakana/Hiragana: a key input methods take
    wait_for("the input-method message box", lambda: any(
        id not in before and name == CAPTION and x.is_viewable(id)
        for id, name, _ in x.top_level_windows()), 3.0)


def wait_ended(game, timeout):
    try:
        game.wait_exit(timeout)
        return True
    except Failure:
        return False


def close_at(stage, args, x, pictures, rng):
    """One game closed at `stage`; returns the seconds from the close to its end."""
    with Game(x, args.game, ini=INI) as game:
        game.find_window()
        expected = INI
        if stage == "start":
            time.sleep(rng.uniform(0, 0.2))
        elif stage == "title":
            wait_title(game, pictures, STORED)
            time.sleep(rng.uniform(0, 1.0))
        elif stage == "setup":
            wait_title(game, pictures, STORED)
            game.key("Return")
        elif stage == "play":
            start_play(game, pictures, STORED)
            time.sleep(rng.uniform(0, 3.0))  # a game without keys lasts over 4 s
        elif stage == "ime_title":
            wait_title(game, pictures, STORED)
            open_ime_box(x, game)
        elif stage == "ime_play":
            start_play(game, pictures, STORED)
            time.sleep(rng.uniform(0, 1.5))
            open_ime_box(x, game)
        elif stage == "game_over":
            start_play(game, pictures, STORED)
            score, new_record = wait_game_over(game, pictures)
            check(new_record and score > STORED, f"game over with {score}, no record")
            expected = with_record(score)
            time.sleep(rng.uniform(0, 0.5))
        check(game.alive(), f"the game ended before the close: {game.stderr_text()}")
        x.run(args.x_client, "close", str(game.window))
        closed = time.monotonic()
        try:
            status = game.wait_exit(1.0)
        except Failure:
            # Still running: say whether it would end once the box is gone.
            boxes = [id for id, name, program in x.top_level_windows()
                     if name == CAPTION and not program and x.is_viewable(id)]
            for box in boxes:
                game.key("Return", window=box)
            after = "" if not boxes else " (with the input-method box open; " + (
                "it ended once the box was dismissed)" if wait_ended(game, 3.0)
                else "it went on after the box was dismissed)")
            raise Failure(f"the program did not end within a second of the close{after}")
        took = time.monotonic() - closed
        check(status == 0 and not game.stderr_text(),
              f"{stage}: status {status}, stderr {game.stderr_text()!r}")
        check(took <= 1.0, f"{stage}: the program took {took:.2f} s to end after the close")
        check(game.ini_bytes() == expected, f"{stage}: the file is now {game.ini_bytes()!r}")
        files = sorted(os.listdir(game.dir))
        # A finished game is kept as a replay beside the best score.
        replays = ["best.v5replay", "last.v5replay"] if stage == "game_over" else []
        check(files == sorted(["Voltaro5.ini", "stderr.txt", "voltaro5"] + replays),
              f"{stage}: files left {files}")
        return took


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("game", "frames", "x_client"):
        parser.add_argument(name)
    parser.add_argument("runs", nargs="?", type=int, default=200)
    parser.add_argument("seed", nargs="?", type=int, default=int(time.time()))
    args = parser.parse_args()
    rng = random.Random(args.seed)
    pictures = Pictures(args.frames)
    plan = [s for s, weight in STAGES.items() for _ in range(weight)]
    done = collections.Counter()
    failures = []
    slowest = 0.0
    started = time.monotonic()
    try:
        for run in range(args.runs):
            stage = rng.choice(plan)
            done[stage] += 1
            # A server of its own for each close, so that no close sees what
            # an earlier one left behind.
            with XServer() as x:
                try:
                    slowest = max(slowest, close_at(stage, args, x, pictures, rng))
                except Failure as failure:
                    failures.append(f"close {run + 1} at {stage}: {failure}")
                    print(f"FAIL {failures[-1]}", flush=True)
    finally:
        shutil.rmtree(pictures.dir, ignore_errors=True)
    print(f"{args.runs} closes (seed {args.seed}) in {time.monotonic() - started:.0f} s, "
          f"slowest end {slowest:.3f} s after the close: "
          + ", ".join(f"{stage} {n}" for stage, n in sorted(done.items())))
    failed = collections.Counter(f.split(" at ")[1].split(":")[0] for f in failures)
    if failures:
        print("FAIL " + ", ".join(f"{stage} {n} of {done[stage]}" for stage, n in
                                  sorted(failed.items())))
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
