#!/usr/bin/env python3
"""End-to-end tests of VOLTARO ZIP 5: the real program in a real X window
under its own Xvfb, driven with xdotool, checked by screenshots against the
pictures the game's own drawing code makes (voltaro5-e2e-frames) and by the
bytes of the high-score file.

    e2e_test.py --game voltaro5 --frames voltaro5-e2e-frames \\
                --close voltaro5-e2e-close --ime-game voltaro5-e2e-ime \\
                --busy voltaro5-e2e-busy CASE

CASE is one of the functions named in CASES below; "all" runs every one.
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import (CAPTION, HEIGHT, WIDTH, Failure, Game, XServer,  # noqa: E402
                      check, wait_for, write_ppm, read_ppm)

# A play frame lasts 30 ms; two screenshots this far apart lie in different
# frames even when the clock or the capture is a little late.
FRAME_GAP = 0.045
# The range of scores searched when reading a game-over or title screen.
MAX_PLAIN_SCORE = 100000
# Where a game without keys keeps the car: centred on the playfield.
CAR_X = (WIDTH - 34) // 2
# The status lines cover the bottom 30 rows; a plate there may be hidden.
STATUS_TOP = HEIGHT - 30


class Pictures:
    """The expected pictures, drawn by the game's own code."""

    def __init__(self, frames_exe):
        self.exe = frames_exe
        self.dir = tempfile.mkdtemp(prefix="voltaro5-e2e-frames-")
        self.cache = {}

    def expected(self, screen, number, flag):
        key = (screen, number, flag)
        if key not in self.cache:
            path = os.path.join(self.dir, f"{screen}-{number}-{int(flag)}.ppm")
            run_checked([self.exe, "write", screen, str(number), str(int(flag)), path])
            width, height, rgb = read_ppm(path)
            check((width, height) == (WIDTH, HEIGHT),
                  f"expected {screen} picture is {width} x {height}")
            self.cache[key] = rgb
        return self.cache[key]

    def title_phase(self, shot, hi_score):
        """True or False for a title frame with or without the prompt; None
        when the shot is no title frame for this best score."""
        for prompt in (True, False):
            if shot == self.expected("title", hi_score, prompt):
                return prompt
        return None

    def find(self, screen, shot, low, high):
        """(number, flag) of the picture of `screen` equal to the shot, or None."""
        path = os.path.join(self.dir, "shot.ppm")
        write_ppm(path, WIDTH, HEIGHT, shot)
        result = subprocess.run([self.exe, "find", screen, path, str(low), str(high)],
                                capture_output=True, text=True, timeout=30)
        if result.returncode == 1:
            return None
        if result.returncode != 0:
            raise Failure(f"voltaro5-e2e-frames find failed: {result.stderr.strip()}")
        number, flag = result.stdout.split()
        return int(number), flag == "1"

    def locate(self, shot):
        """The cars, whole plates and bullets standing in a play screenshot:
        lists of (x, y) top-left corners under "car", "plate", "bulletL",
        "bulletR" and "bulletU"."""
        path = os.path.join(self.dir, "play.ppm")
        write_ppm(path, WIDTH, HEIGHT, shot)
        found = {kind: [] for kind in ("car", "plate", "bulletL", "bulletR", "bulletU")}
        for line in run_checked([self.exe, "locate", path]).splitlines():
            kind, x_text, y_text = line.split()
            found[kind].append((int(x_text), int(y_text)))
        return found


def run_checked(args):
    result = subprocess.run(args, capture_output=True, text=True, timeout=30)
    if result.returncode != 0:
        raise Failure(f"{' '.join(args)} failed ({result.returncode}): {result.stderr.strip()}")
    return result.stdout


