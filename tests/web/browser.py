"""Headless Debian Chromium through chromedriver, and a local HTTP server for the built site.

Shared by the page tests and the page benchmark.
"""
import functools
import http.server
import os
import shutil
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SITE = os.path.join(ROOT, "build-web", "site")


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


class SiteServer:
    """Serves `directory` on 127.0.0.1 at a free port, in a thread."""

    def __init__(self, directory=SITE):
        handler = functools.partial(QuietHandler, directory=directory)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        self.url = "http://127.0.0.1:%d/" % self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


class Browser:
    """A headless Chromium with its own profile and download folder, removed on close."""

    def __init__(self, width=1280, height=900, dark=False, log_network=False):
        self.profile = tempfile.mkdtemp(prefix="kavrin-chromium-")
        self.downloads = tempfile.mkdtemp(prefix="kavrin-downloads-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--disable-dev-shm-usage", "--hide-scrollbars",
                     "--user-data-dir=" + self.profile,
                     "--window-size=%d,%d" % (width, height)):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {
            "download.default_directory": self.downloads,
            "download.prompt_for_download": False,
        })
        # The console (for Content-Security-Policy violations) and, when asked, the network.
        logging = {"browser": "ALL"}
        if log_network:
            logging["performance"] = "ALL"
        options.set_capability("goog:loggingPrefs", logging)
        self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.driver.set_script_timeout(30)
        self.cdp("Browser.setDownloadBehavior",
                 {"behavior": "allow", "downloadPath": self.downloads})
        self.set_scheme(dark)

    def cdp(self, command, params=None):
        return self.driver.execute_cdp_cmd(command, params or {})

    def set_scheme(self, dark, reduced_motion=False):
        self.cdp("Emulation.setEmulatedMedia", {"features": [
            {"name": "prefers-color-scheme", "value": "dark" if dark else "light"},
            {"name": "prefers-reduced-motion",
             "value": "reduce" if reduced_motion else "no-preference"}]})

    def set_size(self, width, height, zoom=1.0):
        """The viewport `width` x `height` CSS pixels at page zoom `zoom` (as the browser's
        zoom: the layout sees width / zoom CSS pixels)."""
        self.cdp("Emulation.setDeviceMetricsOverride", {
            "width": int(width / zoom), "height": int(height / zoom),
            "deviceScaleFactor": zoom, "mobile": False})

    def close(self):
        try:
            self.driver.quit()
        finally:
            shutil.rmtree(self.profile, ignore_errors=True)
            shutil.rmtree(self.downloads, ignore_errors=True)
