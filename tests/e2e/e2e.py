#!/usr/bin/env python3
"""ルミカータ end to end: the real program in the session's X server, with its
window manager and null sound sink, driven by real mouse and key events on a
temporary copy of a story folder, and judged by what the screen shows and
what the sink plays.

    e2e.py --pikora BIN --story DIR --title-picture BMP --out DIR (story | missing)

  story    the whole story with every file present: scenes, voices and their
           cut-off, the ending, Back, a double-click, the help windows, Exit,
           and a close request from the window manager
  missing  the same folder without some of its files: the error boxes come
           at the right moments and the program stays usable

Needs tests/session (PIKORA_SESSION=1); skips (77) without it.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

from desktop import Desktop, Failure, Picture
from sound import LOUD, WINDOW, Clip, Recorder

SKIP = 77

MAIN = "ルミカータ"
BOX = "PIKORA!"
HELP = "ヘルプ"
WORLD = "世界観"
ABOUT = "バージョン情報"

BAR = 25
# A stretched picture may differ from ImageMagick's stretch by the scaling
# filter; a wrong picture, or one that leaves a band uncovered, differs by far more.
SCENE_TOLERANCE = 8.0
EXACT_TOLERANCE = 1.0

SCENES = [  # (picture, voice) of rows 1 to 6, in the order the story plays them
    ("s_1.bmp", "start.wav"), ("s_2.bmp", "he.wav"), ("s_3.bmp", "hanashi.wav"),
    ("d_1.bmp", "himei1.wav"), ("d_2.bmp", "himei2.wav"), ("eat.bmp", "eat1.wav"),
]
PICTURES = ["ver.bmp", "s_1.bmp", "s_2.bmp", "s_3.bmp", "d_1.bmp", "d_2.bmp", "eat.bmp", "1.bmp", "2.bmp", "start.bmp"]


def log(text):
    print(text, flush=True)


class Program:
    """One run of pikora in a working directory."""

    started = []

    def __init__(self, binary, folder, log_path):
        Program.started.append(self)
        env = dict(os.environ, QT_QPA_PLATFORM="xcb")
        self._log = open(log_path, "wb")
        self.process = subprocess.Popen([binary], cwd=folder, env=env, stdout=self._log, stderr=subprocess.STDOUT)

    def wait_exit(self, timeout):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure(f"the program did not end within {timeout:.0f} s") from None

    def stop(self):
        self.code = self.process.poll()  # None while it still ran
        if self.code is None:
            self.process.kill()
            self.process.wait()
        self._log.close()


class Story:
    """The reference pictures of one story folder, as the screen must show them."""

    def __init__(self, folder, title_picture):
        self.folder = folder
        self.title_picture = title_picture
        self._cache = {}

    def picture(self, name, size=None, crop=None):
        key = (name, size, crop)
        if key not in self._cache:
            path = self.title_picture if name == "title" else os.path.join(self.folder, name)
            self._cache[key] = Picture.load(path, size, crop)
        return self._cache[key]


class MainWindow:
    """The main window as the person sees it: its client area, the area above
    the bar and the buttons on the bar."""

    def __init__(self, desk, window, story):
        self.desk, self.id, self.story = desk, window, story
        self.x, self.y, self.width, self.height = desk.client_geometry(window)
        self.extents = desk.frame_extents(window)
        # The pictures are stretched to the window's outer width; what lies
        # beyond the client area is hidden under the right border.
        self.outer_width = self.width + self.extents[0] + self.extents[1]
        self.bar_y = self.height - BAR // 2 - 1
        self.seen = []  # (area, picture, name) for judge()

    def area(self, shot=None):
        shot = shot or self.desk.screenshot()
        return shot.crop(self.x, self.y, self.width, self.height - BAR)

    def bar(self, shot=None):
        shot = shot or self.desk.screenshot()
        return shot.crop(self.x, self.y + self.height - BAR, self.width, BAR)

    # The buttons, by where a person finds them: Next keeps 87 px at the
    # right; Exit is the 40 px at Help's left end; Back, when shown, 88 px at the left.
    # Each returns the time just before its click was sent.
    def click_next(self):
        return self.desk.click(self.id, self.width - 44, self.bar_y)

    def click_back(self):
        return self.desk.click(self.id, 44, self.bar_y)

    def click_help(self, back_shown=False):
        left = 89 if back_shown else 1
        self.desk.click(self.id, (left + 41 + self.width - 87) // 2, self.bar_y)

    def click_exit(self, back_shown=False):
        self.desk.click(self.id, (89 if back_shown else 1) + 20, self.bar_y)

    def scene_reference(self, name):
        return self.story.picture(name, (self.outer_width, self.height - BAR), (0, 0, self.width, self.height - BAR))

    def frame_reference(self, name):
        return self.story.picture(name, (self.width, self.height - BAR))

    def expect_scene(self, name, what, timeout=3.0):
        """The area above the bar shows the picture name, stretched over all of
        it. While a voice plays the test keeps its own work small (the program
        shares the machine with it), so the full comparison with every other
        picture waits for judge()."""
        reference = self.scene_reference(name)
        deadline = time.monotonic() + timeout
        while True:
            area = self.area()
            difference = area.difference(reference, step=2)
            if difference <= SCENE_TOLERANCE or time.monotonic() > deadline:
                break
            time.sleep(0.1)
        if difference > SCENE_TOLERANCE:
            shot = self.desk.save(area, f"{what}.png")
            others = {n: area.difference(self.scene_reference(n), step=2) for n in self.known_pictures() if n != name}
            closest = min(others, key=others.get) if others else None
            raise Failure(f"{what}: the area above the bar does not show {name} (difference {difference:.1f}"
                          + (f"; closest is {closest}, {others[closest]:.1f}" if closest else "") + f"), see {shot}")
        # Every edge must be covered too: a picture that stops short leaves a band
        # that hardly moves the mean.
        w, h = self.width, self.height - BAR
        for label, box in (("right edge", (w - 6, 0, 6, h)), ("bottom edge", (0, h - 6, w, 6)),
                           ("left edge", (0, 0, 6, h)), ("top edge", (0, 0, w, 6))):
            edge = area.crop(*box).difference(reference.crop(*box))
            if edge > 2 * SCENE_TOLERANCE:
                shot = self.desk.save(area, f"{what}.png")
                raise Failure(f"{what}: the {label} of the area does not show {name} (difference {edge:.1f}), see {shot}")
        self.seen.append((area, name, what))
        return difference

    def judge(self):
        """The screens that expect_scene accepted, compared in full: each is
        closer to its own picture than to any other of the story's."""
        for area, name, what in self.seen:
            shot = self.desk.save(area, f"{what}.png")
            difference = area.difference(self.scene_reference(name))
            if difference > SCENE_TOLERANCE:
                raise Failure(f"{what}: the area above the bar does not show {name} (difference {difference:.1f}), see {shot}")
            for other in self.known_pictures():
                if other != name and area.difference(self.scene_reference(other)) <= difference:
                    raise Failure(f"{what}: {other} matches the screen as well as {name}, see {shot}")
        self.seen.clear()

    def known_pictures(self):
        return [n for n in PICTURES if n != "ver.bmp" and os.path.exists(os.path.join(self.story.folder, n))]


