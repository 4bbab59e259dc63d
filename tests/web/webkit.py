"""WebKitGTK (the engine family of Safari) from Debian on the built page, in this process
through python3-gi: one 640x480 window at the top left of the test's display, with the
settings a new user has. The engine's own console goes to standard error, which is kept
in the scratch folder while the view lives; clicks are real X pointer events (xdotool)."""
import json
import os
import re
import subprocess
import sys

from browser import Page, wait_until


class WebKit(Page):
    """One WebView on the display and sound server of the environment."""

    def __init__(self, scratch):
        import gi  # not before: GTK opens the display of the environment when it is loaded
        gi.require_version("Gtk", "3.0")
        gi.require_version("Gdk", "3.0")
        gi.require_version("WebKit2", "4.1")
        from gi.repository import Gdk, GLib, Gtk, WebKit2
        self.Gdk, self.GLib, self.WebKit2 = Gdk, GLib, WebKit2
        self.log_name = os.path.join(scratch, "webkit.log")
        self.log = open(self.log_name, "w")
        self.saved_stderr = os.dup(2)
        os.dup2(self.log.fileno(), 2)  # the web process, started later, inherits it
        sys.stderr = open(self.saved_stderr, "w", closefd=False)
        self.window = Gtk.Window()
        self.window.set_default_size(640, 480)
        self.window.move(0, 0)
        data = WebKit2.WebsiteDataManager(  # a profile of its own (ephemeral views stay mute)
            base_data_directory=os.path.join(scratch, "webkit-data"),
            base_cache_directory=os.path.join(scratch, "webkit-cache"))
        self.view = WebKit2.WebView(web_context=WebKit2.WebContext(website_data_manager=data))
        self.view.get_settings().set_enable_write_console_messages_to_stdout(True)
        self.view.connect("load-changed", self._on_load_changed)
        self.window.add(self.view)
        self.window.show_all()
        self.loaded = False

    def close(self):
        self.window.destroy()
        self._settle()
        os.dup2(self.saved_stderr, 2)
        sys.stderr = sys.__stderr__
        self.log.close()

    def _on_load_changed(self, view, event):
        self.loaded = self.loaded or event == self.WebKit2.LoadEvent.FINISHED

    def _settle(self):
        """Runs what GTK's main loop has pending."""
        context = self.GLib.MainContext.default()
        while context.pending():
            context.iteration(False)

    def _spin(self, done, seconds, what):
        """Runs GTK's main loop until done() or the deadline."""
        wait_until(lambda: self._settle() or done(), seconds, what)

    @property
    def console(self):
        """(level, text) of every console line so far, uncaught exceptions included."""
        with open(self.log_name, errors="replace") as log:
            return [(m[1].lower(), m[2]) for m in re.finditer(r"CONSOLE (?:\w+ )?(LOG|DEBUG|INFO|"
                                                              r"WARN|ERROR) (.*)", log.read())]

    @property
    def errors(self):
        return [text for level, text in self.console if level == "error"]

    def evaluate(self, expression):
        """The value of a JavaScript expression in the page (promises awaited)."""
        answer = []

        def on_result(view, result):
            try:
                answer.append(view.call_async_javascript_function_finish(result))
            except self.GLib.Error as error:
                answer.append(AssertionError(f"{expression}: {error.message}"))
        self.view.call_async_javascript_function(
            f"return JSON.stringify(await ({expression}))", -1, None, None, None, None,
            on_result)
        self._spin(lambda: answer, 60, expression)
        if isinstance(answer[0], AssertionError):
            raise answer[0]
        return None if answer[0].is_undefined() else json.loads(answer[0].to_string())

    def open(self, url):
        """Loads url as a new document and waits for its load to finish."""
        self.loaded = False
        self.view.load_uri(url)
        self._spin(lambda: self.loaded, 30, f"{url} to load")

    def before_load(self, source):
        """Runs source in every document the view loads from now on, before its scripts."""
        self.view.get_user_content_manager().add_script(self.WebKit2.UserScript.new(
            source, self.WebKit2.UserContentInjectedFrames.TOP_FRAME,
            self.WebKit2.UserScriptInjectionTime.START, None, None))

    def click(self, x, y):
        """A left click at viewport point x, y through the X server; returns when the
        page has seen it."""
        self.evaluate("(window.clickSeen = false, addEventListener('pointerup', () => "
                      "{ window.clickSeen = true; }, {capture: true, once: true}))")
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], check=True)
        wait_until(lambda: self.evaluate("window.clickSeen"), 10, "the page to see the click")

    def screenshot(self):
        """The window as PNG bytes, as the X server has it."""
        self._settle()
        pixels = self.Gdk.pixbuf_get_from_window(self.window.get_window(), 0, 0, 640, 480)
        return pixels.save_to_bufferv("png", [], [])[1]
