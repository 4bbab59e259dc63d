"""The show as a web page, in a real browser. One group per run:
  stills  index.html#t=T equals the native capture's frame at T, also at 1440x1080; in
          Chromium also the site's files: its weight as hosts send it, its pictures
          decoding to the native ones' bytes, the link preview's tags and picture
  tap     a click during loading, on a slow line, starts the show with sound coming out;
          one before a later picture is in starts it once that is bound; a click on the
          start screen starts a moving picture; no errors
  live    the invitation as text; a key starts the show with running sound; space,
          Escape, again in full screen
  devices a phone's taps and control bar, upright too; a second visit offline; no WebGL
  music   the page makes the WAV's samples (1 LSB allowed), loops them without a gap and
          joins the show where it is
stills and tap run in ENGINE: chromium (headless, the default; the other groups run only
there), firefox or webkit, each with an X server and a sound server of the test's own.
Usage: web_test.py GROUP SITE_DIR SHOW_DIR CAPTURE_PROGRAM WAV_FILE [ENGINE]"""
import ast
import contextlib
import os
import re
import shutil
import subprocess
import sys
import threading

from browser import Browser, serve, site_weight, wait_until
from desktop import Desktop
from firefox import Firefox
from webkit import WebKit

GROUP, SITE, SHOW_DIR, CAPTURE, WAV = sys.argv[1:6]
ENGINE = sys.argv[6] if len(sys.argv) > 6 else "chromium"
SCRATCH = os.path.abspath(f"scratch-{GROUP}" + ("" if ENGINE == "chromium" else f"-{ENGINE}"))
shutil.rmtree(SCRATCH, ignore_errors=True)
os.makedirs(SCRATCH)

WIDTH, HEIGHT = 640, 480
STILL_TIMES = [5, 14, 27, 40, 58]
# The native window title and the party's place, copied here on purpose as an
# independent check.
SHOW_TITLE = "Kessivar 2002 - 01.-04. August 2002"
EVENT_PLACE = "Ostrakka Hall, Velmola"
# The page's weight as a compressing host and as a plain one (python3 -m http.server)
# send it, bytes; the link preview's picture, which only link scrapers fetch, aside.
WEIGHT_BUDGETS = {"compressing": 750 * 1024, "plain": 1300 * 1024}
PREVIEW = "preview.png"
PREVIEW_SIZE, PREVIEW_AT = (1200, 630), 5  # the title frame, as the capture draws it
# The logo's file, as the show's list of its files names it (role, name, mode).
with open(os.path.join(os.path.dirname(__file__), "../../assets/show_files.txt")) as f:
    LOGO = next(line.split()[1] for line in f if line.split()[:1] == ["logo"])


def rgb(source, raw=None, size=(WIDTH, HEIGHT)):
    """Pixels as rgb24 bytes, top row first, as ffmpeg decodes them from a file, or from
    raw RGBA bytes of width x height, bottom row first (WebGL's order)."""
    given = ["-f", "rawvideo", "-pix_fmt", "rgba", "-s", "%dx%d" % size] if raw else []
    flip = ["-vf", "vflip"] if raw else []
    return subprocess.run(["ffmpeg", "-v", "error", *given, "-i", source, *flip, "-f", "rawvideo",
                           "-pix_fmt", "rgb24", "-"], input=raw, check=True,
                          capture_output=True).stdout


def differing_pixels(web, native, width=WIDTH, height=HEIGHT):
    """Pixels of web with a channel more than 2 levels from native at the same place
    (plain), and those also that far from every native pixel of the 3x3 neighbourhood
    (shifted: an edge one rasteriser puts 1 px further is not counted)."""
    def far(a, b):
        return any(abs(web[a + c] - native[b + c]) > 2 for c in range(3))
    plain = shifted = 0
    for y in range(height):
        for x in range(width):
            i = (y * width + x) * 3
            if web[i:i + 3] == native[i:i + 3] or not far(i, i):
                continue
            plain += 1
            if all(far(i, ((y + dy) * width + x + dx) * 3)
                   for dy in (-1, 0, 1) for dx in (-1, 0, 1)
                   if 0 <= y + dy < height and 0 <= x + dx < width):
                shifted += 1
    return plain, shifted


