"""The show as a web page, in a real headless Chromium. One group per run:
  stills  index.html#t=T equals the native capture's frame at T
  live    a key starts the show with running sound; space, Escape, play again; no errors
  music   the web music loops without losing or repeating more than 1 ms
  weight  the whole site, each file gzip -9 as a server sends it, is at most 3 MB
Usage: web_test.py GROUP SITE_DIR SHOW_DIR CAPTURE_PROGRAM WAV_FILE"""
import gzip
import json
import os
import shutil
import subprocess
import sys
import wave

from browser import Browser, serve, wait_until

GROUP, SITE, SHOW_DIR, CAPTURE, WAV = sys.argv[1:6]
SCRATCH = os.path.abspath(f"scratch-{GROUP}")
shutil.rmtree(SCRATCH, ignore_errors=True)
os.makedirs(SCRATCH)

WIDTH, HEIGHT = 640, 480
STILL_TIMES = [5, 14, 27, 40, 58]
# The native window title, copied here on purpose as an independent check.
SHOW_TITLE = "Kessivar 2002 - 01.-04. August 2002"
# The logo's file, as the show's list of its files names it (role, name, mode).
with open(os.path.join(os.path.dirname(__file__), "../../assets/show_files.txt")) as f:
    LOGO = next(line.split()[1] for line in f if line.split()[:1] == ["logo"])


def rgb(source, raw=None):
    """Pixels as rgb24 bytes, top row first, as ffmpeg decodes them from a file, or from
    raw RGBA bytes bottom row first (WebGL's order)."""
    given = ["-f", "rawvideo", "-pix_fmt", "rgba", "-s", f"{WIDTH}x{HEIGHT}"] if raw else []
    flip = ["-vf", "vflip"] if raw else []
    return subprocess.run(["ffmpeg", "-v", "error", *given, "-i", source, *flip, "-f", "rawvideo",
                           "-pix_fmt", "rgb24", "-"], input=raw, check=True,
                          capture_output=True).stdout


def differing_pixels(web, native):
    """Pixels of web with a channel more than 2 levels from native at the same place
    (plain), and those also that far from every native pixel of the 3x3 neighbourhood
    (shifted: an edge one rasteriser puts 1 px further is not counted)."""
    def far(a, b):
        return any(abs(web[a + c] - native[b + c]) > 2 for c in range(3))
    plain = shifted = 0
    for y in range(HEIGHT):
        for x in range(WIDTH):
            i = (y * WIDTH + x) * 3
            if web[i:i + 3] == native[i:i + 3] or not far(i, i):
                continue
            plain += 1
            if all(far(i, ((y + dy) * WIDTH + x + dx) * 3)
                   for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                   if 0 <= y + dy < HEIGHT and 0 <= x + dx < WIDTH):
                shifted += 1
    return plain, shifted


def test_stills(url):
    frames = os.path.join(SCRATCH, "native")
    subprocess.run([CAPTURE, "--at", ",".join(map(str, STILL_TIMES)), "--frames", frames],
                   cwd=SHOW_DIR, check=True, env={**os.environ, "EGL_PLATFORM": "surfaceless"})
    limit = WIDTH * HEIGHT // 1000  # 0.1 %
    failures = []
    with Browser(SCRATCH) as browser:
        for n, t in enumerate(STILL_TIMES):
            browser.open(f"{url}index.html?still={n}#t={t}")  # a new document each
            browser.wait_for("document.body.dataset.still === 'ready'", 60, f"the still at {t} s")
            web = rgb("-", browser.bytes_of("window.kessivarStill"))
            native = rgb(os.path.join(frames, f"frame-{n:06d}.png"))
            plain, shifted = differing_pixels(web, native)
            print(f"still {t:2d} s: {plain} pixels more than 2 levels apart, {shifted} of them "
                  f"also with no match 1 px around (limit {limit})")
            if shifted > limit:
                failures.append(f"{t} s: {shifted} pixels differ")
                with open(os.path.join(SCRATCH, f"web-{t}.rgb"), "wb") as f:
                    f.write(web)
        assert not browser.errors, f"page errors: {browser.errors}"

        # A picture the server does not have: one line says so, and the show goes on.
        partial = os.path.join(SCRATCH, "partial")
        os.makedirs(partial)
        for name in os.listdir(SITE):
            if name != LOGO:
                os.symlink(os.path.join(SITE, name), os.path.join(partial, name))
        browser.open(f"{serve(partial)}index.html#t=27")
        browser.wait_for("document.body.dataset.still === 'ready'", 60, "a still without logo")
        lines = [text for level, text in browser.console if LOGO in text]
        assert len(lines) == 1, f"lines about the missing {LOGO}: {lines}"
        print(f"without {LOGO}: {lines[0]}")
    assert not failures, "web stills differ from the native capture: " + "; ".join(failures)


# Counts the page's audio contexts and the buffer sources playing at any moment.
AUDIO_PROBE = """
window.audioProbe = {contexts: [], playing: 0, keyAt: 0, musicAt: 0};
addEventListener('keydown', (e) => { audioProbe.keyAt = e.timeStamp; }, true);
{ const Native = window.AudioContext;
  window.AudioContext = class extends Native {
    constructor(...a) { super(...a); audioProbe.contexts.push(this); } };
  const proto = AudioBufferSourceNode.prototype, start = proto.start, stop = proto.stop;
  proto.start = function (...a) {
    audioProbe.playing++; this.probed = true; audioProbe.musicAt = performance.now();
    return start.apply(this, a); };
  proto.stop = function (...a) {
    if (this.probed) { audioProbe.playing--; this.probed = false; } return stop.apply(this, a); }; }
"""
START_SCREEN_SHOWN = "getComputedStyle(document.getElementById('start')).display !== 'none'"
MUSIC_RUNNING = ("audioProbe.playing === 1 && audioProbe.contexts.length > 0 && "
                 "audioProbe.contexts.every(c => c.state === 'running')")


