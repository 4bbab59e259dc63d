"""A headless Chromium from Debian on the built page, driven through the DevTools
protocol: a static server on the site folder, the browser with a fresh profile in the
test's scratch folder, evaluation, keys, and every console line and exception kept.
Page is what every engine's driver offers (firefox.py and webkit.py are the others):
open, evaluate, wait_for, before_load, click, screenshot, console and errors.
serve(..., compressing=True) is a host as static hosts commonly are: gzip for the types
they compress (COMPRESSED), every other file as it is; site_weight counts what a host
sends of the whole site."""
import base64
import functools
import gzip
import http.server
import io
import json
import os
import re
import shutil
import subprocess
import sys
import threading
import time
import urllib.request

import websocket

# Every wait is its deadline times this factor, the one all the tests share (slow machines
# and the sanitizer pass set KESSIVAR_TIME_FACTOR).
WAIT_FACTOR = float(os.environ.get("KESSIVAR_TIME_FACTOR", "1"))


def wait_until(check, seconds, what):
    """Polls check() until it returns a true value (which is returned) or the deadline."""
    deadline = time.monotonic() + seconds * WAIT_FACTOR
    while True:
        value = check()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"waited {seconds * WAIT_FACTOR:.0f} s in vain for {what}")
        time.sleep(0.02)


class _QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class _QuietServer(http.server.ThreadingHTTPServer):
    def handle_error(self, request, client_address):
        # A browser closes connections early when it ends or cancels a fetch: no error.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


class _SlowHandler(_QuietHandler):
    """A slow line: the show's files (all but the page, its scripts and styles) wait for
    gate, then come in 16 KB pieces 50 ms apart (at most 320 KB/s a file). With held, only
    the files of those names wait for gate, and every file comes at once."""
    gate = None  # threading.Event, set by the test
    held = None

    def copyfile(self, source, outputfile):
        if self.held is not None:
            if os.path.basename(self.path.split("?")[0]) in self.held:
                self.gate.wait(120)
            return super().copyfile(source, outputfile)
        if re.search(r"(/|\.html|\.js|\.css)$", self.path.split("?")[0]):
            return super().copyfile(source, outputfile)
        self.gate.wait(120)
        while piece := source.read(16384):
            outputfile.write(piece)
            time.sleep(0.05)


# What static hosts gzip (-9 here) when the browser accepts it; they send the rest as is.
COMPRESSED = (".html", ".js", ".css", ".json", ".webmanifest", ".wasm", ".txt")


class _CompressingHandler(_QuietHandler):
    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        if (not path.endswith(COMPRESSED) or not os.path.isfile(path)
                or "gzip" not in self.headers.get("Accept-Encoding", "")):
            return super().send_head()
        with open(path, "rb") as f:
            body = gzip.compress(f.read(), 9, mtime=0)
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        return io.BytesIO(body)


def serve(folder, gate=None, compressing=False, held=None):
    """Serves folder on a free port of 127.0.0.1 from a thread; returns its base URL.
    With gate (a threading.Event), on a slow line that opens when the gate is set, or only
    the files named in held kept back until then; with compressing, as a host that gzips
    text, scripts and wasm (as python3 -m http.server does not)."""
    kind = (type("Handler", (_SlowHandler,), {"gate": gate, "held": held}) if gate
            else _CompressingHandler if compressing else _QuietHandler)
    handler = functools.partial(kind, directory=folder)
    server = _QuietServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}/"


def site_weight(folder, url, leave_out=()):
    """Bytes the server at url sends for each file of folder (less leave_out) to a browser
    that accepts gzip: {name: bytes}."""
    weight = {}
    for name in sorted(os.listdir(folder)):
        if name in leave_out or not os.path.isfile(os.path.join(folder, name)):
            continue
        request = urllib.request.Request(url + name, headers={"Accept-Encoding": "gzip"})
        with urllib.request.urlopen(request) as reply:
            weight[name] = len(reply.read())
    return weight


