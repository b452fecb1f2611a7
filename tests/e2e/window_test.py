#!/usr/bin/env python3
"""End-to-end tests of the game's window comforts on the real program under its
own Xvfb: a window that scales, fullscreen (under the openbox window manager),
the [Window] settings, the pause and the help. Which keys the [Keys] settings bind and
the warnings for bad entries are unit tests (tests/desktop).
Usage: window_test.py GAME voltaro5-e2e-frames voltaro5-e2e-x CASE"""

import os
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from e2e_test import (main, play_state, start_play, wait_game_over, wait_title,  # noqa: E402
                      watch_blink)
from xsession import (FRAME_RGB, HEIGHT, WIDTH, Failure, Game, XServer, check,  # noqa: E402
                      magnify, playfield_of, wait_for)

TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def geometry(x, window):
    """(x, y, width, height) of a window's client area on the screen."""
    out = x.run("xwininfo", "-id", str(window))
    value = {k: int(out.split(k + ":")[1].split()[0]) for k in
             ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height")}
    return tuple(value.values())


def shows_title(game, pictures, size, hi_score=0):
    """True when the client area has `size` and shows a title frame magnified
    exactly as the game places it, black around; else a description."""
    width, height, rgb = game.full_screenshot()
    if (width, height) != size:
        return False
    field = playfield_of(width, height, rgb)
    if pictures.title_phase(field, hi_score) is None:
        return False
    if rgb != magnify(field, width, height):
        game.save(rgb, "not-magnified", width, height)
        raise Failure(f"the {width} x {height} picture is not the title magnified")
    return True


def wait_scaled_title(game, pictures, size, hi_score=0):
    wait_for(f"the title magnified in {size[0]} x {size[1]}",
             lambda: shows_title(game, pictures, size, hi_score), 5.0)


def case_resize(args, pictures):
    """Resized to 750 x 1200 the window shows the title exactly 3x, filling it; at
    800 x 900, 2x centred with black bars. (A 2000 x 1600 screen: a window must lie
    on the screen to be photographed.)"""
    with XServer("2000x1600") as x, Game(x, args.game) as game:
        window = str(game.find_window(15.0))
        for size in ((750, 1200), (800, 900), (WIDTH, HEIGHT)):
            x.run("xdotool", "windowmove", window, "0", "0")
            x.run("xdotool", "windowsize", window, str(size[0]), str(size[1]))
            wait_scaled_title(game, pictures, size)


def case_fullscreen(args, pictures):
    """Under a window manager the window cannot be made smaller than the playfield;
    F11 and Alt+Enter each cover the screen with the 2x
    picture centred and, pressed again, bring back the window where it was; the
    title screen is not left (neither key reaches the game)."""
    with XServer("1280x1024", wm=True) as x, Game(x, args.game) as game:
        window = game.find_window(15.0)
        wait_scaled_title(game, pictures, (WIDTH, HEIGHT))
        before = geometry(x, window)
        # The window manager keeps it from getting smaller than the playfield.
        x.run("xdotool", "windowsize", str(window), "100", "120")
        time.sleep(0.3)
        check(geometry(x, window)[2:] == (WIDTH, HEIGHT), f"shrunk to {geometry(x, window)}")
        for key in ("F11", "alt+Return"):
            game.key(key)
            wait_for(f"{key} to cover the screen",
                     lambda: geometry(x, window) == (0, 0, 1280, 1024), 5.0)
            wait_scaled_title(game, pictures, (1280, 1024))
            game.key(key)
            wait_for(f"{key} again to bring the window back to {before}",
                     lambda: geometry(x, window) == before, 5.0)
            wait_scaled_title(game, pictures, (WIDTH, HEIGHT))


def case_fill(args, pictures):
    """[Window] Scaling=fill, fullscreen on 1280 x 1024: the title fills the
    screen's height, 640 wide and centred (2x, then smoothed to 2.56x), inside
    the frame; nothing else is drawn outside it."""
    ini = "[Window]\nFullscreen=1\nScaling=fill\n"
    with XServer("1280x1024", wm=True) as x, Game(x, args.game, ini=ini) as game:
        game.find_window(15.0)
        left, right = 320, 960  # the filled playfield's columns

        def filled():
            width, height, rgb = game.full_screenshot()
            if (width, height) != (1280, 1024):
                return False
            rows = [rgb[3 * width * row:3 * width * (row + 1)] for row in range(height)]
            if any(r[3 * (left - 2):3 * left] + r[3 * right:3 * (right + 2)] != FRAME_RGB * 4
                   for r in rows):
                return False
            check(not any(any(r[:3 * (left - 2)]) or any(r[3 * (right + 2):]) for r in rows),
                  "drawn outside the frame")
            lit = [row for row, r in enumerate(rows) if any(r[3 * left:3 * right])]
            return lit and lit[-1] >= 1000  # the title's last line, near the bottom

        wait_for("the title filling the screen's height", filled, 5.0)


def case_open_size(args, pictures):
    """[Window] Scale=2 opens a 500 x 800 client area; --scale 3 opens 2x, the
    largest factor that fits, on 1280 x 1024 (which factor fits which screen is a
    unit test). --fullscreen starts fullscreen."""
    for ini, options in (("[Window]\nScale=2\n", []), (None, ["--scale", "3"])):
        with XServer("1280x1024") as x, Game(x, args.game, ini=ini, args=options) as game:
            game.find_window(15.0)
            wait_scaled_title(game, pictures, (500, 800))
    with XServer("1280x1024", wm=True) as x, Game(x, args.game, args=["--fullscreen"]) as game:
        game.find_window(15.0)
        wait_scaled_title(game, pictures, (1280, 1024))


def close(args, x, game):
    x.run(args.x_client, "close", str(game.window))
    check(game.wait_exit(5.0) == 0, f"status {game.process.returncode}: {game.stderr_text()}")


def case_window_saved(args, pictures):
    """At close the window's new scale is written into [Window], every other byte
    of the file kept; a window left as it opened writes nothing. (open_size
    shows that Scale=2 opens 2x.)"""
    ini = (b"; my notes\r\n[VOLTARO ZIP 5]\r\nHighScore=7\r\n\r\n[Window]\r\n"
           b"PauseOnFocusLoss=1\r\nScale=1\r\n\r\n[Other]\r\nScale=1\r\n")
    with XServer("1280x1024") as x:
        with Game(x, args.game, ini=ini) as game:
            window = str(game.find_window(15.0))
            wait_scaled_title(game, pictures, (WIDTH, HEIGHT), 7)
            inode = os.stat(game.ini_path).st_ino
            close(args, x, game)
            check(game.ini_bytes() == ini and os.stat(game.ini_path).st_ino == inode,
                  "the file was written though nothing changed")
        with Game(x, args.game, ini=ini) as game:
            window = str(game.find_window(15.0))
            x.run("xdotool", "windowmove", window, "0", "0")
            x.run("xdotool", "windowsize", window, "520", "810")
            wait_scaled_title(game, pictures, (520, 810), 7)
            close(args, x, game)
            expected = ini.replace(b"Scale=1\r\n\r\n[Other]", b"Scale=2\r\n\r\n[Other]")
            check(game.ini_bytes() == expected, f"the file holds {game.ini_bytes()!r}")


def covered(pictures, shot, cover="pause"):
    """True when the shot is the dimmed picture with `cover` over it: the pause
    sign, the sign with its line lit (hint), or the help."""
    return (len(shot) == 3 * WIDTH * HEIGHT and
            pictures.run("covered", cover, *pictures.files([shot])) is not None)


def wait_cover(game, pictures, cover):
    def shows():
        shot = game.playfield_screenshot()
        return covered(pictures, shot, cover) and shot
    return wait_for(f"the {cover} picture", shows, 3.0)


def check_paused(game, pictures):
    """The picture stands still with the pause sign, and the game uses no
    processor time over 3 s."""
    shot = wait_cover(game, pictures, "pause")
    cpu0 = cpu_seconds(game.process.pid)
    time.sleep(3.0)
    used = cpu_seconds(game.process.pid) - cpu0
    # A game in play uses some 0.05 s in 3 s; the clock counts in 0.01 s steps
    # and a loaded machine may charge a step or two to a sleeping process.
    check(used <= 0.03, f"the paused game used {used:.2f} s of processor time in 3 s")
    check(game.playfield_screenshot() == shot, "the picture changed during the pause")


def check_playing(game):
    shots = {game.playfield_screenshot()}
    wait_for("play to go on", lambda: shots.add(game.playfield_screenshot()) or len(shots) > 3,
             3.0)


def case_pause(args, pictures):
    """P, Pause and Esc pause play (the picture stops, dimmed, with the sign and
    its line, and the process sleeps) and resume it. During the pause a game key
    lights the line while it is down, and F1 shows the help till Esc closes it.
    Which keys do what when is a unit test (key_gate_test)."""
    with XServer("1280x1024") as x, Game(x, args.game) as game:
        game.find_window(15.0)
        start_play(game, pictures, 0)
        for key in ("p", "Pause", "Escape"):
            game.key(key)
            check_paused(game, pictures)
            game.key(key)
            check_playing(game)
        game.key("p")
        wait_cover(game, pictures, "pause")
        x.run("xdotool", "keydown", "Left")
        try:
            wait_cover(game, pictures, "hint")
        finally:
            x.run("xdotool", "keyup", "Left")
        wait_cover(game, pictures, "pause")
        game.key("F1")
        wait_cover(game, pictures, "help")
        game.key("Escape")
        wait_cover(game, pictures, "pause")
        game.key("p")
        check_playing(game)


def check_help_stays(game, pictures, expected, what):
    """Waits for the help over `what` (one of the `expected` pictures) and sees
    that it stands still."""
    shot = wait_for(f"the help over {what}",
                    lambda: (lambda s: s in expected and s)(game.screenshot()), 3.0)
    time.sleep(0.3)
    check(game.screenshot() == shot, f"the picture changed under the help over {what}")


def case_help(args, pictures):
    """F1 on the title screen shows the help over the dimmed title, which stands
    still; Enter, F1 and Esc each close it, no game starting, and the title goes
    on blinking. On the game-over screen F1 shows it over that screen; Enter
    closes it and leaves the screen as it was, until the next Enter."""
    with XServer() as x, Game(x, args.game) as game:
        game.find_window(15.0)
        wait_title(game, pictures, 0)
        titles = [pictures.run("write", "title", 0, flag, "help") for flag in (0, 1)]
        for close in ("Return", "F1", "Escape"):
            game.key("F1")
            check_help_stays(game, pictures, titles, "the title")
            game.key(close)
            watch_blink(game, pictures, 0)
        start_play(game, pictures, 0)
        score, record = wait_game_over(game, pictures)
        game.key("F1")
        over = pictures.run("write", "gameover", score, int(record))
        check_help_stays(game, pictures, [pictures.run("write", "gameover", score, int(record),
                                                       "help")], "the game-over screen")
        game.key("Return")
        wait_for("the game-over screen again", lambda: game.screenshot() == over, 3.0)
        time.sleep(0.3)
        check(game.screenshot() == over, "the Enter that closed the help left the screen")
        game.key("Return")
        wait_title(game, pictures, score)


def case_focus_loss_releases_keys(args, pictures):
    """With PauseOnFocusLoss=0, a fire key held while the window loses focus is
    let go: the shots stop though the key is still down, and play does not pause; with
    the default, losing focus during play pauses."""
    with XServer("1280x1024") as x:
        with Game(x, args.game, ini="[Window]\nPauseOnFocusLoss=0\n") as game:
            game.find_window(15.0)
            start_play(game, pictures, 0)
            wait_for("the car to land", lambda: play_state(game, pictures)[0], 3.0)
            game.focus()
            x.run("xdotool", "keydown", "d")
            try:
                shots = [0]

                def firing():  # a new shot leaves the car every few frames
                    shots[0] += bool(play_state(game, pictures)[1]["bulletU"])
                    return shots[0] >= 3
                wait_for("held D to keep firing", firing, 5.0)
                root = x.run("xwininfo", "-root").split("Window id: ")[1].split()[0]
                # With the focus on the root, keys go to the window under the
                # pointer: keep the pointer off the game, or the held key's
                # auto-repeat reaches it all the same.
                x.run("xdotool", "mousemove", "0", "0")
                x.run("xdotool", "windowfocus", root)
                # A held key fires every 11 frames (0.34 s), and a shot from a
                # car near the top is gone within a few: the shots have stopped
                # once none has shown for longer than that.
                quiet_since = [None]

                def shots_stopped():
                    if play_state(game, pictures)[1]["bulletU"]:
                        quiet_since[0] = None
                        return False
                    quiet_since[0] = quiet_since[0] or time.monotonic()
                    return time.monotonic() - quiet_since[0] >= 0.5
                wait_for("the shots to stop", shots_stopped, 8.0)
                for _ in range(10):
                    check(not play_state(game, pictures)[1]["bulletU"],
                          "the game still fires after the focus was lost")
            finally:
                x.run("xdotool", "keyup", "d")
            check(not covered(pictures, game.playfield_screenshot()), "play paused")
        with Game(x, args.game) as game:
            game.find_window(15.0)
            start_play(game, pictures, 0)
            root = x.run("xwininfo", "-root").split("Window id: ")[1].split()[0]
            x.run("xdotool", "windowfocus", root)
            check_paused(game, pictures)
            game.key("p")
            check_playing(game)


if __name__ == "__main__":
    sys.exit(main(globals(), __doc__, server=False))
