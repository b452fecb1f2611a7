#!/usr/bin/env python3
"""End-to-end tests of VOLTARO ZIP 5: the real program in a real X window under
its own Xvfb, driven with xdotool, checked by screenshots against the pictures
the game's own drawing code makes and by the bytes of the high-score file.
Usage: e2e_test.py GAME voltaro5-e2e-frames voltaro5-e2e-x CASE"""

import argparse
import collections
import contextlib
import os
import pathlib
import random
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from xsession import CAPTION, HEIGHT, WIDTH, Failure, Game, XServer, check, wait_for  # noqa

SCORES = (-100000, 100000)  # searched when reading the score off a screen
CAR_X = (WIDTH - 34) // 2  # where the car stays without a key
STATUS_TOP = HEIGHT - 30  # the status lines, which may hide what lies under them
INI = "[VOLTARO ZIP 5]\nHighScore={}\n"
REPLAY_CAPTION = "Replay - " + CAPTION  # the window's title while a replay plays


class Pictures:
    """The game's own pictures and sprite places, from voltaro5-e2e-frames."""

    def __init__(self, exe):
        self.exe = exe
        self.dir = tempfile.mkdtemp(prefix="voltaro5-e2e-frames-")
        self.titles = {}

    def run(self, *args):  # the output; None for status 1, nothing found
        result = subprocess.run([self.exe, *map(str, args)], capture_output=True, timeout=60)
        check(result.returncode in (0, 1), f"voltaro5-e2e-frames {args}: {result.stderr!r}")
        return result.stdout if result.returncode == 0 else None

    def files(self, shots):
        for i, shot in enumerate(shots):
            with open(os.path.join(self.dir, f"{i}.rgb"), "wb") as f:
                f.write(shot)
            yield f.name

    def title_phase(self, shot, hi_score):
        """True or False for the title frame with or without the prompt, else None."""
        for prompt in (True, False):
            if (hi_score, prompt) not in self.titles:
                self.titles[hi_score, prompt] = self.run("write", "title", hi_score, int(prompt))
            if shot == self.titles[hi_score, prompt]:
                return prompt
        return None

    def find(self, screen, shot):  # (number, flag) of the picture equal to the shot
        out = self.run("find", screen, *self.files([shot]), *SCORES)
        return out and tuple(int(word) for word in out.split())

    def locate(self, shots):  # for each shot, {sprite: [(x, y) where it stands]}
        found = [collections.defaultdict(list) for _ in shots]
        for line in self.run("locate", *self.files(shots)).decode().splitlines():
            index, sprite, x, y = line.split()
            found[int(index)][sprite].append((int(x), int(y)))
        return found


def wait_title(game, pictures, hi_score):
    shot = [None]

    def title():
        shot[0] = game.screenshot()
        return pictures.title_phase(shot[0], hi_score) is not None
    try:
        wait_for(f"the title screen with best score {hi_score}", title, 3.0)
    except Failure as failure:
        raise Failure(f"{failure}; the window shows {game.save(shot[0], 'not-title')}")


def watch_blink(game, pictures, hi_score):
    """Waits to see the prompt on and off, every screenshot a title frame."""
    phases = set()

    def both():
        shot = game.screenshot()
        phases.add(pictures.title_phase(shot, hi_score))
        if None in phases:
            raise Failure(f"not the drawn title frame: {game.save(shot, 'title')}")
        return len(phases) == 2
    wait_for("the title prompt to blink", both, 2.5, 0.02)


def start_play(game, pictures, hi_score):
    """Presses Enter on the title screen; returns the first play frame."""
    wait_title(game, pictures, hi_score)
    game.key("Return")

    def play_frame():
        shot = game.screenshot()
        return shot if pictures.title_phase(shot, hi_score) is None else None
    return wait_for("the first play frame after Enter", play_frame, 3.0)


def wait_game_over(game, pictures, shots=None):
    """Adds new screenshots to `shots` till the picture stands still for ten play
    frames; returns the score and new-record flag of the game-over screen then."""
    shots = [] if shots is None else shots
    changed = [time.monotonic()]

    def settled():
        check(game.alive(), f"the game ended during play: {game.stderr_text()}")
        shot = game.screenshot()
        if not shots or shot != shots[-1]:
            shots.append(shot)
            changed[0] = time.monotonic()
        return time.monotonic() - changed[0] > 0.3
    wait_for("the picture to settle on the game-over screen", settled, 15.0, 0)
    found = pictures.find("gameover", shots[-1])
    if not found:
        raise Failure(f"the settled picture is no game-over screen: {game.save(shots[-1], 'over')}")
    return found[0], found[1] == 1