@contextlib.contextmanager
def engine():
    """The browser of ENGINE and the desktop (display, sound) it runs in."""
    driver = {"chromium": Browser, "firefox": Firefox, "webkit": WebKit}[ENGINE]
    with Desktop(SCRATCH) as desktop:
        os.environ.update(desktop.env)
        with driver(SCRATCH) as browser:
            yield browser, desktop


def linked_site(name, leave_out=(), add=()):
    """The site as links in a folder of the test's own (less leave_out, plus the files of
    add), served; returns the folder and its URL."""
    folder = os.path.join(SCRATCH, name)
    os.makedirs(folder)
    for path in [os.path.join(SITE, f) for f in os.listdir(SITE) if f not in leave_out] + list(add):
        os.symlink(os.path.abspath(path), os.path.join(folder, os.path.basename(path)))
    return folder, serve(folder)


PROMPT = "document.getElementById('prompt').textContent"


def wait_start_screen(browser):
    browser.wait_for(f"/^(Click|Tap)/.test({PROMPT})", 30, "the start screen's invitation")


def test_stills(url):
    frames = os.path.join(SCRATCH, "native")
    capture_env = {**os.environ, "EGL_PLATFORM": "surfaceless"}
    subprocess.run([CAPTURE, "--at", ",".join(map(str, STILL_TIMES)), "--frames", frames],
                   cwd=SHOW_DIR, check=True, env=capture_env)
    # One still as a large screen draws it.
    large, large_at = (1440, 1080), 27
    subprocess.run([CAPTURE, "--at", str(large_at), "--size", "%dx%d" % large, "--frames",
                    os.path.join(SCRATCH, "large")], cwd=SHOW_DIR, check=True, env=capture_env)
    stills = [(t, (WIDTH, HEIGHT), f"#t={t}", os.path.join(frames, f"frame-{n:06d}.png"))
              for n, t in enumerate(STILL_TIMES)]
    stills.append((large_at, large, f"#t={large_at}&size=%dx%d" % large,
                   os.path.join(SCRATCH, "large", "frame-000000.png")))
    failures = []
    with engine() as (browser, desktop):
        for n, (t, size, hash_, frame) in enumerate(stills):
            browser.open(f"{url}index.html?still={n}{hash_}")  # a new document each
            browser.wait_for("document.body.dataset.still === 'ready'", 60, f"the still {hash_}")
            web = rgb("-", browser.bytes_of("window.kessivarStill"), size)
            plain, shifted = differing_pixels(web, rgb(frame), *size)
            limit = size[0] * size[1] // 1000  # 0.1 %
            print(f"still {hash_}: {plain} pixels more than 2 levels apart, {shifted} of them "
                  f"also with no match 1 px around (limit {limit})")
            if shifted > limit:
                failures.append(f"{hash_}: {shifted} pixels differ")
                with open(os.path.join(SCRATCH, f"web-{n}.rgb"), "wb") as f:
                    f.write(web)
        assert not browser.errors, f"page errors: {browser.errors}"

        # A picture the server does not have: one line says so, and the show goes on.
        browser.open(f"{linked_site('partial', leave_out=[LOGO])[1]}index.html#t=27")
        browser.wait_for("document.body.dataset.still === 'ready'", 60, "a still without logo")
        lines = [text for level, text in browser.console if LOGO in text]
        assert len(lines) == 1, f"lines about the missing {LOGO}: {lines}"
        print(f"without {LOGO}: {lines[0]}")
    assert not failures, "web stills differ from the native capture: " + "; ".join(failures)
    if ENGINE == "chromium":  # the files are the same for every engine
        check_site_files()


def decoded(png):
    """A PNG's pixels in its own format (grey, RGB or RGBA), and its header chunk."""
    with open(png, "rb") as f:
        header = f.read(33)[16:29]
    return subprocess.run(["ffmpeg", "-v", "error", "-i", png, "-f", "rawvideo", "-"], check=True,
                          capture_output=True).stdout, header


