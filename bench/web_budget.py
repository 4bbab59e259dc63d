#!/usr/bin/python3
"""The web page's budgets as figures: the page's weight (each file gzip -9, as a server
sends it), the time from navigation until the start screen invites a tap, on a slow line
(DevTools network emulation, empty cache) and at full speed, the time from the gesture to
the first show frame and to the first sound, and with --build a clean build of the page.
The site is served here with gzip, as a web server would. Each line is tried --runs times
(3), each in a fresh browser; the median is printed with the range.
usage: python3 bench/web_budget.py [--build] [--runs N]   (after bash scripts/web.sh --no-serve)"""
import statistics
import functools
import gzip
import http.server
import os
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SITE = os.path.join(ROOT, "build-web", "site")
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
from browser import Browser  # noqa: E402

LINES = [("1.6 Mbit/s, 150 ms", 1.6e6, 150), ("750 kbit/s, 300 ms", 750e3, 300),
         ("full speed", None, 0)]
# When the page first makes a sound: a buffer source or a worklet node started.
SOUND_PROBE = """
window.soundAt = null;
addEventListener('keydown', (e) => { window.keyAt = e.timeStamp; }, true);
{ const note = () => { if (window.soundAt === null) window.soundAt = performance.now(); };
  const start = AudioBufferSourceNode.prototype.start;
  AudioBufferSourceNode.prototype.start = function (...a) { note(); return start.apply(this, a); };
  if (window.AudioWorkletNode) window.AudioWorkletNode = class extends AudioWorkletNode {
    constructor(...a) { super(...a); note(); } }; }
"""


def gzipped_site():
    """Every file of the site, gzip -9."""
    return {name: gzip.compress(open(os.path.join(SITE, name), "rb").read(), 9)
            for name in sorted(os.listdir(SITE)) if os.path.isfile(os.path.join(SITE, name))}


class GzipHandler(http.server.SimpleHTTPRequestHandler):
    packed = {}

    def log_message(self, *args):
        pass

    def do_GET(self):
        name = self.path.split("?")[0].lstrip("/") or "index.html"
        if name not in self.packed or "gzip" not in self.headers.get("Accept-Encoding", ""):
            return super().do_GET()
        body = self.packed[name]
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(name))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


def serve_gzipped(packed):
    GzipHandler.packed = packed
    handler = functools.partial(GzipHandler, directory=SITE)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}/"


def ready_and_start(url, scratch, bits_per_second, latency):
    """Navigation to ready (ms), and on a full-speed line gesture to first frame and to
    first sound (ms), in a browser with a fresh profile."""
    with Browser(scratch) as browser:
        browser.before_load(SOUND_PROBE)
        browser.call("Network.enable")
        browser.call("Network.setCacheDisabled", cacheDisabled=True)
        if bits_per_second:
            browser.call("Network.emulateNetworkConditions", offline=False, latency=latency,
                         downloadThroughput=bits_per_second / 8,
                         uploadThroughput=bits_per_second / 8)
        browser.open(url + "index.html")
        browser.wait_for("document.body.dataset.readyMs", 120, "the page to be ready")
        ready = float(browser.evaluate("document.body.dataset.readyMs"))
        if bits_per_second:
            return ready, None, None
        browser.press("Enter", "Enter", 13, "\r")
        browser.wait_for("document.body.dataset.firstFrameMs", 10, "the first frame")
        frame = float(browser.evaluate("document.body.dataset.firstFrameMs"))
        deadline = time.monotonic() + 10
        while browser.evaluate("window.soundAt") is None and time.monotonic() < deadline:
            time.sleep(0.02)
        sound = browser.evaluate("window.soundAt")
        gesture = browser.evaluate("window.keyAt")
        return ready, frame, None if sound is None else sound - gesture


def main():
    if "--build" in sys.argv[1:]:
        subprocess.run(["rm", "-rf", os.path.join(ROOT, "build-web", "wasm")], check=True)
        began = time.monotonic()
        subprocess.run(["bash", "scripts/web.sh", "--no-serve"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
        print(f"clean build of the page: {time.monotonic() - began:.0f} s (budget 120 s)")

    packed = gzipped_site()
    for name, body in packed.items():
        print(f"{len(body) / 1000:9.1f} KB  {name}")
    total = sum(map(len, packed.values())) / 1000
    print(f"{total:9.1f} KB  page weight, gzip -9 (budget 900 KB)")

    runs = int(sys.argv[sys.argv.index("--runs") + 1]) if "--runs" in sys.argv else 3
    url = serve_gzipped(packed)
    with tempfile.TemporaryDirectory(prefix="web-budget-") as scratch:
        for name, bits, latency in LINES:
            results = [ready_and_start(url, scratch, bits, latency) for _ in range(runs)]
            print(f"ready to start on {name}: {figure([r[0] / 1000 for r in results], 's', 2)}"
                  + (" (budget 5 s)" if bits == 1.6e6 else ""))
            if bits is None:
                print(f"gesture to first frame: {figure([r[1] for r in results], 'ms')}"
                      " (budget 1000 ms)")
                sounds = [r[2] for r in results if r[2] is not None]
                print("gesture to first sound: "
                      + (figure(sounds, "ms") if sounds else "none within 10 s")
                      + f" (budget 1000 ms; {len(results) - len(sounds)} runs without)")


def figure(values, unit, digits=0):
    """The median of values with their range."""
    return (f"{statistics.median(values):.{digits}f} {unit} "
            f"({min(values):.{digits}f}..{max(values):.{digits}f}, {len(values)} runs)")

if __name__ == "__main__":
    main()
