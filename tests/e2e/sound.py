"""The sound side of the end-to-end test: a recording of the null sink's
monitor, placed on the test's own clock, and the loudness of the recording
and of the story's clips in 10 ms windows."""

import array
import math
import subprocess
import threading
import time
import warnings
import wave

with warnings.catch_warnings():
    warnings.simplefilter("ignore", DeprecationWarning)
    try:
        import audioop  # C speed where it still exists (up to Python 3.12)
    except ImportError:
        audioop = None

from desktop import Failure

WINDOW = 0.010  # seconds per loudness window
SILENCE = 0.002  # RMS (full scale 1.0) under which a window counts as silent
LOUD = 0.01  # RMS above which a clip is plainly speaking, not trailing off


def _rms_windows(samples, rate):
    """RMS of each WINDOW of a sequence of 16-bit samples, full scale 1.0."""
    out = []
    count = int(len(samples) / (rate * WINDOW))
    for k in range(count):
        start, end = round(k * rate * WINDOW), round((k + 1) * rate * WINDOW)
        if audioop:
            out.append(audioop.rms(samples[start:end].tobytes(), 2) / 32768.0)
            continue
        total = 0
        for s in samples[start:end]:
            total += s * s
        out.append(math.sqrt(total / max(1, end - start)) / 32768.0)
    return out


class Clip:
    """A story clip's loudness over time, from its WAV file."""

    def __init__(self, path):
        with wave.open(path, "rb") as f:
            if f.getsampwidth() != 2:
                raise Failure(f"{path} is not 16-bit PCM")
            channels, rate, frames = f.getnchannels(), f.getframerate(), f.readframes(f.getnframes())
        samples = array.array("h", frames)
        if channels > 1:
            samples = array.array("h", (sum(samples[i:i + channels]) // channels
                                        for i in range(0, len(samples), channels)))
        self.path = path
        self.duration = len(samples) / rate
        self.envelope = _rms_windows(samples, rate)
        # Where the voice begins inside the file (clips start with a little silence).
        self.onset = next(i for i, v in enumerate(self.envelope) if v > SILENCE) * WINDOW
        self.end = (len(self.envelope) - next(i for i, v in enumerate(reversed(self.envelope)) if v > SILENCE)) * WINDOW

    def loud_at(self, t):
        """Loudness at t seconds after the clip's start."""
        k = int(t / WINDOW)
        return self.envelope[k] if 0 <= k < len(self.envelope) else 0.0


class Recorder:
    """Records the sink's monitor with parec for the lifetime of a with-block.
    Each chunk's arrival is timed, so a sample's index maps back to the test's
    monotonic clock (to within the capture latency, a few milliseconds)."""

    RATE = 48000

    def __init__(self, sink):
        self.sink = sink
        self.samples = array.array("h")
        self._origin = None
        self._lock = threading.Lock()

    def __enter__(self):
        self._process = subprocess.Popen(
            ["parec", "-d", f"{self.sink}.monitor", "--raw", "--format=s16le", f"--rate={self.RATE}",
             "--channels=1", "--latency-msec=10", "--process-time-msec=5"],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self._thread = threading.Thread(target=self._read, daemon=True)
        self._thread.start()
        deadline = time.monotonic() + 5.0
        while self._origin is None:
            if self._process.poll() is not None:
                raise Failure(f"parec ended: {self._process.stderr.read().decode(errors='replace').strip()}")
            if time.monotonic() > deadline:
                raise Failure(f"no sound arrived from {self.sink}.monitor within 5 s")
            time.sleep(0.01)
        return self

    def _read(self):
        pending = b""
        while True:
            chunk = self._process.stdout.read1(4096)
            now = time.monotonic()
            if not chunk:
                return
            pending += chunk
            whole = len(pending) // 2 * 2
            with self._lock:
                self.samples.frombytes(pending[:whole])
                # The latest sample was captured no later than now, so the
                # first sample was captured no later than now - count/rate;
                # the smallest such bound is the closest.
                origin = now - len(self.samples) / self.RATE
                if self._origin is None or origin < self._origin:
                    self._origin = origin
            pending = pending[whole:]

    def __exit__(self, *exc):
        self._process.terminate()
        self._process.wait()
        self._thread.join(timeout=5)

    def analysis(self):
        with self._lock:
            return Recording(array.array("h", self.samples), self.RATE, self._origin)


class Recording:
    def __init__(self, samples, rate, origin):
        self.samples, self.rate, self.origin = samples, rate, origin
        self.envelope = _rms_windows(samples, rate)

    def save(self, path):
        with wave.open(path, "wb") as f:
            f.setnchannels(1)
            f.setsampwidth(2)
            f.setframerate(self.rate)
            f.writeframes(self.samples.tobytes())

    def index(self, t):
        # Times made from window indices map back to the same window.
        return math.floor((t - self.origin) / WINDOW + 1e-6)

    def loud_at(self, t):
        k = self.index(t)
        return self.envelope[k] if 0 <= k < len(self.envelope) else 0.0

    def first_sound(self, start, end):
        """The time of the first non-silent window in [start, end), or None."""
        for k in range(max(0, self.index(start)), min(len(self.envelope), self.index(end))):
            if self.envelope[k] > SILENCE:
                return self.origin + k * WINDOW
        return None

    def silence_from(self, start, windows=3):
        """The start of the first silence of at least windows windows from start."""
        quiet = 0
        for k in range(max(0, self.index(start)), len(self.envelope)):
            quiet = quiet + 1 if self.envelope[k] <= SILENCE else 0
            if quiet == windows:
                return self.origin + (k - windows + 1) * WINDOW
        return None

    def loud_windows(self, start, end):
        return sum(1 for k in range(max(0, self.index(start)), min(len(self.envelope), self.index(end)))
                   if self.envelope[k] > SILENCE)

    def match(self, clip, start, length=None):
        """How closely the recording from start follows the clip's loudness
        from the clip's onset: the correlation of the two envelopes over
        length seconds (the rest of the clip by default), at the best shift
        within +-30 ms."""
        length = clip.end - clip.onset if length is None else length
        n = int(length / WINDOW)
        first = int(clip.onset / WINDOW)
        want = clip.envelope[first:first + n]
        best = -1.0
        for shift in range(-3, 4):
            k = self.index(start) + shift
            got = self.envelope[max(0, k):max(0, k) + len(want)]
            if len(got) < len(want):
                got = got + [0.0] * (len(want) - len(got))
            best = max(best, _correlation(want, got))
        return best


def _correlation(a, b):
    n = len(a)
    ma, mb = sum(a) / n, sum(b) / n
    cov = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    va = sum((x - ma) ** 2 for x in a)
    vb = sum((y - mb) ** 2 for y in b)
    if va == 0 or vb == 0:
        return 0.0
    return cov / math.sqrt(va * vb)