class Page:
    """What the drivers share: evaluate(expression) gives a JSON value of the page."""

    def wait_for(self, expression, seconds, what=None):
        return wait_until(lambda: self.evaluate(expression), seconds, what or expression)

    def bytes_of(self, expression):
        """The bytes of a Uint8Array expression, carried as base64."""
        text = self.evaluate(f"""(() => {{ const a = {expression}; let s = '';
            for (let i = 0; i < a.length; i += 32768)
              s += String.fromCharCode.apply(null, a.subarray(i, i + 32768));
            return btoa(s); }})()""")
        return base64.b64decode(text)

    def call(self, method, **params):
        """Sends one protocol command over socket and returns its result, noting events
        meanwhile (_note); _error tells a reply that failed."""
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("id") == self.next_id:
                if error := self._error(message):
                    raise AssertionError(f"{method}: {error}")
                return message["result"]
            self._note(message)

    def close(self):
        """Ends a driver that speaks to its browser over socket (process, log its own)."""
        self.socket.close()
        self.process.terminate()
        self.process.wait(timeout=30)
        self.log.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class Browser(Page):
    """One Chromium with one page. console holds (level, text) of every console call,
    errors the text of every console error, uncaught exception and browser error entry."""

    FLAGS = ["--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
             "--window-size=640,480", "--hide-scrollbars", "--no-sandbox",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--no-first-run", "--disable-quic", "--remote-debugging-port=0"]

    def __init__(self, scratch, flags=()):
        profile = os.path.join(scratch, "profile")
        shutil.rmtree(profile, ignore_errors=True)
        os.makedirs(profile, exist_ok=True)  # a child of the last browser may still write
        self.log = open(os.path.join(scratch, "chromium.log"), "w")
        self.process = subprocess.Popen(
            ["chromium", *self.FLAGS, *flags, f"--user-data-dir={profile}", "about:blank"],
            stdout=self.log, stderr=subprocess.STDOUT)
        port_file = os.path.join(profile, "DevToolsActivePort")
        wait_until(lambda: os.path.exists(port_file) and open(port_file).read().strip(), 30,
                   "Chromium's DevTools port")
        port = open(port_file).read().split()[0]
        targets = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        page = next(t for t in targets if t["type"] == "page")
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"],
                                                  suppress_origin=True)
        self.next_id = 0
        self.console, self.errors = [], []
        self.loaded = False
        for domain in ("Runtime", "Log", "Page"):
            self.call(f"{domain}.enable")

    def _note(self, message):
        method, params = message.get("method"), message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            self.console.append((params["type"], text))
            if params["type"] == "error":
                self.errors.append(text)
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append(details.get("exception", {}).get("description", details["text"]))
        elif method == "Page.loadEventFired":
            self.loaded = True
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append(f"{params['entry']['text']} {params['entry'].get('url', '')}")

    @staticmethod
    def _error(message):
        return message.get("error")

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page (promises awaited)."""
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise AssertionError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    def logged(self, level, text):
        """Whether the page has put text on the console at level, by now."""
        self.evaluate("0")  # takes in the events that came meanwhile
        return (level, text) in self.console

    def open(self, url):
        """Loads url as a new document and waits for its load event."""
        self.loaded = False
        self.call("Page.navigate", url=url)
        wait_until(lambda: self.loaded or self.evaluate("false"), 30, f"{url} to load")

    def press(self, key, code, key_code, text=""):
        """One key down and up, as the keyboard gives it (a user gesture for the page)."""
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, key=key, code=code, text=text,
                      windowsVirtualKeyCode=key_code, nativeVirtualKeyCode=key_code)

    def phone(self, width, height):
        """Makes the page a phone's screen of width x height CSS pixels (3 device pixels
        each) with a touch screen as its only pointer."""
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=3, mobile=True)
        self.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)

    def tap(self, selector):
        """One finger down and up in the middle of the element selector names."""
        x, y = self.evaluate(f"""(() => {{ const r = document.querySelector('{selector}')
            .getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2]; }})()""")
        for kind, points in (("touchStart", [{"x": x, "y": y}]), ("touchEnd", [])):
            self.call("Input.dispatchTouchEvent", type=kind, touchPoints=points)

    def before_load(self, source):
        """Runs source in every document the page loads from now on, before its scripts."""
        self.call("Page.addScriptToEvaluateOnNewDocument", source=source)

    def click(self, x, y):
        """A left click at viewport point x, y (CSS px)."""
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def screenshot(self):
        """The viewport as PNG bytes."""
        return base64.b64decode(self.call("Page.captureScreenshot")["data"])