class Run:
    def __init__(self, args, desk, name):
        self.args, self.desk, self.name = args, desk, name
        self.tmp = tempfile.mkdtemp(prefix=f"pikora-e2e-{name}-")
        self.folder = os.path.join(self.tmp, "story")
        shutil.copytree(args.story, self.folder)
        self.story = Story(self.folder, args.title_picture)
        self.clips = {}
        self.programs = []
        # Faults in where a window stands do not stop the run; they are
        # reported together at its end.
        self.problems = []

    def clip(self, name):
        if name not in self.clips:
            self.clips[name] = Clip(os.path.join(self.args.story, name))
        return self.clips[name]

    def start(self, tag):
        program = Program(self.args.pikora, self.folder, os.path.join(self.args.out, f"{self.name}-{tag}.log"))
        self.programs.append(program)
        return program

    def main_window(self, program):
        window = self.desk.wait_window(MAIN, timeout=15)
        if program.process.poll() is not None:
            raise Failure("the program ended during start-up")
        time.sleep(0.3)  # let the first paint land
        self.desk.park_mouse()
        return MainWindow(self.desk, window, self.story)

    def close(self):
        for program in self.programs:
            program.stop()
        shutil.rmtree(self.tmp, ignore_errors=True)

    # Shared steps ----------------------------------------------------------

    def expect_no_box(self, seconds, what):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.desk.windows(BOX):
                self.desk.save(self.desk.screenshot(), f"{self.name}-unexpected-box.png")
                raise Failure(f"{what}: a window titled {BOX} appeared")
            time.sleep(0.05)

    def expect_centred(self, window, what):
        x, y, w, h = self.desk.client_geometry(window)
        left, right, top, bottom = self.desk.frame_extents(window)
        outer_w, outer_h = w + left + right, h + top + bottom
        screen = self.desk.screenshot()
        want_x, want_y = screen.width // 2 - outer_w // 2, screen.height // 2 - outer_h // 2
        got_x, got_y = x - left, y - top
        if abs(got_x - want_x) > 1 or abs(got_y - want_y) > 1:
            self.problem(f"{what} ({outer_w}x{outer_h} with its frame) is at {got_x},{got_y}, "
                          f"not centred on the {screen.width}x{screen.height} screen at {want_x},{want_y}")

    def expect_frame_at(self, window, left, top, what):
        x, y, _, _ = self.desk.client_geometry(window)
        l, _, t, _ = self.desk.frame_extents(window)
        if (x - l, y - t) != (left, top):
            self.problem(f"{what} is at {x - l},{y - t}, not at {left},{top}")

    def expect_icon(self, box, error, what):
        """An error box carries the error icon (a red disc); the farewell and
        how-to-play boxes carry none, nor anything red."""
        red = self.desk.grab(box).share_where(lambda r, g, b: r > 180 and g < 90 and b < 90)
        if error and red < 0.005:
            self.problem(f"{what} shows no error icon")
        if not error and red > 0:
            self.problem(f"{what} shows an icon")

    def problem(self, text):
        log(f"PROBLEM: {text}")
        self.problems.append(text)

    def report_problems(self):
        if self.problems:
            raise Failure("; ".join(self.problems))

    def close_by_title_button(self, window, what):
        """A click on the close button at the right end of the window's title bar."""
        x, y, w, _ = self.desk.client_geometry(window)
        left, right, top, _ = self.desk.frame_extents(window)
        # The button is square, as high as the title bar, flush with the frame's
        # right border; its centre is hit from anywhere within a few pixels.
        title_height = top - left
        self.desk.click_screen(x + w + right - left - title_height // 2, y - title_height // 2)
        self.desk.wait_no_window(what, timeout=5)

    def expect_title_buttons(self, window, what, close_button):
        """Whether the right end of the title bar holds a button: plain title
        colour there means no close, maximise or minimise button."""
        x, y, w, _ = self.desk.client_geometry(window)
        left, right, top, _ = self.desk.frame_extents(window)
        title_height = top - left
        shot = self.desk.screenshot()
        strip = shot.crop(x + w - 80, y - title_height + 2, 80 + right - left, title_height - 4)
        plain = strip.share_of(strip.pixel(0, strip.height // 2), tolerance=4)
        self.desk.save(shot.crop(x - left, y - top, w + left + right, top + 40), f"{self.name}-{what}-title.png")
        if close_button and plain > 0.9:
            raise Failure(f"the title bar of {what} shows no close button")
        if not close_button and plain < 0.99:
            raise Failure(f"the title bar of {what} shows buttons at its right end ({plain:.0%} plain)")


# The whole story ----------------------------------------------------------

def story_run(args, desk):
    run = Run(args, desk, "story")
    try:
        with Recorder(os.environ["PIKORA_SINK"]) as recorder:
            clicks = play_story(run, recorder)
            recording = recorder.analysis()
        recording.save(os.path.join(run.args.out, "story-sound.wav"))
        with open(os.path.join(run.args.out, "story-clicks.txt"), "w") as f:
            for clicked, voice in clicks:
                f.write(f"{clicked - recording.origin:.3f} {voice}\n")
        check_voices(run, recording, clicks)
        close_request(run)
        run.report_problems()
    finally:
        run.close()


def play_story(run, recorder):
    desk = run.desk
    program = run.start("main")
    main = run.main_window(program)
    log(f"main window: client {main.width}x{main.height} at {main.x},{main.y}, frame {main.extents}")
    if (main.width, main.height) != (304, 226):
        raise Failure(f"the main window's client area is {main.width}x{main.height}, not 304x226")
    run.expect_frame_at(main.id, 232, 112, "the main window")
    run.expect_title_buttons(main.id, "main", close_button=False)
    actions = desk.allowed_actions(main.id)
    forbidden = actions & {"CLOSE", "MINIMIZE", "MAXIMIZE_HORZ", "MAXIMIZE_VERT"}
    if forbidden:
        raise Failure(f"the window manager offers {sorted(forbidden)} for the main window")
    log(f"main window: the window manager allows {sorted(actions)}")

    main.expect_scene("title", "story-0-title")
    title_bar = main.bar()
    desk.save(title_bar, "story-bar.png")

    clicks = []  # (time of the click, clip that it starts)
    quiet_after = 0.0  # when a clip that was cut off would have ended by itself
    for number, (picture, voice) in enumerate(SCENES, start=1):
        clicked = main.click_next()
        clicks.append((clicked, voice))
        difference = main.expect_scene(picture, f"story-{number}-{picture[:-4]}")
        log(f"scene {number}: {picture} above the bar (difference {difference:.1f})")
        clip = run.clip(voice)
        if voice == "hanashi.wav":
            # Next in the middle of the longest line: it must be cut off.
            onset = wait_for_sound(recorder, clicked, voice)
            wait_until(onset + cut_point(clip) - clip.onset)
            quiet_after = onset + clip.duration + 0.3
        else:
            wait_until(max(clicked + clip.duration + 0.4, quiet_after))

    clicked = main.click_next()
    clicks.append((clicked, "end.wav"))
    expect_ending(run, main, clicked, "story-7")
    if main.bar().difference(title_bar) < 1:
        raise Failure("the bar in the ending looks like the bar on the title: Back is not shown")
    desk.save(main.bar(), "story-7-bar.png")

    main.click_back()
    main.expect_scene("start.bmp", "story-back")
    if main.bar().difference(title_bar) > 1:
        raise Failure("after Back the bar differs from the title's: Back is still shown")
    log("Back: start.bmp above the bar, Back hidden again")

    # A double-click is no second click: the story moves on by one row only.
    desk.double_click(main.id, main.width - 44, main.bar_y)
    time.sleep(1.0)
    main.expect_scene("s_1.bmp", "story-double-click")
    main.click_next()
    main.expect_scene("s_2.bmp", "story-after-double-click")
    log("double-click on Next: one row, then the next click the next row")
    time.sleep(0.8)

    help_windows(run, main)

    main.click_exit()
    box = desk.wait_window(BOX, timeout=5)
    if not desk.windows(MAIN):
        raise Failure("the main window went away before the farewell was dismissed")
    desk.save(desk.screenshot(), "story-farewell.png")
    run.expect_centred(box, "the farewell box")
    run.expect_icon(box, False, "the farewell box")
    desk.key(box, "Return")
    code = program.wait_exit(5)
    if code != 0:
        raise Failure(f"the program ended with code {code} after the farewell")
    desk.wait_no_window(MAIN, timeout=2)
    log("Exit: the farewell box titled PIKORA!; Enter ended the program with code 0")
    main.judge()
    return clicks


def wait_for_sound(recorder, clicked, voice):
    deadline = clicked + 1.0
    while True:
        onset = recorder.analysis().first_sound(clicked, deadline)
        if onset is not None:
            return onset
        if time.monotonic() > deadline + 0.2:
            raise Failure(f"no sound within a second of the Next that starts {voice}")
        time.sleep(0.05)


def wait_until(t):
    delay = t - time.monotonic()
    if delay > 0:
        time.sleep(delay)


def cut_point(clip):
    """When to cut the clip off, in seconds from its start: inside an unbroken
    loud stretch with some of it left on both sides, so that the cut cannot be
    mistaken for one of the clip's own pauses, late enough that the click is
    no double-click with the one that started it, and early enough that much
    of the clip is left to not sound."""
    earliest = clip.onset + Desktop.DOUBLE_CLICK_GAP + 0.1
    start = None
    for k, value in enumerate(clip.envelope + [0.0]):
        t = k * WINDOW
        if value > LOUD and start is None:
            start = t
        elif value <= LOUD and start is not None:
            first, last = max(start + 0.15, earliest), min(t - 0.15, clip.end - 1.5)
            if first <= last:
                return (first + last) / 2
            start = None
    raise Failure(f"{clip.path} has no long loud stretch to cut")


def expect_ending(run, main, clicked, tag):
    """Both pictures hidden, then 1.bmp and 2.bmp drawn over the area above the
    bar in turn, one second each."""
    desk = run.desk
    references = {"1.bmp": main.frame_reference("1.bmp"), "2.bmp": main.frame_reference("2.bmp")}
    background = main.bar().pixel(150, 3)  # the button face, as the bar shows it
    samples, first_seen = [], {}
    while time.monotonic() < clicked + 4.7:
        before = time.monotonic()
        area = main.area()
        at = (before + time.monotonic()) / 2 - clicked
        kind = "?"
        if area.share_of(background, tolerance=3, step=3) > 0.98:
            kind = "background"
        else:
            scores = {n: area.difference(r, step=3) for n, r in references.items()}
            best = min(scores, key=scores.get)
            if scores[best] <= SCENE_TOLERANCE:
                kind = best
        if kind not in [k for _, k in samples]:
            first_seen[kind] = area
        samples.append((at, kind))
    for kind, area in first_seen.items():
        desk.save(area, f"{tag}-{kind.replace('.bmp', '')}.png")
    log(f"{tag} ending: " + " ".join(f"{at:.2f}:{kind}" for at, kind in samples))
    runs = []  # (kind, first seen, last seen)
    for at, kind in samples:
        if kind == "?":
            continue
        if runs and runs[-1][0] == kind:
            runs[-1][2] = at
        else:
            runs.append([kind, at, at])
    unclear = sum(1 for _, k in samples if k == "?")
    if unclear > 3:
        raise Failure(f"{tag}: {unclear} screenshots of the ending show neither frame nor background")
    kinds = [k for k, _, _ in runs]
    if kinds[:5] != ["background", "1.bmp", "2.bmp", "1.bmp", "2.bmp"]:
        raise Failure(f"{tag}: the ending showed {kinds}, not the background and then 1.bmp and 2.bmp in turn")
    # Each change happened between the last sample before it and the first after.
    changes = [(runs[i - 1][2] + runs[i][1]) / 2 for i in range(1, 5)]
    if not 0.8 <= changes[0] <= 1.4:
        raise Failure(f"{tag}: the first frame came {changes[0]:.2f} s after Next, not after one second")
    for a, b in zip(changes, changes[1:]):
        if not 0.75 <= b - a <= 1.25:
            raise Failure(f"{tag}: frames changed {b - a:.2f} s apart, not once a second")
    log(f"{tag}: frames changed at " + ", ".join(f"{c:.2f}" for c in changes) + " s after Next")


def help_windows(run, main):
    desk = run.desk
    main.click_help()
    help_window = desk.wait_window(HELP)
    time.sleep(0.3)
    desk.park_mouse()
    run.expect_frame_at(help_window, 328, 128, "the help window")
    hx, hy, hw, hh = desk.client_geometry(help_window)
    if (hw, hh) != (344, 130):
        raise Failure(f"the help window's client area is {hw}x{hh}, not 344x130")
    shot = desk.grab(help_window)
    desk.save(shot, "help.png")
    if shot.share_of((128, 255, 255), tolerance=3) < 0.6:
        raise Failure("the help window is not light cyan")
    if "CLOSE" not in desk.allowed_actions(help_window):
        raise Failure("the window manager offers no close for the help window")
    run.expect_title_buttons(help_window, "help", close_button=True)
    # Escape is not the help window's key: only OK closes it.
    desk.key(help_window, "Escape")
    time.sleep(0.5)
    if not desk.windows(HELP):
        raise Failure("Escape closed the help window")

    desk.click(help_window, 60, 28)  # このゲームの世界観について
    world = desk.wait_window(WORLD)
    time.sleep(0.3)
    run.expect_frame_at(world, 208, 120, "the world-view window")
    expect_world_view(run, world, "story-world", picture="s_1.bmp", text=True)
    run.close_by_title_button(world, WORLD)
    if not desk.windows(HELP):
        raise Failure("closing the world view closed the help window too")
    log("help: the world view shows s_1.bmp at its own size and the world text; its close button closes it")

    desk.click(help_window, 40, 68)  # 遊び方
    box = desk.wait_window(BOX)
    time.sleep(0.2)
    desk.save(desk.screenshot(), "story-how-to-play.png")
    run.expect_centred(box, "the how-to-play box")
    run.expect_icon(box, False, "the how-to-play box")
    desk.key(box, "Escape")
    desk.wait_no_window(BOX)
    log("help: the how-to-play box titled PIKORA!; Escape closed it")

    desk.click(help_window, 60, 108)  # バージョン情報
    about = desk.wait_window(ABOUT)
    time.sleep(0.3)
    run.expect_centred(about, "the version window, opened for the first time,")
    expect_about(run, about, "story-about", picture="ver.bmp")
    desk.key(about, "Return")
    desk.wait_no_window(ABOUT)
    log("help: the version window shows ver.bmp scaled to 73x65; Enter closed it")

    desk.save(desk.screenshot().crop(hx - 40, hy - 60, hw + 80, hh + 100), "help-window.png")
    desk.click(help_window, 272, 108)  # OK
    desk.wait_no_window(HELP)
    log("help: OK closed the help window")


def expect_world_view(run, window, tag, picture, text):
    desk = run.desk
    x, y, w, h = desk.client_geometry(window)
    if (w, h) != (560, 210):
        raise Failure(f"the world-view window's client area is {w}x{h}, not 560x210")
    shot = desk.grab(window)
    desk.save(shot, f"{tag}.png")
    area = shot.crop(0, 0, 305, 209)
    background = shot.pixel(308, 205)
    if picture:
        difference = area.difference(run.story.picture(picture, crop=(0, 0, 305, 209)))
        if difference > EXACT_TOLERANCE:
            raise Failure(f"the world view does not show {picture} at its own size (difference {difference:.1f})")
    elif area.share_of(background, tolerance=3) < 0.99:
        raise Failure("the world view shows a picture although none could be loaded")
    memo = shot.crop(316, 12, 233, 185)
    ink = 1.0 - memo.share_of(memo.pixel(2, memo.height - 3), tolerance=40)
    if text and ink < 0.02:
        raise Failure(f"the world view's text box is empty ({ink:.1%} ink)")
    if not text and ink > 0.001:
        raise Failure(f"the world view's text box shows text although none was loaded ({ink:.1%} ink)")


def expect_about(run, window, tag, picture):
    desk = run.desk
    x, y, w, h = desk.client_geometry(window)
    if (w, h) != (320, 170):
        raise Failure(f"the version window's client area is {w}x{h}, not 320x170")
    shot = desk.grab(window)
    desk.save(shot, f"{tag}.png")
    area = shot.crop(19, 19, 73, 65)
    if picture:
        difference = area.difference(run.story.picture(picture, size=(73, 65)))
        if difference > SCENE_TOLERANCE:
            raise Failure(f"the version window does not show {picture} scaled to 73x65 (difference {difference:.1f})")
    elif area.share_of(shot.pixel(100, 100), tolerance=3) < 0.99:
        raise Failure("the version window shows a picture although none could be loaded")


def check_voices(run, recording, clicks):
    """Each Next started its clip, heard from its start; the Next during
    hanashi.wav cut it off, and the next clip started right after."""
    cut_at = None  # where the clip before was cut off, if it was
    for index, (clicked, voice) in enumerate(clicks):
        clip = run.clip(voice)
        # After a cut the old clip may sound on for a moment; the new one
        # begins after the silence that the cut leaves.
        onset = recording.first_sound(cut_at if cut_at else clicked, clicked + 1.0)
        if onset is None:
            raise Failure(f"no sound within a second of the Next that starts {voice}")
        following = clicks[index + 1][0] if index + 1 < len(clicks) else None
        cut = following is not None and following < onset + clip.end - clip.onset
        length = min(clip.end - clip.onset, following - onset - 0.1) if cut else None
        match = recording.match(clip, onset, length)
        log(f"voice {voice}: begins {1000 * (onset - clip.onset - clicked):.0f} ms after Next "
            f"(heard from {1000 * (onset - clicked):.0f} ms), follows the clip's loudness with correlation {match:.2f}")
        if onset - clicked > 0.4:
            raise Failure(f"{voice} began {1000 * (onset - clicked):.0f} ms after its Next")
        if match < 0.9:
            raise Failure(f"what sounds after the Next for {voice} does not follow that clip (correlation {match:.2f})")
        cut_at = check_cut(run, recording, clip, onset, clicks, index + 1) if cut else None


def check_cut(run, recording, clip, onset, clicks, index):
    """The clip that started at onset was cut off by clicks[index]: it stopped
    at once, where it was loud, the next clip followed straight away, and the
    rest of the old clip never sounded. Returns when it stopped."""
    clicked, voice = clicks[index]
    name = os.path.basename(clip.path)
    stopped = recording.silence_from(clicked - 0.05)
    if stopped is None:
        raise Failure(f"{name} never went quiet after the Next that starts {voice}")
    if clip.loud_at(stopped - onset + clip.onset) <= LOUD:
        raise Failure(f"{name} went quiet at a pause of its own, so its cut cannot be seen")
    new = run.clip(voice)
    new_onset = recording.first_sound(stopped, clicked + 1.0)
    if new_onset is None:
        raise Failure(f"{voice} did not follow the cut of {name}")
    gap = new_onset - new.onset - stopped
    log(f"cut: {name} stopped {1000 * (stopped - clicked):.0f} ms after Next; "
        f"{voice} began {1000 * gap:.0f} ms after that (heard {1000 * (new_onset - stopped):.0f} ms after)")
    if stopped - clicked > 0.15:
        raise Failure(f"{name} went on for {1000 * (stopped - clicked):.0f} ms after Next")
    if gap > 0.1:
        raise Failure(f"{voice} began {1000 * gap:.0f} ms after {name} stopped")
    # Had the old clip gone on, it would still sound after the new one ended:
    # after the new clip's end (give or take a stall of the playback) the
    # recording stays silent until the old clip's own end.
    rest_start = new_onset + (new.end - new.onset) + 0.3
    rest_end = onset + (clip.end - clip.onset) - 0.05
    if index + 1 < len(clicks):
        rest_end = min(rest_end, clicks[index + 1][0])
    would_sound = sum(1 for k in range(int((rest_start - onset + clip.onset) / WINDOW),
                                       int((rest_end - onset + clip.onset) / WINDOW))
                      if clip.envelope[k] > LOUD)
    if would_sound < 20:
        raise Failure(f"too little of {name} is left after {voice} to see that it stopped")
    loud = recording.loud_windows(rest_start, rest_end)
    if loud > 2:
        raise Failure(f"{name} went on after {voice}: {loud} loud windows where it would still play")
    return stopped


def close_request(run):
    """The window manager's close request ends the program at once: no farewell,
    code 0, and the voice that was playing stops with it."""
    desk = run.desk
    program = run.start("close")
    with Recorder(os.environ["PIKORA_SINK"]) as recorder:
        main = run.main_window(program)
        hints = desk.motif_hints(main.id)
        log(f"close request: _MOTIF_WM_HINTS {hints}")
        # Decorations are asked for: title, border and resize handle, but no
        # window menu and no minimise or maximise button.
        MWM_HINTS_DECORATIONS, MWM_DECOR_MENU, MWM_DECOR_MINIMIZE, MWM_DECOR_MAXIMIZE = 2, 0x10, 0x20, 0x40
        if (not hints or not hints[0] & MWM_HINTS_DECORATIONS
                or hints[2] & (MWM_DECOR_MENU | MWM_DECOR_MINIMIZE | MWM_DECOR_MAXIMIZE)):
            raise Failure(f"the main window's Motif hints {hints} allow a window menu or buttons")
        main.click_next()
        time.sleep(0.6)
        desk.request_close(main.id)
        deadline = time.monotonic() + 5
        while program.process.poll() is None:
            if desk.windows(BOX):
                raise Failure("a close request from the window manager showed a message box")
            if time.monotonic() > deadline:
                raise Failure("the program did not end within 5 s of the close request")
            time.sleep(0.02)
        ended = time.monotonic()
        time.sleep(1.0)
        recording = recorder.analysis()
    if program.process.returncode != 0:
        raise Failure(f"the program ended with code {program.process.returncode} after the close request")
    loud = recording.loud_windows(ended + 0.1, ended + 1.0)
    if loud > 0:
        raise Failure(f"start.wav went on sounding after the program ended ({loud} loud windows)")
    log("close request: the program ended with code 0, without the farewell, and its voice stopped")


# A folder with files missing ------------------------------------------------

MISSING = ["ver.bmp", "s_1.bmp", "himei1.wav", "d_2.bmp", "start.bmp"]


def missing_run(args, desk):
    run = Run(args, desk, "missing")
    for name in MISSING:
        os.remove(os.path.join(run.folder, name))
    try:
        with Recorder(os.environ["PIKORA_SINK"]) as recorder:
            play_with_missing_files(run, recorder)
        run.report_problems()
    finally:
        run.close()


def play_with_missing_files(run, recorder):
    desk = run.desk
    program = run.start("main")
    # "ver.bmp" and "s_1.bmp" each fail while the hidden windows are made,
    # before the main window is shown.
    for name in ("ver.bmp", "s_1.bmp"):
        box = desk.wait_window(BOX, timeout=15)
        if desk.windows(MAIN):
            raise Failure(f"the main window is shown while the start-up error for {name} is open")
        time.sleep(0.2)
        desk.save(desk.screenshot(), f"missing-start-{name[:-4]}.png")
        run.expect_icon(box, True, f"the start-up error box for {name}")
        desk.key(box, "Return")
        desk.wait_no_window(BOX, window=box)
    main = run.main_window(program)
    run.expect_no_box(0.5, "after the two start-up errors")
    log("missing: two error boxes before the main window, then the main window")

    def next_with_error(what):
        clicked = main.click_next()
        box = desk.wait_window(BOX)
        time.sleep(0.2)
        desk.save(desk.screenshot(), f"missing-{what}-box.png")
        run.expect_icon(box, True, f"the error box of {what}")
        desk.key(box, "Return")
        desk.wait_no_window(BOX)
        return clicked

    # Row 1 fails on its picture before its voice: the title stays, silence.
    clicked = next_with_error("row1")
    main.expect_scene("title", "missing-1-title-stays")
    time.sleep(0.8)
    quiet = recorder.analysis().loud_windows(clicked, time.monotonic())
    if quiet:
        raise Failure(f"row 1 failed on its picture, yet a voice sounded ({quiet} loud windows)")
    log("missing: Next 1 (no s_1.bmp) showed an error box; the title picture stays, no voice")

    clicked = main.click_next()
    main.expect_scene("s_2.bmp", "missing-2")
    wait_until(clicked + run.clip("he.wav").duration + 0.4)
    clicked = main.click_next()
    main.expect_scene("s_3.bmp", "missing-3")
    hanashi = run.clip("hanashi.wav")
    onset = wait_for_sound(recorder, clicked, "hanashi.wav")
    wait_until(onset + cut_point(hanashi) - hanashi.onset)
    # Row 4's voice is missing: the open fails after the old clip was closed.
    cut = next_with_error("row4")
    main.expect_scene("d_1.bmp", "missing-4")
    time.sleep(0.5)
    recording = recorder.analysis()
    stopped = recording.silence_from(cut - 0.05)
    if stopped is None:
        raise Failure("hanashi.wav did not sound before the fourth Next")
    if hanashi.loud_at(stopped - onset + hanashi.onset) <= LOUD:
        raise Failure("hanashi.wav went quiet at a pause of its own, so its cut cannot be seen")
    after = recording.loud_windows(stopped, time.monotonic())
    if stopped > cut + 0.15 or after:
        recording.save(os.path.join(run.args.out, "missing-sound.wav"))
        raise Failure(f"hanashi.wav went on sounding after the fourth Next failed to open himei1.wav "
                      f"(quiet from {1000 * (stopped - cut):.0f} ms after the click, then {after} loud windows)")
    log(f"missing: Next 4 (no himei1.wav) showed an error box over d_1.bmp; "
        f"hanashi.wav stopped {1000 * (stopped - cut):.0f} ms after the click")

    clicked = next_with_error("row5")
    main.expect_scene("d_1.bmp", "missing-5-d_1-stays")
    time.sleep(0.5)
    loud = recorder.analysis().loud_windows(clicked, time.monotonic())
    if loud:
        raise Failure(f"row 5 failed on its picture, yet a voice sounded ({loud} loud windows)")
    log("missing: Next 5 (no d_2.bmp) showed an error box; d_1.bmp stays, no voice")

    clicked = main.click_next()
    main.expect_scene("eat.bmp", "missing-6")
    wait_until(clicked + run.clip("eat1.wav").duration + 0.4)
    clicked = main.click_next()
    expect_ending(run, main, clicked, "missing-7")

    # "start.bmp" is missing: Back leaves the first frame in Image1 and Back shown.
    main.click_back()
    box = desk.wait_window(BOX)
    desk.key(box, "Return")
    desk.wait_no_window(BOX)
    main.expect_scene("1.bmp", "missing-back")
    main.click_back()
    box = desk.wait_window(BOX)
    desk.key(box, "Return")
    desk.wait_no_window(BOX)
    log("missing: Back (no start.bmp) showed an error box, left 1.bmp and stayed; a second Back did the same")

    main.click_help(back_shown=True)
    help_window = desk.wait_window(HELP)
    time.sleep(0.3)
    desk.click(help_window, 60, 28)
    world = desk.wait_window(WORLD)
    time.sleep(0.3)
    expect_world_view(run, world, "missing-world", picture=None, text=False)
    run.close_by_title_button(world, WORLD)
    desk.click(help_window, 60, 108)
    about = desk.wait_window(ABOUT)
    time.sleep(0.3)
    expect_about(run, about, "missing-about", picture=None)
    desk.key(about, "Return")
    desk.wait_no_window(ABOUT)
    desk.click(help_window, 272, 108)
    desk.wait_no_window(HELP)
    log("missing: the world view has neither picture nor text, the version window no picture")

    main.click_exit(back_shown=True)
    box = desk.wait_window(BOX)
    desk.key(box, "Return")
    code = program.wait_exit(5)
    if code != 0:
        raise Failure(f"the program ended with code {code}")
    log("missing: Exit, Enter: the program ended with code 0")
    main.judge()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--pikora", required=True)
    parser.add_argument("--story", required=True)
    parser.add_argument("--title-picture", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("scenario", choices=["story", "missing"])
    args = parser.parse_args()
    for name in ("pikora", "story", "title_picture", "out"):
        setattr(args, name, os.path.abspath(getattr(args, name)))

    if os.environ.get("PIKORA_SESSION") != "1":
        print("SKIP: runs only inside tests/session (X server, window manager, sound server)")
        return SKIP
    for variable in ("DISPLAY", "PULSE_SERVER", "PIKORA_SINK"):
        if not os.environ.get(variable):
            print(f"FAIL: {variable} is not set inside the session")
            return 1
    args.out = os.path.join(args.out, args.scenario)
    shutil.rmtree(args.out, ignore_errors=True)
    os.makedirs(args.out)
    started = time.monotonic()
    desk = None
    try:
        desk = Desktop(args.out)
        (story_run if args.scenario == "story" else missing_run)(args, desk)
    except Failure as failure:
        for program in Program.started:
            code = getattr(program, "code", program.process.poll())
            if code is not None and code != 0:
                print(f"FAIL: the program ended with code {code} (a signal if negative)")
        try:
            desk.save(desk.screenshot(), "failure.png")
        except Exception:  # the failure may be the display itself
            pass
        print(f"FAIL: {failure}")
        print(f"screenshots and program output: {args.out}")
        return 1
    log(f"PASS in {time.monotonic() - started:.0f} s; screenshots in {args.out}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
