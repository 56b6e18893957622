"""The X side of the end-to-end test: windows found by title, real input
through xdotool (XTEST), screenshots of the whole screen, and pictures as
plain RGB buffers to compare with the story's own files."""

import operator
import os
import re
import subprocess
import time


class Failure(Exception):
    """A check of what the person at the screen would see or hear failed."""


def run(*args, check=True, input=None):
    result = subprocess.run(args, input=input, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if check and result.returncode != 0:
        raise Failure(f"{' '.join(args)} failed ({result.returncode}): "
                      f"{result.stderr.decode(errors='replace').strip()}")
    return result.stdout


class Picture:
    """An RGB picture, 3 bytes per pixel, rows top to bottom."""

    def __init__(self, width, height, data):
        assert len(data) == width * height * 3
        self.width, self.height, self.data = width, height, bytes(data)

    @staticmethod
    def from_ppm(raw):
        # P6 header: magic, width, height, maxval, each followed by white space.
        fields = []
        pos = 0
        while len(fields) < 4:
            while raw[pos:pos + 1].isspace():
                pos += 1
            if raw[pos:pos + 1] == b"#":
                pos = raw.index(b"\n", pos) + 1
                continue
            end = pos
            while not raw[end:end + 1].isspace():
                end += 1
            fields.append(raw[pos:end])
            pos = end
        if fields[0] != b"P6" or fields[3] != b"255":
            raise Failure(f"unexpected picture format {fields}")
        width, height = int(fields[1]), int(fields[2])
        return Picture(width, height, raw[pos + 1:pos + 1 + width * height * 3])

    @staticmethod
    def load(path, size=None, crop=None):
        """A picture file decoded by ImageMagick, optionally stretched to
        size = (w, h) and then cut to crop = (x, y, w, h)."""
        args = ["convert", path, "-alpha", "off", "-depth", "8"]
        if size:
            args += ["-resize", f"{size[0]}x{size[1]}!"]
        if crop:
            args += ["-crop", f"{crop[2]}x{crop[3]}+{crop[0]}+{crop[1]}", "+repage"]
        return Picture.from_ppm(run(*args, "ppm:-"))

    def crop(self, x, y, width, height):
        if x < 0 or y < 0 or x + width > self.width or y + height > self.height:
            raise Failure(f"region {width}x{height}+{x}+{y} lies outside the {self.width}x{self.height} picture")
        rows = []
        for row in range(y, y + height):
            start = (row * self.width + x) * 3
            rows.append(self.data[start:start + width * 3])
        return Picture(width, height, b"".join(rows))

    def pixel(self, x, y):
        start = (y * self.width + x) * 3
        return tuple(self.data[start:start + 3])

    def difference(self, other, step=1):
        """Mean absolute difference per colour channel, 0 to 255; with step > 1
        only every step-th pixel of every step-th row, a cheaper estimate."""
        if (self.width, self.height) != (other.width, other.height):
            raise Failure(f"cannot compare {self.width}x{self.height} with {other.width}x{other.height}")
        if step == 1:
            return sum(map(abs, map(operator.sub, self.data, other.data))) / len(self.data)
        total = count = 0
        stride = self.width * 3
        for row in range(0, self.height, step):
            start = row * stride
            a = [self.data[i:i + 3] for i in range(start, start + stride, 3 * step)]
            b = [other.data[i:i + 3] for i in range(start, start + stride, 3 * step)]
            a, b = b"".join(a), b"".join(b)
            total += sum(map(abs, map(operator.sub, a, b)))
            count += len(a)
        return total / count

    def share_of(self, colour, tolerance=8, step=1):
        """The share of pixels within tolerance of colour on every channel
        (of every step-th pixel of every step-th row)."""
        r, g, b = colour
        data, stride = self.data, self.width * 3
        hits = total = 0
        for row in range(0, self.height, step):
            start = row * stride
            for i in range(start, start + stride, 3 * step):
                total += 1
                if abs(data[i] - r) <= tolerance and abs(data[i + 1] - g) <= tolerance and abs(data[i + 2] - b) <= tolerance:
                    hits += 1
        return hits / total

    def share_where(self, test):
        """The share of pixels whose (r, g, b) passes test."""
        data = self.data
        hits = sum(1 for i in range(0, len(data), 3) if test(data[i], data[i + 1], data[i + 2]))
        return hits / (self.width * self.height)

    def save(self, path):
        header = f"P6\n{self.width} {self.height}\n255\n".encode()
        run("convert", "ppm:-", path, input=header + self.data)


class Desktop:
    """The X display of the session, as the test's person uses it."""

    def __init__(self, shots_dir):
        if not os.environ.get("DISPLAY"):
            raise Failure("DISPLAY is not set")
        self.shots_dir = shots_dir
        self._last_click = None
        os.makedirs(shots_dir, exist_ok=True)
        run("xdpyinfo")
        if b"window id" not in run("xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False):
            raise Failure("no window manager is running")

    # Windows -------------------------------------------------------------

    def windows(self, title):
        """Visible top-level windows whose title is exactly title."""
        out = run("xdotool", "search", "--onlyvisible", "--name", f"^{re.escape(title)}$", check=False)
        return [int(w) for w in out.split()]

    def wait_window(self, title, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows(title)
            if found:
                return found[0]
            time.sleep(0.05)
        raise Failure(f'no window titled "{title}" appeared within {timeout:.0f} s')

    def wait_no_window(self, title, timeout=5.0, window=None):
        """Until no window titled title is visible, or only until the given
        one of them has gone (another box with the same title may follow)."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.windows(title)
            if not found or (window is not None and window not in found):
                return
            time.sleep(0.05)
        raise Failure(f'the window titled "{title}" is still there after {timeout:.0f} s')

    def client_geometry(self, window):
        """(x, y, width, height) of the window's client area on the screen."""
        out = run("xwininfo", "-id", str(window)).decode()
        values = {}
        for key, label in (("x", "Absolute upper-left X"), ("y", "Absolute upper-left Y"),
                           ("w", "Width"), ("h", "Height")):
            match = re.search(rf"{label}:\s+(-?\d+)", out)
            if not match:
                raise Failure(f"xwininfo gave no {label} for window {window}")
            values[key] = int(match.group(1))
        return values["x"], values["y"], values["w"], values["h"]

    def _property(self, window, name):
        return run("xprop", "-id", str(window), name, check=False).decode()

    def frame_extents(self, window):
        """(left, right, top, bottom) of the frame the window manager drew."""
        out = self._property(window, "_NET_FRAME_EXTENTS")
        numbers = [int(n) for n in re.findall(r"\d+", out.split("=", 1)[-1])]
        if "=" not in out or len(numbers) != 4:
            raise Failure(f"window {window} has no frame extents: {out.strip()}")
        return tuple(numbers)

    def allowed_actions(self, window):
        out = self._property(window, "_NET_WM_ALLOWED_ACTIONS")
        if "=" not in out:
            raise Failure(f"the window manager lists no allowed actions for window {window}")
        return {a.strip().removeprefix("_NET_WM_ACTION_") for a in out.split("=", 1)[1].split(",")}

    def motif_hints(self, window):
        out = self._property(window, "_MOTIF_WM_HINTS")
        if "=" not in out:
            return None
        return [int(n, 16) for n in re.findall(r"0x[0-9a-fA-F]+", out.split("=", 1)[1])]

    def request_close(self, window):
        """The window manager's close request (_NET_CLOSE_WINDOW), as its
        task-bar entry's Close command sends it."""
        run("wmctrl", "-i", "-c", hex(window))

    # Input ---------------------------------------------------------------

    # Two clicks on one spot closer together than this are a double-click
    # (Qt's interval is 400 ms when no XSETTINGS manager says otherwise, and
    # the session has none); separate clicks are kept further apart.
    DOUBLE_CLICK_GAP = 0.5

    def click(self, window, x, y):
        """A left click at (x, y) inside the window's client area. Returns
        the time just before it was sent."""
        spot = (window, x, y)
        if self._last_click and self._last_click[0] == spot:
            delay = self._last_click[1] + self.DOUBLE_CLICK_GAP - time.monotonic()
            if delay > 0:
                time.sleep(delay)
        sent = time.monotonic()
        run("xdotool", "mousemove", "--window", str(window), str(x), str(y), "click", "1")
        self._last_click = (spot, sent)
        return sent

    def double_click(self, window, x, y):
        sent = time.monotonic()
        run("xdotool", "mousemove", "--window", str(window), str(x), str(y),
            "click", "--repeat", "2", "--delay", "60", "1")
        self._last_click = ((window, x, y), sent)
        return sent

    def click_screen(self, x, y):
        run("xdotool", "mousemove", str(x), str(y), "click", "1")

    def park_mouse(self):
        # Away from every window, so that no hover look sits in a screenshot.
        run("xdotool", "mousemove", "1270", "10")

    def key(self, window, name):
        """A key press given to the window that has the focus, after making
        sure that it is the expected one."""
        deadline = time.monotonic() + 3.0
        while True:
            focused = int(run("xdotool", "getwindowfocus").split()[0])
            if focused == window or self._is_child(window, focused):
                break
            if time.monotonic() > deadline:
                raise Failure(f"window {window} did not get the keyboard focus (focus is on {focused})")
            time.sleep(0.05)
        run("xdotool", "key", name)

    def _is_child(self, window, other):
        out = run("xwininfo", "-children", "-id", str(window), check=False).decode()
        return hex(other) in out

    # Pictures ------------------------------------------------------------

    def screenshot(self):
        return Picture.from_ppm(run("import", "-window", "root", "-depth", "8", "ppm:-"))

    def grab(self, window, x=0, y=0, width=None, height=None):
        """A region of the window's client area as it appears on the screen."""
        cx, cy, cw, ch = self.client_geometry(window)
        return self.screenshot().crop(cx + x, cy + y, width or cw, height or ch)

    def save(self, picture, name):
        path = os.path.join(self.shots_dir, name)
        picture.save(path)
        return path