def check_site_files():
    """The site as hosts send it, its pictures against the native ones, its preview."""
    for host, compressing in (("compressing", True), ("plain", False)):
        weight = site_weight(SITE, serve(SITE, compressing=compressing), [PREVIEW])
        total = sum(weight.values())
        print(f"weight from a {host} host: {total / 1024:.1f} KB "
              f"(budget {WEIGHT_BUDGETS[host] // 1024} KB; largest: "
              + ", ".join(f"{n} {b / 1024:.0f}" for n, b in
                          sorted(weight.items(), key=lambda i: -i[1])[:3]) + ")")
        assert total <= WEIGHT_BUDGETS[host], f"the page weighs {total} bytes from a {host} host"

    with open(os.path.join(os.path.dirname(__file__), "../../assets/show_files.txt")) as f:
        pictures = [line.split()[1] for line in f if line.split()[:1] not in ([], ["music"])
                    and not line.startswith("#")]
    for name in pictures + ["kessivar.png"]:
        page, native = decoded(os.path.join(SITE, name)), decoded(os.path.join(SHOW_DIR, name))
        size = os.path.getsize(os.path.join(SITE, name))
        print(f"{name}: {size} bytes on the page, {os.path.getsize(os.path.join(SHOW_DIR, name))}"
              " native")
        assert page == native, f"{name}: the page's picture does not decode to the native one's bytes"

    with open(os.path.join(SITE, "index.html")) as f:
        tags = dict(re.findall(r'<meta (?:name|property)="([^"]+)" content="([^"]*)"', f.read()))
    wanted = {"og:image:width": str(PREVIEW_SIZE[0]), "og:image:height": str(PREVIEW_SIZE[1]),
              "twitter:card": "summary_large_image"}
    for name in ("description", "og:title", "og:description", "og:image", "twitter:image"):
        assert tags.get(name), f"no {name} tag"
    assert all(tags.get(k) == v for k, v in wanted.items()), f"preview tags {tags}"
    assert tags["og:image"].endswith(PREVIEW) and tags["twitter:image"] == tags["og:image"]
    assert SHOW_TITLE.split(" - ")[1] in tags["description"], "no dates in the description"
    print(f"description: {tags['description']}")
    frames = os.path.join(SCRATCH, "preview")
    subprocess.run([CAPTURE, "--at", str(PREVIEW_AT), "--size", "%dx%d" % PREVIEW_SIZE,
                    "--frames", frames], cwd=SHOW_DIR, check=True,
                   env={**os.environ, "EGL_PLATFORM": "surfaceless"})
    preview, title = (rgb(os.path.join(d, n)) for d, n in ((SITE, PREVIEW),
                                                           (frames, "frame-000000.png")))
    assert len(preview) == 3 * PREVIEW_SIZE[0] * PREVIEW_SIZE[1], "the preview is not 1200x630"
    if preview != title:
        plain, shifted = differing_pixels(preview, title, *PREVIEW_SIZE)
        print(f"preview: {shifted} pixels differ from the capture's title frame")
        assert shifted <= PREVIEW_SIZE[0] * PREVIEW_SIZE[1] // 1000, "the preview is not the title frame"


def scroll_texts():
    """The scroller's texts that say something (no blank runs or separators), as the
    show's table holds them, runs of spaces made one."""
    with open(os.path.join(os.path.dirname(__file__), "../../data/scroll_texts.cpp"),
              encoding="latin-1") as f:
        table = f.read().split("scrollTexts[] = {", 1)[1]
    entries = re.split(r"\n\s*// \d+:[^\n]*\n", table)[1:]
    texts = ["".join(ast.literal_eval(literal) for literal in re.findall(r'"(?:[^"\\]|\\.)*"', e))
             for e in entries]
    assert len(texts) == 75, f"{len(texts)} scroll texts in the table"
    return [" ".join(t.split()) for t in texts if t.strip(" -")]


def check_invitation(browser):
    """The invitation as text: reachable on the start screen and by screen readers, with
    the party's facts and every scroll text."""
    canvas = browser.evaluate("[canvas.getAttribute('role'), canvas.getAttribute('aria-label')]")
    assert canvas[0] == "img" and canvas[1], f"the canvas's role and label: {canvas}"
    assert browser.evaluate("getComputedStyle(document.getElementById('invitation')).display"
                            " !== 'none'"), "screen readers cannot reach the invitation's text"
    x, y = browser.evaluate("""(() => { const r = document.getElementById('read')
        .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; })()""")
    browser.click(x, y)
    browser.wait_for("document.getElementById('invitation').getBoundingClientRect().width > 300",
                     5, "Read the invitation to show its text")
    assert browser.evaluate(STATE) == "ready", "the link started the show"
    text = " ".join(browser.evaluate("document.getElementById('invitation').innerText").split())
    facts = SHOW_TITLE.split(" - ") + [EVENT_PLACE]
    missing = [t for t in facts + scroll_texts() if t not in text]
    print(f"the invitation as text: {len(text)} characters, {len(facts)} facts and "
          f"{len(scroll_texts())} scroll texts wanted, {len(missing)} missing")
    assert not missing, f"not in the invitation's text: {missing}"
    browser.press("Escape", "Escape", 27)
    browser.wait_for(f"location.hash === '' && {START_SCREEN_SHOWN} && {STATE} === 'ready'", 5,
                     "Escape to close the invitation's text")