def wait_title(game, pictures, hi_score, timeout=3.0):
    """Waits for a title frame showing `hi_score`; returns the shot."""
    last = {}

    def probe():
        last["shot"] = game.screenshot()
        return pictures.title_phase(last["shot"], hi_score) is not None
    try:
        wait_for(f"the title screen with best score {hi_score}", probe, timeout)
    except Failure:
        found = pictures.find("title", last["shot"], -MAX_PLAIN_SCORE, MAX_PLAIN_SCORE)
        saved = game.save(last["shot"], "not-title")
        shows = (f"the title frame for best score {found[0]}" if found
                 else f"something else ({saved})")
        raise Failure(f"expected the title frame for best score {hi_score}, the window "
                      f"shows {shows}")
    return last["shot"]


def start_play(game, pictures, hi_score):
    """Presses Enter on the title screen and waits for the first play frame."""
    wait_title(game, pictures, hi_score)
    game.key("Return")

    def play_frame():
        shot = game.screenshot()
        return shot if pictures.title_phase(shot, hi_score) is None else None
    return wait_for("the first play frame after Enter", play_frame, 3.0)


def wait_game_over(game, pictures, timeout=15.0):
    """Waits until the picture stops changing, then reads the game-over screen:
    returns (score, new record shown)."""
    previous = [game.screenshot(), time.monotonic()]

    def still():
        check(game.alive(), f"the game ended with status {game.process.returncode} "
                            f"during play: {game.stderr_text()}")
        shot = game.screenshot()
        now = time.monotonic()
        if shot != previous[0]:
            previous[:] = [shot, now]
            return None
        # Play redraws every 30 ms: a picture unchanged for 10 frames is a
        # screen that is drawn once.
        return shot if now - previous[1] > 0.3 else None
    shot = wait_for("the picture to settle on the game-over screen", still, timeout, 0.05)
    found = pictures.find("gameover", shot, -MAX_PLAIN_SCORE, MAX_PLAIN_SCORE)
    if found is None:
        raise Failure("the settled picture is no game-over screen for any score from "
                      f"{-MAX_PLAIN_SCORE} to {MAX_PLAIN_SCORE}: {game.save(shot, 'settled')}")
    return found


def watch_play(game, pictures, first):
    """Screenshots more than a frame apart until the game-over screen: every
    one must differ from the one before, since each play frame moves the
    plates and counts a point. Returns (car, plates) of each play shot."""
    samples = []
    previous = first
    late = 0
    while True:
        found = pictures.locate(previous)
        samples.append((found["car"], found["plate"]))
        time.sleep(FRAME_GAP)
        shot = game.screenshot()
        if shot == previous:
            if pictures.find("gameover", shot, -MAX_PLAIN_SCORE, MAX_PLAIN_SCORE):
                return samples[:-1]  # the last one is the game-over screen
            # A loaded machine may hold a frame back once in a while; a game
            # that skips drawing frames shows it again and again.
            late += 1
            check(late <= 2, f"{late} pairs of play screenshots more than a frame apart are "
                             f"equal: {game.save(shot, 'still')}")
        check(len(samples) < 400, "play went on for more than 18 s without a key")
        previous = shot


