#!/usr/bin/python3
"""Figures for the web page in headless Debian Chromium: the site's size, the time from
navigation to the enabled button (from the server, and from the service worker's cache), and for
the worst case (4 MHz, 50005.2455 ms, goto filler) the time from the click to the next painted
frame, with the engine's share of it.

    bench/web/bench_page.py [--site DIR] [--runs N]

For comparison it also times the same text put into a plain <textarea> and <pre> of the same size
on the same page (what the output view replaces). Prints figures only; judges nothing.
"""
import argparse
import gzip
import os
import statistics
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "tests", "web"))
from browser import SITE, Browser, SiteServer  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

# Runs in the page: fills in the worst case, presses the button and reports, once the frame after
# the click is painted (a task queued from the next animation frame runs after its paint), the
# time since the click and the engine's share (the page's performance measure around compute).
CLICK_TO_FRAME = """
const done = arguments[arguments.length - 1];
const $ = (id) => document.getElementById(id);
$('frequency').value = '4'; $('delay').value = '50005.2455'; $('filler').value = 'goto';
const t0 = performance.now();
$('compute').click();
const handler = performance.now() - t0;
requestAnimationFrame(() => {
  const channel = new MessageChannel();
  channel.port1.onmessage = () => done({
    frame: performance.now() - t0, handler,
    engine: performance.getEntriesByName('kavrin-engine')[0].duration,
    lines: $('output').value.split('\\n').length, chars: $('output').value.length});
  channel.port2.postMessage(0);
});
"""

# The same text set into a <textarea> or <pre> put where the output view is.
PLAIN_TO_FRAME = """
const done = arguments[arguments.length - 1];
const kind = arguments[0];
const output = document.getElementById('output');
const text = output.value;
const plain = document.createElement(kind);
plain.style.cssText = 'width:100%;height:' + output.clientHeight + 'px;overflow:auto;margin:0';
output.parentNode.insertBefore(plain, output);
output.hidden = true;
const t0 = performance.now();
if (kind === 'textarea') plain.value = text; else plain.textContent = text;
requestAnimationFrame(() => {
  const channel = new MessageChannel();
  channel.port1.onmessage = () => {
    const frame = performance.now() - t0;
    plain.remove();
    output.hidden = false;
    done({frame});
  };
  channel.port2.postMessage(0);
});
"""


def site_size(site):
    raw = packed = 0
    rows = []
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            data = f.read()
        z = len(gzip.compress(data, compresslevel=9, mtime=0))
        rows.append((name, len(data), z))
        raw += len(data)
        packed += z
    return rows, raw, packed


def describe(values):
    return "median %.1f, min %.1f, max %.1f" % (statistics.median(values), min(values),
                                                max(values))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", default=SITE)
    parser.add_argument("--runs", type=int, default=7)
    options = parser.parse_args()

    rows, raw, packed = site_size(options.site)
    print("site size (limit 300 KB):")
    for name, size, z in rows:
        print("  %-18s %8d bytes  %7d gzip" % (name, size, z))
    print("  %-18s %8d bytes  %7d gzip  (%.1f KB, %.1f KB gzip)" % ("total", raw, packed,
                                                                   raw / 1024, packed / 1024))

    server = SiteServer(options.site)
    browser = Browser()
    driver = browser.driver
    try:
        browser.cdp("Network.enable")
        browser.cdp("Network.setCacheDisabled", {"cacheDisabled": True})
        for source, bypass in (("from the server", True), ("from the service worker", False)):
            browser.cdp("Network.setBypassServiceWorker", {"bypass": bypass})
            ready, script_run = [], []
            for _ in range(options.runs):
                driver.get("about:blank")
                driver.get(server.url)
                WebDriverWait(driver, 30).until(lambda d: d.execute_script(
                    "return !document.getElementById('compute').disabled"))
                marks = driver.execute_script(
                    "return ['kavrin-page-start', 'kavrin-ready'].map("
                    "n => performance.getEntriesByName(n)[0].startTime)")
                script_run.append(marks[0])
                ready.append(marks[1])
            print("navigation to button enabled %s, ms (limit 500; HTTP cache off): %s"
                  % (source, describe(ready)))
            print("  of which until both scripts have loaded and the engine's has run: "
                  + describe(script_run))
            print("  and the engine's start-up after that:                             "
                  + describe([r - s for r, s in zip(ready, script_run)]))

        frames, engines, handlers = [], [], []
        plain = {"textarea": [], "pre": []}
        for _ in range(options.runs):
            # A short routine first, so that every run replaces a small output by the worst case.
            driver.execute_script("document.getElementById('delay').value = '10';"
                                  "document.getElementById('compute').click()")
            r = driver.execute_async_script(CLICK_TO_FRAME)
            frames.append(r["frame"])
            engines.append(r["engine"])
            handlers.append(r["handler"])
            for kind in plain:
                plain[kind].append(driver.execute_async_script(PLAIN_TO_FRAME, kind)["frame"])
        print("worst case: %d characters, %d lines" % (r["chars"], r["lines"]))
        print("  click to next painted frame, ms (limit 150): " + describe(frames))
        print("  engine's share, ms (limit 20):              " + describe(engines))
        print("  click handler in all, ms:                   " + describe(handlers))
        print("  before, same text in a <textarea>, ms:      " + describe(plain["textarea"]))
        print("  before, same text in a <pre>, ms:           " + describe(plain["pre"]))
    finally:
        browser.close()
        server.close()


if __name__ == "__main__":
    main()