# Counts the page's audio contexts and the buffer sources playing at any moment; keeps
# when the music began after the last key, and each start: its time on the context's clock,
# where it ends and whether it loops.
AUDIO_PROBE = """
window.audioProbe = {contexts: [], playing: 0, keyAt: 0, musicAt: 0, starts: []};
addEventListener('keydown', (e) => { audioProbe.keyAt = e.timeStamp; audioProbe.musicAt = 0; }, true);
{ const Native = window.AudioContext;
  window.AudioContext = class extends Native {
    constructor(...a) { super(...a); audioProbe.contexts.push(this); } };
  const proto = AudioBufferSourceNode.prototype, start = proto.start, stop = proto.stop;
  const done = (node) => { if (node.probed) { audioProbe.playing--; node.probed = false; } };
  proto.start = function (when, offset) {
    audioProbe.playing++; this.probed = true;
    audioProbe.musicAt = audioProbe.musicAt || performance.now();
    audioProbe.starts.push({when, end: when + this.buffer.duration - offset, loop: this.loop});
    this.addEventListener('ended', () => done(this));
    return start.apply(this, arguments); };
  proto.stop = function (...a) { done(this); return stop.apply(this, a); }; }
"""
STATE = "document.body.dataset.state"
START_SCREEN_SHOWN = "getComputedStyle(document.getElementById('start')).display !== 'none'"
MUSIC_RUNNING = ("audioProbe.playing > 0 && audioProbe.contexts.length > 0 && "
                 "audioProbe.contexts.every(c => c.state === 'running')")


def test_live(url):
    with Browser(SCRATCH) as browser:
        browser.before_load(AUDIO_PROBE)
        browser.open(url + "index.html")
        wait_start_screen(browser)
        assert browser.evaluate("document.title") == SHOW_TITLE, "page title is not the show's"
        assert browser.evaluate(START_SCREEN_SHOWN), "no start screen before the gesture"
        assert browser.evaluate("audioProbe.playing") == 0, "music before the gesture"
        check_invitation(browser)

        for attempt in ("first", "again"):
            if attempt == "again":  # in full screen, drawn at the screen's own size
                browser.press("f", "KeyF", 70, "f")
                browser.wait_for("!!document.fullscreenElement", 5, "F to enter full screen")
            browser.press("Enter", "Enter", 13, "\r")
            browser.wait_for("document.body.dataset.firstFrameMs !== undefined", 10,
                             "the first show frame")
            print(f"{attempt}: gesture to first frame "
                  f"{browser.evaluate('document.body.dataset.firstFrameMs')} ms")
            assert not browser.evaluate(START_SCREEN_SHOWN), "start screen stays over the show"
            browser.wait_for(MUSIC_RUNNING, 60,
                             "the music (rendered in the page) to play in a running audio context")
            print(f"{attempt}: key to music "
                  f"{browser.evaluate('audioProbe.musicAt - audioProbe.keyAt'):.0f} ms")
            if attempt == "first":
                for expected in ("nofade 1", "nofade 0"):
                    browser.press(" ", "Space", 32, " ")
                    wait_until(lambda: browser.logged("log", expected), 5,
                               f"'{expected}' on the console")
            if attempt == "again":
                size = browser.evaluate("[innerWidth, innerHeight, canvas.width, canvas.height]")
                print(f"full screen {size[0]}x{size[1]}: canvas {size[2]}x{size[3]}")
                assert size[2] > WIDTH and size[3] == size[1], f"canvas in full screen {size}"
            browser.press("Escape", "Escape", 27)
            browser.wait_for(f"audioProbe.playing === 0 && {START_SCREEN_SHOWN} && "
                             "!document.fullscreenElement", 5,
                             "Escape to stop the music, show the start screen, leave full screen")
            browser.evaluate("delete document.body.dataset.firstFrameMs")
        nofade = [text for level, text in browser.console if text.startswith("nofade")]
        assert nofade == ["nofade 1", "nofade 0"], f"console lines {nofade}"
        assert not browser.errors, f"page errors: {browser.errors}"