def check_every_frame_shown(game, pictures, seconds=0.6):
    """Screenshots as fast as they come: between two different pictures in a
    row the plates should mostly have sunk by one frame's 2.5 pixels (2 or 3
    after rounding). A game that shows only some of its frames never shows a
    one-frame step."""
    shots = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        shot = game.screenshot()
        if not shots or shot != shots[-1]:
            shots.append(shot)
    steps = []
    previous = None
    for shot in shots:
        plates = pictures.locate(shot)["plate"]
        if previous is not None:
            columns = dict(previous)
            moves = sorted(y - columns[x] for x, y in plates if x in columns)
            if moves:
                steps.append(moves[len(moves) // 2])
        previous = plates
    single = sum(1 for step in steps if step in (2, 3))
    check(len(steps) >= 5, f"only {len(steps) + 1} different pictures in {seconds} s of play")
    check(2 * single >= len(steps),
          f"plates sank by {steps} pixels between pictures in a row: frames were skipped")


def check_plain_ride(samples):
    """Without a key the car drops straight down, lands on the first plate in
    its way (the starting plate, unless another one lies across the top of the
    shaft), rides it down without moving sideways, and leaves at the bottom.
    Returns the ridden plate's x."""
    check(all(len(cars) <= 1 for cars, _ in samples), "more than one car on the screen")
    cars = [cars[0] if cars else None for cars, _ in samples]
    check(all(car[0] == CAR_X for car in cars if car is not None),
          f"the car moved sideways without a key: {[car for car in cars if car]}")

    def ridden_plate(car, plates):
        # The car's bottom on a plate's top, its centre within the plate.
        return next((x for x, y in plates if y == car[1] + 16 and -63 <= x - car[0] <= 17),
                    None)
    standing = [ridden_plate(car, plates) if car else None
                for car, (_, plates) in zip(cars, samples)]
    landed = next((i for i, x in enumerate(standing) if x is not None), None)
    check(landed is not None, f"the car was never seen standing on a plate: {cars}")
    plate_x = standing[landed]
    for i in range(landed, len(samples)):
        car = cars[i]
        if car is None:
            continue
        # A plate under the status lines may be hidden by their glyphs.
        if car[1] + 16 + 10 <= STATUS_TOP:
            check(standing[i] == plate_x, f"the car at y {car[1]} is off the plate at x "
                                          f"{plate_x} after landing on it")
        check(i == landed or cars[i - 1] is None or car[1] >= cars[i - 1][1],
              f"the car rose while riding a plate: {cars[i - 1]} then {car}")
    last_car = max(i for i, car in enumerate(cars) if car is not None)
    check(last_car > landed and last_car < len(samples) - 1,
          "the game ended before the car had left the bottom of the playfield")
    check(cars[last_car][1] > STATUS_TOP, f"the car vanished at y {cars[last_car][1]}")
    return plate_x


def watch_blink(game, pictures, hi_score):
    """Watches the title screen until the prompt has been seen on and off,
    every screenshot one of the two title frames drawn by the game's code."""
    phases = set()
    deadline = time.monotonic() + 2.5
    while phases != {True, False}:
        check(time.monotonic() < deadline,
              f"saw only prompt phases {phases} in 2.5 s of title screen")
        shot = game.screenshot()
        phase = pictures.title_phase(shot, hi_score)
        check(phase is not None,
              f"a title frame differs from the drawn one: {game.save(shot, 'title')}")
        phases.add(phase)
        time.sleep(0.02)


def ini_lines(game):
    data = game.ini_bytes()
    check(data is not None, f"{game.ini_path} does not exist")
    text = data.decode()
    check(re.fullmatch(r"([^\r\n]*\r?\n)*[^\r\n]*", text) is not None, "odd line ends")
    return text.splitlines()


# ---------------------------------------------------------------------------
# The cases


def case_window(args, x, pictures):
    """Caption, client size, icon; no file is written at start-up."""
    with Game(x, args.game) as game:
        window = game.find_window()
        check(x.run("xdotool", "getwindowname", str(window)).strip() == CAPTION,
              "window caption")
        info = x.run("xwininfo", "-id", str(window))
        size = (int(re.search(r"Width: (\d+)", info).group(1)),
                int(re.search(r"Height: (\d+)", info).group(1)))
        check(size == (WIDTH, HEIGHT), f"client area is {size}, expected {(WIDTH, HEIGHT)}")
        # The caption also in the modern UTF-8 property, which panels show.
        net_name = x.run("xprop", "-id", str(window), "_NET_WM_NAME")
        check(f'"{CAPTION}"' in net_name, f"_NET_WM_NAME is {net_name.strip()}")
        icon = x.run("xprop", "-id", str(window), "-notype", "_NET_WM_ICON")
        check("Icon (32 x 32)" in icon, "the window has no 32 x 32 icon")
        check("Icon (16 x 16)" in icon, "the window has no 16 x 16 icon")
        wait_title(game, pictures, 0)
        check(game.ini_bytes() is None, "start-up created the high-score file")
        check(game.alive(), "the game ended on its own")


def case_title_screen(args, x, pictures):
    """The title screen is the game's own title frame for the stored best
    score, and the prompt blinks off in one frame and back on."""
    table = [
        # (file text, best score shown)
        (None, 0),
        ("[VOLTARO ZIP 5]\nHighScore=4321\n", 4321),
        ("[Other]\nHighScore=7\n\n[VOLTARO ZIP 5]\r\nHighScore=-5\r\n", -5),
        ("[VOLTARO ZIP 5]\nHighScore= 12.7 \n", 12),
        ("[VOLTARO ZIP 5]\nHighScore=2147483647\n", 2147483647),
    ]
    for ini, shown in table:
        with Game(x, args.game, ini=ini) as game:
            game.find_window()
            wait_title(game, pictures, shown)
            if shown == 0:
                watch_blink(game, pictures, shown)
            check(game.ini_bytes() == (ini.encode() if ini is not None else None),
                  "start-up changed the high-score file")


def case_play_to_game_over(args, x, pictures):
    """Enter starts play, every frame differs from the last, the car rides a
    plate out of the bottom, the game-over screen shows the score,
    the file stores it, and the title screen shows it; a second game stores
    only a better score; Enter held on the game-over screen starts a third,
    and closing the window during it leaves the file alone."""
    with Game(x, args.game) as game:
        game.find_window()
        first = start_play(game, pictures, 0)
        check_every_frame_shown(game, pictures)
        check_plain_ride(watch_play(game, pictures, game.screenshot()))
        score, new_record = wait_game_over(game, pictures)
        check(score > 0, f"game-over score is {score}")
        check(new_record, "the first score above 0 is not shown as a new best score")
        check(ini_lines(game) == ["[VOLTARO ZIP 5]", f"HighScore={score}"],
              f"high-score file holds {game.ini_bytes()!r}, expected score {score}")

        # Back to the title screen, which shows the new best score.
        game.key("Return")
        wait_title(game, pictures, score)

        # A second game: the file changes only for a strictly better score.
        stored = game.ini_bytes()
        start_play(game, pictures, score)
        second, second_record = wait_game_over(game, pictures)
        check(second_record == (second > score),
              f"second score {second} after best {score}: new-record line shown is "
              f"{second_record}")
        expected = (f"[VOLTARO ZIP 5]\nHighScore={second}\n".encode() if second > score
                    else stored)
        check(ini_lines(game) == expected.decode().splitlines(),
              f"after the second game the file holds {game.ini_bytes()!r}")

        # Enter held down on the game-over screen: the press goes back to the
        # title screen and the key's repeat alone starts the next game.
        best = max(score, second)
        over = game.screenshot()
        game.focus()
        x.run("xdotool", "keydown", "Return")
        try:
            def playing():
                shot = game.screenshot()
                return shot != over and pictures.title_phase(shot, best) is None
            wait_for("play started by Enter's key repeat", playing, 3.0)
        finally:
            x.run("xdotool", "keyup", "Return")

        # Closed during that game: status 0 and the file as the last game left it.
        stored = game.ini_bytes()
        x.run(args.close, str(game.window))
        status = game.wait_exit(3.0)
        check(status == 0, f"closing during play: exit status {status}, "
                           f"stderr {game.stderr_text()!r}")
        check(game.ini_bytes() == stored, "closing during play changed the file")


def play_shot(game, pictures):
    """The car (or None), the plates and the bullets above the status lines
    (whose glyphs hold strokes shaped like bullets) of a play screenshot."""
    found = pictures.locate(game.screenshot())
    check(len(found["car"]) <= 1, f"more than one car: {found['car']}")
    found["car"] = found["car"][0] if found["car"] else None
    for kind in ("bulletL", "bulletR", "bulletU"):
        found[kind] = [(x, y) for x, y in found[kind] if y + 9 <= STATUS_TOP]
    return found


def case_keys_reach_the_game(args, x, pictures):
    """The game's keys from the X keyboard: Enter during play does not start
    the game again, Up jumps from a plate, Z, V and D fire to the left, the right and
    upward, and Right and Left steer."""
    with Game(x, args.game) as game:
        game.find_window()
        start_play(game, pictures, 0)

        # Ridden down far enough that the top of a jump (175.5 pixels up)
        # stays on the screen.
        def low_on_plate():
            found = play_shot(game, pictures)
            car = found["car"]
            return (car and car[1] >= 190 and
                    any(y == car[1] + 16 and -63 <= px - car[0] <= 17
                        for px, y in found["plate"]) and car)
        car = wait_for("the car to ride a plate down to y 190", low_on_plate, 5.0)
        game.key("Return")
        time.sleep(FRAME_GAP)
        after = play_shot(game, pictures)["car"]
        check(after is not None and after[1] >= car[1],
              f"Enter during play moved the car from {car} to {after}")
        car = after
        game.key("Up")

        def risen():
            now = play_shot(game, pictures)["car"]
            return now is not None and now[1] < car[1] - 8
        wait_for("the car to jump", risen, 1.0)

        for key, kind, where in (
                ("z", "bulletL", lambda b, c: b[0] < c[0]),
                ("v", "bulletR", lambda b, c: b[0] > c[0] + 17),
                ("d", "bulletU", lambda b, c: b[1] < c[1])):
            def fired():
                found = play_shot(game, pictures)
                return found["car"] and any(where(b, found["car"]) for b in found[kind])
            # A bullet that hits an enemy at once may be gone before a
            # screenshot sees it: a few presses, each after the cool-down.
            for attempt in range(3):
                game.key(key)
                try:
                    wait_for(f"a {kind} bullet after {key}", fired, 0.6)
                    break
                except Failure:
                    if attempt == 2:
                        raise

        # Steering: held Right speeds the car up to the right, then held Left
        # turns it round (no friction: it keeps its speed in between).
        for key, sign, held in (("Right", 1, 0.1), ("Left", -1, 0.2)):
            game.focus()
            x.run("xdotool", "keydown", key)
            time.sleep(held)
            x.run("xdotool", "keyup", key)
            cars = []

            def moving_that_way():
                car = play_shot(game, pictures)["car"]
                check(car is not None, "the car left the screen while steering")
                cars.append(car[0])
                return len(cars) >= 2 and (cars[-1] - cars[-2]) * sign > 0
            wait_for(f"the car to move {key.lower()}", moving_that_way, 1.0)
        check(game.alive(), "the game ended")
        check(game.ini_bytes() is None, "a file was written during play")


def case_close_during_play(args, x, pictures):
    """Closing the window ends the program with status 0 wherever it stands;
    a game in progress stores nothing, whatever its score."""
    ini = b"; kept as it is\n[Other]\nKey=1\n\n[VOLTARO ZIP 5]\nHighScore=3\n"
    for scene in ("title", "play"):
        with Game(x, args.game, ini=ini) as game:
            window = game.find_window()
            wait_title(game, pictures, 3)
            if scene == "play":
                start_play(game, pictures, 3)
                # A score above the stored 3 (one point a frame).
                time.sleep(0.5)
                check(game.alive(), "the game ended during play")
            x.run(args.close, str(window))
            status = game.wait_exit(3.0)
            check(status == 0, f"closing during {scene}: exit status {status}, "
                               f"stderr {game.stderr_text()!r}")
            check(game.ini_bytes() == ini,
                  f"closing during {scene} changed the file to {game.ini_bytes()!r}")
            leftovers = sorted(set(os.listdir(game.dir)) -
                               {os.path.basename(game.exe), "Voltaro5.ini", "stdout.txt",
                                "stderr.txt"})
            check(not leftovers, f"files left beside the game: {leftovers}")


def case_close_under_load(args, x, pictures):
    """The close ends the program with status 0 and not a word on stderr also
    while the X server is busy with other programs' requests, tried several
    times: whatever the program still asks of the server on its way out must
    not be about the window it has just destroyed."""
    busy = [subprocess.Popen([args.busy, "30"], env=x.env()) for _ in range(3)]
    try:
        for attempt in range(1, 11):
            with Game(x, args.game, keep_on_failure=False) as game:
                window = game.find_window()
                start_play(game, pictures, 0)
                x.run(args.close, str(window))
                status = game.wait_exit(5.0)
                errors = game.stderr_text()
                check(status == 0 and not errors,
                      f"close {attempt} during play under load: exit status {status}, "
                      f"stderr {errors!r}")
    finally:
        for process in busy:
            process.kill()
            process.wait()


def case_no_display(args, x, pictures):
    """Started where there is no display: a clear message and status 1
    straight away, no window to wait for and no file written."""
    directory = tempfile.mkdtemp(prefix="voltaro5-e2e-")
    try:
        exe = os.path.join(directory, "voltaro5")
        shutil.copy2(args.game, exe)
        env = {k: v for k, v in os.environ.items()
               if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        try:
            result = subprocess.run([exe], env=env, cwd=directory, capture_output=True,
                                    text=True, timeout=10)
        except subprocess.TimeoutExpired:
            raise Failure("without a display the game did not end within 10 s")
        check(result.returncode == 1, f"exit status {result.returncode} without a display")
        ours = [line for line in result.stderr.splitlines() if line.startswith("voltaro5:")]
        check(len(ours) == 1 and "display" in ours[0].lower(),
              f"expected one message about the display, got {result.stderr!r}")
        check(sorted(os.listdir(directory)) == ["voltaro5"],
              f"files written without a display: {os.listdir(directory)}")
    finally:
        shutil.rmtree(directory, ignore_errors=True)


def case_malformed_high_score_file(args, x, pictures):
    """A high-score file the game cannot use: it still starts, with best score
    0, a warning on stderr naming the file, and the file left alone."""
    table = [
        "[VOLTARO ZIP 5]\nHighScore=abc\n",
        "[VOLTARO ZIP 5]\nHighScore=\n",
        "[VOLTARO ZIP 5]\nHighScore=99999999999\n",
        b"[VOLTARO ZIP 5]\nHighScore=\xff\xfe\x00\x01\n",
    ]
    for ini in table:
        data = ini.encode() if isinstance(ini, str) else ini
        with Game(x, args.game, ini=data) as game:
            game.find_window()
            wait_title(game, pictures, 0)
            warning = game.stderr_text()
            check("Voltaro5.ini" in warning, f"for {data!r} the warning is {warning!r}")
            check(len(warning.strip().splitlines()) == 1,
                  f"for {data!r} expected one warning line, got {warning!r}")
            check(game.ini_bytes() == data, "start-up changed the malformed file")
            check(game.alive(), "the game ended")


# The X key code of the Katakana/Hiragana key of a Japanese keyboard (the
# Linux input code 93 plus 8), a key that an input method takes.
KATAKANA_HIRAGANA_KEYCODE = "101"


def press_input_method_key(game):
    game.key(KATAKANA_HIRAGANA_KEYCODE)


def compose_with_input_method(game):
    game.process.stdin.write(b"ime\n")
    game.process.stdin.flush()


def open_and_dismiss_ime_box(x, game, trigger):
    """Calls trigger(game) to give the game the input-method key, checks the
    message box that comes up and that the game stands still under it, then
    dismisses it with Return."""
    before = {w.id for w in x.top_level_windows()}
    trigger(game)

    def box():
        check(game.alive(), f"the game ended: {game.stderr_text()}")
        new = [w for w in x.top_level_windows() if w.id not in before and x.is_viewable(w.id)]
        return new[0] if new else None
    box_id = wait_for("the message box", box, 3.0).id
    # The box may be mapped a moment before its caption is set.
    names = []

    def captioned():
        names[:] = [w for w in x.top_level_windows() if w.id == box_id]
        return names and names[0].name == CAPTION
    try:
        wait_for("the message box's caption", captioned, 2.0)
    except Failure:
        raise Failure(f"message box caption is {names[0].name if names else None!r}, "
                      f"expected {CAPTION!r}")
    check(names[0].width > 0 and names[0].height > 0, "the message box has no size")
    transient = x.run("xprop", "-id", str(box_id), "WM_TRANSIENT_FOR")
    check(f"{game.window:#x}" in transient,
          f"the message box does not belong to the game's window: {transient.strip()}")

    # The game waits for the box: its picture stays as it is.
    frozen = game.screenshot()
    time.sleep(0.25)
    check(game.screenshot() == frozen, "the game went on while the message box was open")

    game.key("Return", window=box_id)
    wait_for("the message box to close", lambda: not x.is_viewable(box_id), 3.0)


def wait_play_moving(game):
    """Waits for play to go on: two screenshots a frame apart that differ."""
    shots = [game.screenshot()]

    def moving():
        time.sleep(FRAME_GAP)
        shots.append(game.screenshot())
        return shots[-1] != shots[-2]
    wait_for("play to go on after the message box", moving, 3.0, 0)


def case_input_method_key(args, x, pictures):
    """The input-method key (Katakana/Hiragana) brings up the message box, on
    the title screen and during play; the game stands still under it, and goes on
    where it stood once Return dismisses it (that Return reaches only the
    box, so it does not start a game). Closing the window on the game-over
    screen keeps the record just written."""
    with Game(x, args.game) as game:
        game.find_window()
        wait_title(game, pictures, 0)
        open_and_dismiss_ime_box(x, game, press_input_method_key)
        # Still the title screen, blinking: that Return did not start a game.
        watch_blink(game, pictures, 0)

        start_play(game, pictures, 0)
        open_and_dismiss_ime_box(x, game, press_input_method_key)
        wait_play_moving(game)

        # The game plays on to its end; closing the window on the game-over
        # screen ends the program and keeps the record just written.
        score, new_record = wait_game_over(game, pictures)
        check(new_record and score > 0, f"game-over screen: score {score}, record {new_record}")
        stored = game.ini_bytes()
        check(ini_lines(game) == ["[VOLTARO ZIP 5]", f"HighScore={score}"],
              f"high-score file holds {stored!r}, expected score {score}")
        x.run(args.close, str(game.window))
        status = game.wait_exit(3.0)
        check(status == 0, f"closing on the game-over screen: exit status {status}, "
                           f"stderr {game.stderr_text()!r}")
        check(game.ini_bytes() == stored, "closing on the game-over screen changed the file")


def case_input_method_composing(args, x, pictures):
    """An input method that starts composing text during play is taken as the
    input-method key too: the message box, and play goes on after it. (No
    input method runs under Xvfb, so a copy of the game with the same window
    and scenes receives the composing event in its event queue.)"""
    with Game(x, args.ime_game, stdin=subprocess.PIPE) as game:
        game.find_window()
        start_play(game, pictures, 0)
        open_and_dismiss_ime_box(x, game, compose_with_input_method)
        wait_play_moving(game)


CASES = {name[len("case_"):]: fn for name, fn in globals().items()
         if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--game", required=True)
    parser.add_argument("--frames", required=True)
    parser.add_argument("--close", required=True)
    parser.add_argument("--ime-game", required=True)
    parser.add_argument("--busy", required=True)
    parser.add_argument("case", choices=sorted(CASES) + ["all"])
    args = parser.parse_args()
    names = sorted(CASES) if args.case == "all" else [args.case]
    pictures = Pictures(args.frames)
    failed = []
    try:
        for name in names:
            started = time.monotonic()
            try:
                with XServer() as x:
                    CASES[name](args, x, pictures)
                print(f"PASS {name} ({time.monotonic() - started:.1f} s)")
            except Failure as failure:
                print(f"FAIL {name}: {failure}")
                failed.append(name)
    finally:
        shutil.rmtree(pictures.dir, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