def test_live(url):
    with Browser(SCRATCH) as browser:
        browser.before_load(AUDIO_PROBE)
        browser.open(url + "index.html")
        browser.wait_for("document.getElementById('prompt').textContent.startsWith('Click')", 30,
                         "the start screen's prompt")
        assert browser.evaluate("document.title") == SHOW_TITLE, "page title is not the show's"
        assert browser.evaluate(START_SCREEN_SHOWN), "no start screen before the gesture"
        assert browser.evaluate("audioProbe.playing") == 0, "music before the gesture"

        for attempt in ("first", "again"):
            browser.press("Enter", "Enter", 13, "\r")
            browser.wait_for("document.body.dataset.firstFrameMs !== undefined", 10,
                             "the first show frame")
            print(f"{attempt}: gesture to first frame "
                  f"{browser.evaluate('document.body.dataset.firstFrameMs')} ms")
            assert not browser.evaluate(START_SCREEN_SHOWN), "start screen stays over the show"
            browser.wait_for(MUSIC_RUNNING, 15, "the music to play in a running audio context")
            print(f"{attempt}: key to music "
                  f"{browser.evaluate('audioProbe.musicAt - audioProbe.keyAt'):.0f} ms")
            if attempt == "first":
                for expected in ("nofade 1", "nofade 0"):
                    browser.press(" ", "Space", 32, " ")
                    wait_until(lambda: ("log", expected) in browser.console, 5,
                               f"'{expected}' on the console")
            browser.press("Escape", "Escape", 27)
            browser.wait_for(f"audioProbe.playing === 0 && {START_SCREEN_SHOWN}", 5,
                             "Escape to stop the music and show the start screen")
            browser.evaluate("delete document.body.dataset.firstFrameMs")
        nofade = [text for level, text in browser.console if text.startswith("nofade")]
        assert nofade == ["nofade 1", "nofade 0"], f"console lines {nofade}"
        assert not browser.errors, f"page errors: {browser.errors}"


# Renders the decoded web music looping across its end through Web Audio, and finds
# where the WAV's own samples sit before and after the loop point (correlation).
LOOP_PROBE = """(async (before, after, window, search) => {
  const data = await (await fetch(kessivarShowFiles.musicOgg)).arrayBuffer();
  const rate = %d, lead = Math.round(rate / 2);
  const context = new OfflineAudioContext(1, 2 * lead, rate);
  const music = await context.decodeAudioData(data);
  const source = context.createBufferSource();
  Object.assign(source, {buffer: music, loop: true});
  source.connect(context.destination);
  source.start(0, (music.length - lead) / rate);
  const out = (await context.startRendering()).getChannelData(0);
  const bestLag = (from, reference) => {
    let best = 0, bestScore = -Infinity;
    for (let lag = -search; lag <= search; ++lag) {
      let score = 0;
      for (let k = 0; k < window; ++k) score += out[from + k] * reference[search + lag + k];
      if (score > bestScore) { bestScore = score; best = lag; }
    }
    return best;
  };
  return {length: music.length, before: bestLag(lead - window - 500, before),
          after: bestLag(lead + 500, after)};
})"""


def test_music(url):
    with wave.open(WAV) as w:
        rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
        count = w.getnframes()
        raw = w.readframes(count)
    assert width == 2, "the WAV is not 16-bit"
    lead, window, search = rate // 2, 8192, 1000

    def left(first, end):  # the left channel's samples first..end-1, in -1..1
        return [int.from_bytes(raw[i:i + 2], "little", signed=True) / 32768
                for i in range(first * 2 * channels, end * 2 * channels, 2 * channels)]
    # The WAV where the rendering is compared, search samples either side: the end of the
    # piece before the loop point, its beginning after it.
    before = left(count - window - 500 - search, count - 500 + search)
    after = left(500 - search, 500 + window + search)
    with Browser(SCRATCH) as browser:
        browser.open(url + "index.html")
        result = browser.evaluate(
            f"({LOOP_PROBE % rate})({json.dumps(before)}, {json.dumps(after)}, {window}, {search})")
    error = result["after"] - result["before"]
    print(f"music: decoded {result['length']} samples, WAV {count}; WAV found {result['before']} "
          f"samples off before the loop point, {result['after']} after: the loop "
          f"{'adds' if error < 0 else 'skips'} {abs(error)} samples "
          f"({abs(error) * 1000 / rate:.2f} ms)")
    assert abs(error) * 1000 <= rate, "the loop adds or skips more than 1 ms"


def test_weight(url):
    del url
    total = 0
    for name in sorted(os.listdir(SITE)):
        with open(os.path.join(SITE, name), "rb") as f:
            size = len(gzip.compress(f.read(), 9))
        print(f"{size:9d}  {name}")
        total += size
    print(f"{total:9d}  in all, gzip -9 (budget 3 MB)")
    assert total <= 3 * 1024 * 1024, f"the page weighs {total} bytes"


if __name__ == "__main__":
    {"stills": test_stills, "live": test_live, "music": test_music,
     "weight": test_weight}[GROUP](serve(SITE))
    print(f"web {GROUP}: passed")