def shown(selector):
    return f"getComputedStyle(document.querySelector('{selector}')).display !== 'none'"


def test_devices(site_url):
    site, url = linked_site("site")  # removed for the second visit
    with Browser(SCRATCH) as browser:
        # A phone on its side: taps only, the hints for them, the picture at the screen's
        # own pixels (520x390 CSS pixels at 3 device pixels each).
        browser.phone(844, 390)
        browser.open(url + "index.html")
        browser.wait_for(f"{STATE} === 'ready'", 30, "the start screen's invitation")
        assert browser.evaluate(f"{shown('.taps')} && !({shown('.keys')})"), "key hints on a phone"
        browser.tap("#start")
        browser.wait_for(f"{STATE} === 'show'", 10, "a tap to start the show")
        size = browser.evaluate("[canvas.width, canvas.height]")
        print(f"phone 844x390: canvas {size[0]}x{size[1]}")
        assert size == [1560, 1170], f"canvas {size} on a 1560x1170 picture"

        bar_shown = "'bar' in document.body.dataset"
        bar_opacity = "getComputedStyle(document.getElementById('bar')).opacity"
        bar_faded = f"!({bar_shown}) && {bar_opacity} === '0'"
        browser.wait_for(bar_faded, 10, "the control bar to leave the show alone before a tap")

        def tap_in_bar(button, done, what):
            """A tap on the picture, which brings the bar for 3 s, and at once one on its
            button, until done(): a busy machine may let the bar go between the two, and
            then the second tap only brings it back."""
            def attempt():
                browser.tap("#canvas")
                browser.tap(button)
                try:
                    return wait_until(done, 1, what)
                except AssertionError:
                    return None
            wait_until(attempt, 10, what)
        tap_in_bar("#fade", lambda: browser.logged("log", "nofade 1"),
                   "a tap on the picture and on Cross-fade to say 'nofade 1'")
        browser.wait_for(bar_faded, 8, "the bar with its buttons to fade after a while")
        tap_in_bar("#stop", lambda: browser.evaluate(f"{STATE} === 'ready' && {START_SCREEN_SHOWN}"),
                   "a tap on the picture and on Stop to return to the start screen")

        # Upright: the picture across the whole width, a line under it.
        browser.phone(390, 844)
        browser.tap("#start")
        browser.wait_for(f"{STATE} === 'show'", 10, "a tap to start the show upright")
        assert browser.evaluate(f"canvas.clientWidth === innerWidth && {shown('#turn')}"), \
            "upright, the picture is not as wide as the screen or the turn line is missing"

        # A second visit with the network gone: the service worker has the files.
        browser.wait_for("navigator.serviceWorker.controller !== null", 30,
                         "the service worker to keep the files")
        assert not browser.call("Page.getInstallabilityErrors")["installabilityErrors"], \
            "the page cannot be installed to a home screen"
        shutil.rmtree(site)  # every request to the server now fails
        browser.call("Network.enable")
        browser.call("Network.emulateNetworkConditions", offline=True, latency=0,
                     downloadThroughput=-1, uploadThroughput=-1)
        browser.open(url + "index.html")
        browser.wait_for(f"{STATE} === 'ready'", 30, "the page offline")
        browser.tap("#start")
        browser.wait_for(f"{STATE} === 'show' && document.body.dataset.firstFrameMs", 10,
                         "the show offline")
        assert not browser.errors, f"page errors: {browser.errors}"

    # No WebGL: the start screen says so, and nothing fails uncaught.
    with Browser(SCRATCH, ["--disable-3d-apis"]) as browser:
        browser.open(site_url + "index.html")
        browser.wait_for(f"{STATE} === 'nowebgl'", 10, "the page to find no WebGL")
        print("without WebGL: " + browser.evaluate("document.getElementById('start').innerText"))
        prompt = browser.evaluate("document.getElementById('prompt').textContent")
        assert "needs WebGL" in prompt, f"no word of WebGL: {prompt}"
        assert not browser.errors, f"page errors: {browser.errors}"