def check_every_frame_shown(found):
    """Between pictures in a row the plates mostly sink by one frame's 2.5 px
    (2 or 3 after rounding); a game that skips frames never shows such a step."""
    steps = []
    for before, after in zip(found, found[1:]):
        columns = dict(before["plate"])
        moves = sorted(y - columns[x] for x, y in after["plate"] if x in columns)
        if moves:
            steps.append(moves[len(moves) // 2])
    check(len(steps) >= 20 and 2 * sum(s in (2, 3) for s in steps) >= len(steps),
          f"plates sank by {steps} px between the pictures of play: frames were skipped")


def plate_under(car, found):
    """The x of the plate the car stands on, or None."""
    return next((x for x, y in found["plate"] if y == car[1] + 16 and -63 <= x - car[0] <= 17),
                None)


def check_plain_ride(found):
    """Without a key the car drops straight down, lands on the first plate in its
    way, rides it down and leaves at the bottom before the game-over screen."""
    check(all(len(f["car"]) <= 1 for f in found), "more than one car")
    cars = [f["car"][0] if f["car"] else None for f in found]
    check(all(car[0] == CAR_X for car in cars if car), f"the car moved sideways: {cars}")
    standing = [car and plate_under(car, f) for car, f in zip(cars, found)]
    landed = next((i for i, x in enumerate(standing) if x is not None), None)
    check(landed is not None, f"the car was never seen standing on a plate: {cars}")
    riding = [(i, car) for i, car in enumerate(cars) if car and i >= landed]
    for (_, before), (i, car) in zip(riding, riding[1:]):
        check(car[1] >= before[1], f"the car rose from {before} to {car} on its plate")
        check(standing[i] == standing[landed] or car[1] + 26 > STATUS_TOP,
              f"the car at {car} is off the plate at x {standing[landed]} it landed on")
    last, car = riding[-1]
    check(last < len(cars) - 1 and car[1] > STATUS_TOP, f"the car vanished at {car}")


def case_title_screen(args, x, pictures):
    """Caption, client size and icons; the title frame, blinking, shows the stored
    best score; a file the game cannot use gives 0 and one warning naming it; the
    file is left as it was and none is made."""
    # Which texts give which score or warning is a unit test (tests/saves).
    for ini, shown in [(None, 0), (INI.format(4321), 4321), (INI.format("abc"), None)]:
        with Game(x, args.game, ini=ini) as game:
            window = str(game.find_window())
            check(x.run("xdotool", "getwindowname", window).strip() == CAPTION, "the caption")
            size = x.run("xdotool", "getwindowgeometry", window)
            check(f"Geometry: {WIDTH}x{HEIGHT}\n" in size, f"client area not 250 x 400: {size}")
            check(f'"{CAPTION}"' in x.run("xprop", "-id", window, "_NET_WM_NAME"), "_NET_WM_NAME")
            icon = x.run("xprop", "-id", window, "-notype", "_NET_WM_ICON")
            check("Icon (32 x 32)" in icon and "Icon (16 x 16)" in icon, "no 32 and 16 px icons")
            wait_title(game, pictures, shown or 0)
            if ini is None:
                watch_blink(game, pictures, 0)
            warnings = game.stderr_text().splitlines()
            check(len(warnings) == (shown is None) and all("Voltaro5.ini" in w for w in warnings),
                  f"for {ini!r} the game printed {warnings}")
            check(game.ini_bytes() == (ini and ini.encode()),
                  f"start-up made or changed the file: {game.ini_bytes()!r}")


def case_play_to_game_over(args, x, pictures):
    """Enter starts play, shown frame by frame; without a key the car rides its
    plate out of the bottom; the game-over screen shows the score, the file then
    holds exactly it, and Enter goes back to the title showing it."""
    with Game(x, args.game) as game:
        game.find_window()  # then Enter, and no key until the game is over
        shots = [start_play(game, pictures, 0)]
        score, new_record = wait_game_over(game, pictures, shots)
        check(score > 0 and new_record, f"game over with {score}, new record {new_record}")
        found = pictures.locate(shots[:-1])
        check_every_frame_shown(found)
        check_plain_ride(found)
        check((game.ini_bytes() or b"").decode().splitlines() == INI.format(score).splitlines(),
              f"the file holds {game.ini_bytes()!r}, not the score {score}")
        files = sorted(os.listdir(game.dir))
        check(files == ["Voltaro5.ini", "best.v5replay", "last.v5replay", "stderr.txt",
                        "voltaro5"], f"files left: {files}")
        game.key("Return")
        wait_title(game, pictures, score)


def play_state(game, pictures):
    """The car or None, and the sprites above the status lines (bullet-like glyphs)."""
    found = pictures.locate([game.screenshot()])[0]
    check(len(found["car"]) <= 1, f"more than one car: {found['car']}")
    for kind in ("bulletL", "bulletR", "bulletU"):
        found[kind] = [b for b in found[kind] if b[1] + 9 <= STATUS_TOP]
    return (found["car"] or [None])[0], found


def case_keys_reach_the_game(args, x, pictures):
    """From the X keyboard, before enemies come in: Z, V and D fire to the left,
    the right and upward, Up jumps from a plate, and Right and Left steer."""
    with Game(x, args.game) as game:
        game.find_window()
        start_play(game, pictures, 0)

        def low_on_plate():  # low enough for the top of a jump, 175.5 px up, to show
            car, found = play_state(game, pictures)
            return car and car[1] >= 190 and plate_under(car, found) is not None and car
        car = wait_for("the car on a plate at y 190 or lower", low_on_plate, 5.0)
        for key, kind, ahead in (("z", "bulletL", lambda b, c: b[0] < c[0]),
                                 ("v", "bulletR", lambda b, c: b[0] > c[0] + 17),
                                 ("d", "bulletU", lambda b, c: b[1] < c[1]),
                                 ("Up", "car", lambda b, c: b[1] < car[1] - 8)):
            def shows():
                now, found = play_state(game, pictures)
                return now and any(ahead(b, now) for b in found[kind])
            game.key(key)
            wait_for(f"{key} to show", shows, 1.0)
        for key, sign in (("Right", 1), ("Left", -1)):
            xs = []

            def moving():
                xs.append(play_state(game, pictures)[0])
                check(xs[-1] is not None, "the car left the screen while steering")
                return len(xs) >= 2 and (xs[-1][0] - xs[-2][0]) * sign > 0
            game.focus()
            x.run("xdotool", "keydown", key)
            try:
                wait_for(f"the car to move {key.lower()}", moving, 2.0)
            finally:
                x.run("xdotool", "keyup", key)


# The moments a close is tried at; play most often, as a close there raced
# with the frame clock's wake-up message.
STAGES = ("start", "title", "setup", "play", "play", "play", "ime_title", "ime_play", "game_over")
KEPT = b"; kept as it is\r\n[Other]\r\nKey=1\r\n\r\n[VOLTARO ZIP 5]\r\nHighScore=3\r\n[Last]\r\nX=2"
KEPT_WARNINGS = ((2, "Other"), (7, "Last"))  # sections the game does not know, at these lines


def close_at(stage, args, x, pictures, rng):
    """Closes the window at `stage`, a moment or two in: the program must end
    within a second with status 0 and on stderr only the start's word about
    the sections it does not know (also in voltaro5.log), the file as it was
    unless the game had ended with a record, and no other file left but the
    replays of a finished game."""
    with Game(x, args.game, ini=KEPT) as game:
        game.find_window()
        expected, replays = KEPT, []
        if stage == "start":
            time.sleep(rng.uniform(0, 0.2))
        elif stage in ("title", "setup", "ime_title"):
            wait_title(game, pictures, 3)
        else:
            start_play(game, pictures, 3)
        if stage == "title":
            time.sleep(rng.uniform(0, 1.0))
        elif stage == "setup":
            game.key("Return")
        elif stage == "play":
            time.sleep(rng.uniform(0, 3.0))  # a game without keys lasts over 4 s
        elif stage.startswith("ime_"):
            time.sleep(rng.uniform(0, 1.5) if stage == "ime_play" else 0)
            open_ime_box(x, game)
        elif stage == "game_over":
            score, new_record = wait_game_over(game, pictures)
            check(new_record and score > 3, f"game over with {score}, no record")
            expected = KEPT.replace(b"HighScore=3\r\n", b"HighScore=%d\r\n" % score)
            replays = ["best.v5replay", "last.v5replay"]
            time.sleep(rng.uniform(0, 0.5))
        check(game.alive(), f"{stage}: the game ended before the close: {game.stderr_text()}")
        x.run(args.x_client, "close", str(game.window))
        try:
            status = game.wait_exit(1.0)
        except Failure:
            raise Failure(f"{stage}: the program did not end within a second of the close")
        warned = "".join(f"voltaro5: warning: {game.ini_path}:{line}: [{name}]: no such section; "
                         "ignored\n" for line, name in KEPT_WARNINGS)
        check(status == 0 and game.stderr_text() == warned,
              f"{stage}: status {status}, stderr {game.stderr_text()!r}")
        check(game.ini_bytes() == expected, f"{stage}: the file is now {game.ini_bytes()!r}")
        files = sorted(os.listdir(game.dir))
        check(files == sorted(["Voltaro5.ini", "stderr.txt", "voltaro5", "voltaro5.log"] + replays),
              f"{stage}: files left {files}")


def case_close_anywhere(args, x, pictures):
    """Closing the window ends the program at once and cleanly at every stage,
    while other programs keep the X server busy, under which a wake-up message
    to the closed window once failed the program."""
    busy = [subprocess.Popen([args.x_client, "busy", "90"], env=x.env()) for _ in range(3)]
    try:
        rng = random.Random(2026)
        for stage in STAGES:
            close_at(stage, args, x, pictures, rng)
    finally:
        for process in busy:
            process.kill()
            process.wait()


def case_close_torture(args, x, pictures):
    """The closes of close_anywhere at random stages and moments, VOLTARO5_CLOSES
    times (200), each in an X server of its own so that no close sees what an
    earlier one left behind; VOLTARO5_SEED repeats a run."""
    runs = int(os.environ.get("VOLTARO5_CLOSES", "200"))
    seed = int(os.environ.get("VOLTARO5_SEED", time.time()))
    rng = random.Random(seed)
    failures = 0
    for run in range(1, runs + 1):
        stage = rng.choice(STAGES)
        with XServer() as own:
            try:
                close_at(stage, args, own, pictures, rng)
            except Failure as failure:
                failures += 1
                print(f"FAIL close {run}: {failure}", flush=True)
    check(not failures, f"{failures} of {runs} closes failed (seed {seed})")


def case_no_display(args, x, pictures):
    """Without a display: one message about it and status 1 at once, no file."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    with tempfile.TemporaryDirectory() as directory:
        exe = shutil.copy2(args.game, directory)
        result = subprocess.run([exe], env=env, cwd=directory, capture_output=True, text=True,
                                timeout=10)
        ours = [line for line in result.stderr.splitlines() if line.startswith("voltaro5:")]
        check(result.returncode == 1 and len(ours) == 1 and "display" in ours[0].lower(),
              f"exit status {result.returncode}, stderr {result.stderr!r}")
        check(os.listdir(directory) == [os.path.basename(exe)], "a file written")


def open_ime_box(x, game):
    """Presses the input-method key; returns the game's message box once shown."""
    before = {window[0] for window in x.top_level_windows()}
    game.key("101")  # the X key code of Katakana/Hiragana, a key input methods take

    def shown():  # it may be shown a moment before its caption is set
        check(game.alive(), f"the game ended: {game.stderr_text()}")
        return next((id for id, name, _ in x.top_level_windows() if id not in before and
                     name == CAPTION and x.is_viewable(id)), None)
    try:
        return wait_for("a message box with the game's caption", shown, 3.0)
    except Failure as failure:  # the game says on stderr why SDL could not show it
        raise Failure(f"{failure}; the game's standard error: {game.stderr_text()!r}")


def ime_box(x, game):
    """The input-method key brings up the game's message box, under which the
    game stands still; Return dismisses it."""
    box = open_ime_box(x, game)
    owner = x.run("xprop", "-id", str(box), "WM_TRANSIENT_FOR")
    check(f"{game.window:#x}" in owner, f"the box does not belong to the game: {owner}")
    frozen = game.screenshot()
    deadline = time.monotonic() + 0.25
    while time.monotonic() < deadline:
        check(game.screenshot() == frozen, "the game went on under the message box")
    game.key("Return", window=box)
    wait_for("the message box to close", lambda: not x.is_viewable(box), 3.0)


def case_input_method_key(args, x, pictures):
    """The input-method key brings up the message box on the title screen and
    during play; Return dismisses it, reaching only the box, and the game goes
    on where it stood."""
    with Game(x, args.game) as game:
        game.find_window()
        wait_title(game, pictures, 0)
        ime_box(x, game)
        watch_blink(game, pictures, 0)  # still the title screen: no game started
        start_play(game, pictures, 0)
        ime_box(x, game)
        shots = {game.screenshot()}
        wait_for("play to go on", lambda: shots.add(game.screenshot()) or len(shots) > 2, 3.0)


def case_replay_round_trip(args, x, pictures):
    """A game played with keys pressed at random moments is saved as
    last.v5replay; the simulator replays it to the very score the game-over
    screen showed, and the window's replay shows that screen again and writes
    nothing."""
    rnd = random.Random(2026)
    with Game(x, args.game) as game:
        game.find_window()
        start_play(game, pictures, 0)
        held = set()
        for _ in range(60):  # about three seconds of careless play
            key = rnd.choice(["Left", "Right", "Up", "z", "v", "d"])
            action = "keyup" if key in held and rnd.random() < 0.6 else "keydown"
            (held.discard if action == "keyup" else held.add)(key)
            x.run("xdotool", action, key)
            time.sleep(rnd.random() * 0.1)
        for key in held:
            x.run("xdotool", "keyup", key)
        score, _ = wait_game_over(game, pictures)
        x.run(args.x_client, "close", str(game.window))
        check(game.wait_exit(5.0) == 0, f"closing the game-over screen: {game.stderr_text()}")
        replay = os.path.join(game.dir, "last.v5replay")
        check(open(replay).read().count("\nkey ") > 5, "the keys are in the replay")
        sim = os.path.join(os.path.dirname(os.path.abspath(args.game)), "voltaro5-sim")
        proc = subprocess.run([sim, "--replay", replay], capture_output=True, timeout=60)
        out = proc.stdout.decode()
        check(proc.returncode == 0 and out.endswith(f" score {score}\n"),
              f"voltaro5-sim --replay: status {proc.returncode}, {out!r} {proc.stderr!r}")
        with Game(x, args.game, args=["--replay", replay]) as shown:
            shown.find_window(caption=REPLAY_CAPTION)
            shown_score, _ = wait_game_over(shown, pictures)
            check(shown_score == score, f"the replay shows {shown_score}, not {score}")
            shown.key("Return")
            check(shown.wait_exit(5.0) == 0, f"Enter after the replay: {shown.stderr_text()}")
            files = sorted(os.listdir(shown.dir))
            check(files == ["stderr.txt", "voltaro5"], f"the replay wrote files: {files}")


def case_replay_diverged(args, x, pictures):
    """A replay whose file says another score than the game makes is shown to
    its end, says where it differs and ends with status 3."""
    recorded = pathlib.Path(__file__).parent.parent / "replays" / "no_keys_fell.v5replay"
    text = recorded.read_text()
    check(text.endswith("\nfinal 177\n"), "the recorded game's score is not 177")
    with tempfile.TemporaryDirectory(prefix="voltaro5-e2e-") as directory:
        tampered = pathlib.Path(directory, "tampered.v5replay")
        tampered.write_text(text.replace("\nfinal 177\n", "\nfinal 178\n"))
        with Game(x, args.game, args=["--replay", str(tampered), "--replay-speed", "4"]) as shown:
            shown.find_window(caption=REPLAY_CAPTION)
            score, _ = wait_game_over(shown, pictures)
            check(score == 177, f"the replay shows {score}")
            shown.key("Return")
            check(shown.wait_exit(5.0) == 3, f"status after the replay: {shown.stderr_text()}")
            said = "voltaro5: replay diverged: frame 178: score 177, recorded 178\n"
            check(shown.stderr_text() == said, f"stderr {shown.stderr_text()!r}")


class DiskSound:
    """The X server `x` for a game whose sound SDL's disk driver writes to `path`."""

    def __init__(self, x, path):
        self.x, self.path = x, path

    def __getattr__(self, name):
        return getattr(self.x, name)

    def env(self):
        return dict(self.x.env(), SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=self.path)


def case_sound_follows_play(args, x, pictures):
    """Play is silent until the car jumps, and the jump is heard at once; with
    --mute the jump is silent, M gives the sound back (a shot is heard) and the
    settings keep it on."""
    quarter = 44100 * 2 // 4  # a quarter of a second of mono 16-bit samples
    standing = lambda car, found: car and plate_under(car, found) is not None  # noqa: E731
    for muted in (False, True):
        sound = DiskSound(x, os.path.join(pictures.dir, f"sound{int(muted)}.raw"))
        with Game(sound, args.game, ini=INI.format(0), args=["--mute"] * muted) as game:
            game.find_window()
            start_play(game, pictures, 0)
            wait_for("the car on a plate", lambda: standing(*play_state(game, pictures)), 5.0)
            game.focus()
            jumped = os.path.getsize(sound.path)
            x.run("xdotool", "key", "Up")
            time.sleep(0.5)
            samples = pathlib.Path(sound.path).read_bytes()
            heard = len(samples) - len(samples.lstrip(b"\0"))  # the first sound's byte
            if not muted:
                check(jumped <= heard < jumped + quarter,
                      f"sound from byte {heard} of {len(samples)}, the jump at byte {jumped}")
                continue
            check(heard == len(samples) > jumped + quarter, f"a muted game sounded at {heard}")
            game.key("m")
            game.key("d")
            time.sleep(0.5)
            check(any(pathlib.Path(sound.path).read_bytes()[len(samples):]), "M gave no sound")
            x.run(args.x_client, "close", str(game.window))
            check(game.wait_exit(5.0) == 0, f"closing: {game.stderr_text()}")
            check(b"[Sound]\nMute=0" in game.ini_bytes(), f"kept: {game.ini_bytes()!r}")


NOBODY = 65534  # a user without rights anywhere but in the HOME it is given
SKIP = 77  # the exit status ctest counts as a skipped test


def case_installed_for_a_player(args, x, pictures):
    """Installed where the player may not write (a read-only program directory),
    run as that unprivileged player: the first record goes to their data folder,
    made for them alone, and nothing is written beside the program."""
    if os.geteuid() != 0:
        return SKIP  # only root can start the game as another user
    with Game(x, args.game, user=NOBODY) as game:
        game.find_window()
        start_play(game, pictures, 0)
        score, new_record = wait_game_over(game, pictures)
        check(score > 0 and new_record, f"game over with {score}, new record {new_record}")
        folder = pathlib.Path(game.home, ".local", "share", "voltaro5")
        ini = folder / "Voltaro5.ini"
        check(ini.exists(), f"no record in the data folder; stderr {game.stderr_text()!r}")
        check(ini.read_text().splitlines() == INI.format(score).splitlines(),
              f"the data folder's file holds {ini.read_bytes()!r}, not the score {score}")
        for path in (ini, folder, folder.parent, folder.parent.parent):
            check(path.stat().st_uid == NOBODY, f"{path} does not belong to the player")
        for path in (folder, folder.parent, folder.parent.parent):
            check(path.stat().st_mode & 0o777 == 0o700, f"{path} is open to others")
        files = sorted(os.listdir(game.dir))
        check(files == ["stderr.txt", "voltaro5"], f"files beside the program: {files}")
        check(not game.stderr_text(), f"the game printed {game.stderr_text()!r}")
        game.key("Return")
        wait_title(game, pictures, score)


def main(cases, doc, server=True):
    """Runs the case the command line names, with an X server of its own unless
    `server` is false (the case then starts the servers it needs)."""
    parser = argparse.ArgumentParser(description=doc.splitlines()[0])
    for name in ("game", "frames", "x_client"):
        parser.add_argument(name)
    parser.add_argument("case", choices=sorted(name[5:] for name in cases if name[:5] == "case_"))
    args = parser.parse_args()
    pictures = Pictures(args.frames)
    case = cases["case_" + args.case]
    try:
        with XServer() if server else contextlib.nullcontext() as x:
            if (case(args, x, pictures) if server else case(args, pictures)) == SKIP:
                print(f"SKIP {args.case}: needs root to run the game as another user")
                return SKIP
    except Failure as failure:
        print(f"FAIL {args.case}: {failure}")
        return 1
    finally:
        shutil.rmtree(pictures.dir, ignore_errors=True)
    print(f"PASS {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main(globals(), __doc__))
