"""Firefox ESR from Debian on the built page, driven through its built-in WebDriver BiDi
(no separate driver program): a fresh profile in the test's scratch folder, a 640x480
viewport, and every console line and uncaught exception kept."""
import base64
import json
import os
import re

import websocket

from browser import Page, wait_until
from desktop import spawn


class Firefox(Page):
    """One Firefox with one tab on the display and sound server of the environment.
    console holds (level, text) of every console call and uncaught exception, errors the
    texts at error level."""

    def __init__(self, scratch):
        profile = os.path.join(scratch, "firefox-profile")
        os.makedirs(profile, exist_ok=True)
        log_name = os.path.join(scratch, "firefox.log")
        self.log = open(log_name, "w")
        self.process = spawn(["firefox-esr", "--profile", profile, "--no-remote", "--new-instance",
                              "--remote-debugging-port=0", "about:blank"], self.log)
        address = wait_until(
            lambda: re.search(r"WebDriver BiDi listening on (ws://\S+)", open(log_name).read()),
            60, "Firefox's WebDriver BiDi address").group(1)
        self.socket = websocket.create_connection(address + "/session", suppress_origin=True)
        self.next_id = 0
        self.console, self.errors = [], []
        self.call("session.new", capabilities={})
        self.call("session.subscribe", events=["log.entryAdded"])
        self.context = self.call("browsingContext.getTree")["contexts"][0]["context"]
        self.call("browsingContext.setViewport", context=self.context,
                  viewport={"width": 640, "height": 480})

    def _note(self, message):
        if message.get("method") == "log.entryAdded":
            entry = message["params"]  # console.log comes at level "info", method "log"
            self.console.append((entry.get("method", entry["level"]), entry.get("text") or ""))
            if entry["level"] == "error":
                self.errors.append(entry.get("text") or json.dumps(entry))

    @staticmethod
    def _error(message):
        return message["type"] == "error" and f"{message['error']}: {message['message']}"

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page (promises awaited)."""
        result = self.call("script.evaluate", target={"context": self.context},
                           expression=f"(async () => JSON.stringify(await ({expression})))()",
                           awaitPromise=True)
        if result["type"] == "exception":
            raise AssertionError(f"{expression}: {result['exceptionDetails']['text']}")
        return json.loads(result["result"]["value"]) if "value" in result["result"] else None

    def open(self, url):
        """Loads url as a new document and waits until its scripts can run (not for its
        load event, which Firefox holds back until the page's icon is in)."""
        self.call("browsingContext.navigate", context=self.context, url=url, wait="interactive")

    def before_load(self, source):
        """Runs source in every document the tab loads from now on, before its scripts."""
        self.call("script.addPreloadScript", functionDeclaration=f"() => {{ {source} }}")

    def click(self, x, y):
        """A left click at viewport point x, y (CSS px), as the mouse gives it."""
        self.call("input.performActions", context=self.context, actions=[{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
            "actions": [{"type": "pointerMove", "x": x, "y": y},
                        {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}])

    def screenshot(self):
        """The viewport as PNG bytes."""
        return base64.b64decode(
            self.call("browsingContext.captureScreenshot", context=self.context)["data"])