SOUND = "audioProbe.contexts.map(c => c.state + ' at ' + c.currentTime.toFixed(2) + ' s')"


def picture(png):
    """A screenshot as 160x120 rgb24 bytes."""
    return subprocess.run(["ffmpeg", "-v", "error", "-f", "png_pipe", "-i", "-", "-vf",
                           "scale=160:120", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          input=png, check=True, capture_output=True).stdout


def test_tap(url):
    gate = threading.Event()
    with engine() as (browser, desktop):
        browser.before_load(AUDIO_PROBE)
        # On a slow line, a click while the files still come: once they are in, the show
        # starts with its sound coming out of the sound server, as the click asked.
        browser.open(serve(SITE, gate) + "index.html")
        browser.wait_for(f"{PROMPT}.startsWith('Loading')", 30, "the start screen, loading")
        assert desktop.loudest() == 0, "sound before the click"
        browser.click(320, 240)
        print(f"a click while loading: the page says {browser.evaluate(PROMPT)!r}")
        gate.set()
        browser.wait_for("document.body.dataset.firstFrameMs !== undefined", 60,
                         "the show to start once the files are in")
        try:
            browser.wait_for(f"audioProbe.contexts.length > 0 && {SOUND}.every("
                             "s => s.startsWith('running') && !s.endsWith(' 0.00 s'))", 15,
                             "a running audio context with its clock moving")
        finally:
            print(f"audio contexts after the show started: {browser.evaluate(SOUND)}")
        # The music joins once the page's synthesizer has made it: seconds on a busy
        # machine.
        peak = wait_until(lambda: desktop.loudest(), 60, "sound out of the sound server")
        print(f"sound out: peak {peak} of 32768 in 0.3 s")

        # The logo, drawn only after the title, held back: the start screen invites a tap
        # without it, and a click then starts the show once every picture is bound.
        held = threading.Event()
        browser.open(serve(SITE, held, held=[LOGO]) + "index.html")
        wait_start_screen(browser)
        browser.click(320, 240)
        browser.wait_for(f"{PROMPT}.startsWith('Starting')", 10, "a click to wait for the logo")
        assert browser.evaluate(STATE) == "ready", "the show started without its logo"
        held.set()
        browser.wait_for("document.body.dataset.firstFrameMs !== undefined", 30,
                         "the show to start once the logo is in")
        bound, started = browser.evaluate("[document.body.dataset.picturesMs, "
                                          "document.body.dataset.showStartedMs]")
        assert float(bound) <= float(started), f"pictures bound at {bound} ms, show at {started}"

        # A click on the start screen starts a picture that moves.
        browser.open(url + "index.html")
        wait_start_screen(browser)
        browser.click(320, 240)
        browser.wait_for("document.body.dataset.firstFrameMs !== undefined", 10,
                         "the first show frame")
        first = picture(browser.screenshot())
        size = len(first) // 3

        def moved():
            now = picture(browser.screenshot())
            changed = sum(any(abs(now[i + c] - first[i + c]) > 16 for c in range(3))
                          for i in range(0, len(now), 3))
            lit = sum(max(now[i:i + 3]) > 40 for i in range(0, len(now), 3))
            return (changed, lit) if changed > size // 100 and lit > size // 10 else None
        changed, lit = wait_until(moved, 10, "the picture to move")
        print(f"a click starts the show: {100 * changed / size:.1f} % of the picture changed, "
              f"{100 * lit / size:.1f} % lit")
        assert not browser.errors, f"page errors: {browser.errors}"


# The page's music against the WAV (served beside the page): every sample of the loop
# the page plays, and the loop point as Web Audio plays it (half a second either side,
# rendered offline from the page's own looping buffer), in 16-bit steps.
MUSIC_PROBE = """(async () => {
  const loop = kessivarMusic.loop, rate = loop.sampleRate;
  const wav = new DataView(await (await fetch(kessivarShowFiles.music)).arrayBuffer());
  const frames = (wav.byteLength - 44) / 4;
  const wanted = (frame, channel) => wav.getInt16(44 + 4 * (frame % frames) + 2 * channel, true);
  const largest = (data, first, channel) => {
    let most = 0;
    for (let i = 0; i < data.length; ++i)
      most = Math.max(most, Math.abs(data[i] * 32768 - wanted(first + i, channel)));
    return most;
  };
  let first = frames - rate / 2;
  while ((first / rate) * rate !== first) ++first;  // a start the seconds carry exactly
  const context = new OfflineAudioContext(2, frames - first + rate / 2, rate);
  const source = context.createBufferSource();
  Object.assign(source, {buffer: loop, loop: true});
  source.connect(context.destination);
  source.start(0, first / rate);
  const played = await context.startRendering();
  const result = {frames, length: loop.length, rate, renderMs: kessivarMusic.renderMs,
                  samples: 0, loopPoint: 0};
  for (let c = 0; c < 2; ++c) {
    result.samples = Math.max(result.samples, largest(loop.getChannelData(c), 0, c));
    result.loopPoint = Math.max(result.loopPoint, largest(played.getChannelData(c), first, c));
  }
  return result;
})()"""
def test_music(url):
    # The site with the WAV beside it, so that the page can hold its music against it.
    site_url = linked_site("site", add=[WAV])[1]
    with Browser(SCRATCH) as browser:
        browser.before_load(AUDIO_PROBE)
        browser.open(site_url + "index.html")
        wait_start_screen(browser)
        early = not browser.evaluate("kessivarMusic.complete")
        browser.press("Enter", "Enter", 13, "\r")
        browser.wait_for("kessivarMusic.sources.length > 0", 60, "the music to join the show")
        probe = browser.evaluate("audioProbe")
        # The show's time when its music began, by the page's own clocks: the show's start
        # and the music's are both taken in the page, so a key that comes late on a busy
        # machine moves both alike; 0.1 s is the room of the scheduling itself.
        started = float(browser.evaluate("document.body.dataset.showStartedMs"))
        show_time = (probe["musicAt"] - started) / 1000
        song_time = browser.evaluate("kessivarMusic.joinedFrame") / 44100
        print(f"music: {'while the loop was made' if early else 'the loop made before the key'}: "
              f"started at {song_time:.3f} s of the song, at {show_time:.3f} s of the show "
              f"({(started - probe['keyAt']) / 1000:.3f} s from the key to the show's start)")
        assert abs(song_time - show_time) < 0.1, "the music is not where the show is"
        # Each block of the first pass, and then the loop, starts where the one before ends.
        browser.wait_for("audioProbe.starts.some(s => s.loop)", 60, "the loop to follow")
        starts = browser.evaluate("audioProbe.starts")
        gaps = [b["when"] - a["end"] for a, b in zip(starts, starts[1:])]
        print(f"music: {len(starts) - 1} blocks of the first pass, then the loop; "
              f"largest gap {max(map(abs, gaps), default=0) * 1e6:.3f} us")
        assert all(abs(gap) < 1e-6 for gap in gaps), "a gap or an overlap in the music"
        result = browser.evaluate(MUSIC_PROBE)
        # A second visit has the loop the first one kept, and the same samples.
        browser.wait_for("kessivarMusic.kept", 30, "the rendered music to be kept")
        browser.open(site_url + "index.html?again")
        browser.wait_for("kessivarMusic.complete", 30, "the kept music")
        assert browser.evaluate("kessivarMusic.cached"), "the second visit renders again"
        again = browser.evaluate(MUSIC_PROBE)
        print(f"music: a second visit read the kept loop in {again['renderMs']:.0f} ms")
        assert not browser.errors, f"page errors: {browser.errors}"
    seconds = 2 * result["frames"] / result["rate"]  # the first pass, then the loop
    print(f"music: the worker rendered {seconds:.2f} s in {result['renderMs'] / 1000:.2f} s "
          f"({seconds * 1000 / result['renderMs']:.1f} x real time)")
    print(f"music: {result['length']} frames, WAV {result['frames']}; largest difference "
          f"{result['samples']:g} LSB over the loop, {result['loopPoint']:g} LSB across "
          f"the loop point as Web Audio plays it")
    assert result["length"] == result["frames"], "the page's loop is not the WAV's length"
    assert max(result["samples"], again["samples"]) <= 1, \
        "the page's music differs from the WAV by more than 1 LSB"
    assert result["loopPoint"] <= 1, "the loop loses or repeats samples"


if __name__ == "__main__":
    {"stills": test_stills, "tap": test_tap, "live": test_live, "devices": test_devices,
     "music": test_music}[GROUP](serve(SITE))
    print(f"web {GROUP} in {ENGINE}: passed")
