#!/usr/bin/python3
"""The web page in headless Debian Chromium, compared with kavrin-cli byte for byte.

    tests/web/test_page.py KAVRIN_CLI [--site DIR] [--screenshot]

Serves the built site (build-web/site) on 127.0.0.1 and drives it through chromedriver; one check
opens it from file://. --screenshot also renews docs/screenshot-web.png and
docs/screenshot-web-phone.png. Prints one line per test, then "N passed, N failed"; exits
non-zero on any failure, or when no test ran.
"""
import argparse
import base64
import gettext
import json
import os
import shutil
import subprocess
import tempfile
import sys
import traceback
import urllib.parse

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select, WebDriverWait

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser import ROOT, SITE, Browser, SiteServer  # noqa: E402

FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fixtures")

TIMEOUT = 20  # seconds any expected state may take on a loaded machine

FIELDS = ("frequency", "delay", "label", "counter")
DEFAULTS = {"frequency": "3.2768", "delay": "10", "label": "WAIT", "counter": "CNT",
            "count-call-return": False, "unit": "ms", "core": "midrange", "filler": "goto",
            "syntax": "classic", "times-w": False, "watchdog": False}
CHECK_BOXES = ("count-call-return", "times-w", "watchdog")
SELECTS = ("unit", "core", "filler", "syntax")
CAPTIONS = {
    "cs": {"frequency": "Frekvence OSC v [MHz]", "delay": "Doba zpoždění [ms]",
           "label": "Název čekací smyčky", "counter": "Název proměné",
           "count-call-return": "Započítat CALL a RETURN",
           "times-w": "Čekat W-krát (počet ve W)", "compute": "Počítej",
           "copy": "Kopírovat", "download": "Stáhnout"},
    "en": {"frequency": "Oscillator frequency [MHz]", "delay": "Delay [ms]",
           "label": "Loop label", "counter": "Counter variable",
           "count-call-return": "Count CALL and RETURN",
           "times-w": "Wait W times (count in W)", "compute": "Compute",
           "copy": "Copy", "download": "Download"},
}
# The unit's select by its accessible name (it has no label of its own).
UNIT_NAMES = {"cs": "Jednotka zpoždění", "en": "Delay unit"}
WORST = {"frequency": "4", "delay": "50005.2455"}

# Each failing input: the page's fields, the same input for kavrin-cli, the engine's message and
# its English version. A name with a lone UTF-16 surrogate has no UTF-8 form; kavrin-cli gets a
# byte that is not UTF-8 instead.
ERRORS = [
    ({"frequency": "4MHz"}, ["-f", "4MHz"], "Frekvence oscilátoru mosí být číslo",
     "The oscillator frequency must be a number"),
    ({"delay": "10 ms"}, ["-d", "10 ms"], "Spoždění musí být číslo", "The delay must be a number"),
    ({"counter": ""}, ["--counter="], "Jméno proměné musí být vyplněno",
     "The counter name must be filled in"),
    ({"counter": "\ud800"}, [b"-c", b"\xff"], "Jméno proměné obsahuje neplatné znaky",
     "The counter name contains invalid characters"),
    ({"counter": "C" * 256}, ["-c", "C" * 256], "Jméno proměné může mít nejvýše 255 bajtů",
     "The counter name may have at most 255 bytes"),
    ({"label": ""}, ["--label="], "Jméno smyčky musí být vyplněno",
     "The loop label must be filled in"),
    ({"label": "\udc00"}, [b"-l", b"\xff"], "Jméno smyčky obsahuje neplatné znaky",
     "The loop label contains invalid characters"),
    ({"label": "Č" * 128}, ["-l", "Č" * 128], "Jméno smyčky může mít nejvýše 255 bajtů",
     "The loop label may have at most 255 bytes"),
    ({"label": "nop", "syntax": "module"}, ["-l", "nop", "--syntax", "module"],
     "Jméno smyčky je vyhrazené slovo assembleru",
     "The loop label is a reserved word of the assembler"),
    ({"delay": "0,001"}, ["-d", "0,001"], "Příliš malé spoždění", "The delay is too small"),
    ({"delay": "1e9"}, ["-d", "1e9"], "Příliš velké spoždění", "The delay is too large"),
]


class Failure(Exception):
    pass


def expect(condition, what):
    if not condition:
        raise Failure(what)


class Context:
    def __init__(self, cli, site):
        self.cli_path = cli
        self.site = site
        self.server = SiteServer(site)
        self.browser = Browser(log_network=True)
        self.driver = self.browser.driver
        self.cli_cache = {}
        # The engine's table of choices, as the built site's engine gives it.
        self.table = json.loads(subprocess.run(
            ["node", "-e", "require(process.argv[1])().then((m) => "
             "console.log(JSON.stringify(m.choices())))",
             os.path.join(os.path.abspath(site), "kavrin-engine.js")],
            capture_output=True, text=True, check=True, timeout=60).stdout)

    def engine_defaults(self):
        """The request the page sends for DEFAULTS: the fields, and each choice's default word."""
        return {"frequency": "3.2768", "delay": "10", "label": "WAIT", "counter": "CNT",
                "countCallReturn": False,
                "choices": {row["key"]: row["defaultWord"] for row in self.table}}

    # kavrin-cli --------------------------------------------------------------------------------

    def cli(self, args):
        """kavrin-cli's (exit code, stdout, stderr) for `args`, as text."""
        key = tuple(args)
        if key not in self.cli_cache:
            run = subprocess.run([self.cli_path, *args], capture_output=True, timeout=60)
            self.cli_cache[key] = (run.returncode, run.stdout.decode(), run.stderr.decode())
        return self.cli_cache[key]

    def routine(self, args):
        """The routine kavrin-cli prints for `args`, without its final line feed."""
        code, out, err = self.cli(args)
        expect(code == 0 and out.endswith("\n"), "kavrin-cli %s failed: %s" % (args, err))
        return out[:-1]

    # The page -----------------------------------------------------------------------------------

    def wait(self, condition, what):
        try:
            return WebDriverWait(self.driver, TIMEOUT).until(lambda d: condition())
        except Exception:
            raise Failure("timed out waiting for " + what)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def el(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def open(self, fragment="", url=None):
        # Through about:blank, so that only a fragment's difference still loads the page anew.
        self.driver.get("about:blank")
        self.driver.get((url or self.server.url) + fragment)
        self.wait(lambda: self.el("compute").is_enabled(), "the button to be enabled")

    def output(self):
        return self.js("return document.getElementById('output').value")

    def error(self):
        return self.el("error").text

    def fill(self, values):
        """Sets fields and choices as a user would leave them (no key events)."""
        for name, value in values.items():
            if name in FIELDS:
                # Through JSON, which carries a lone surrogate that the driver's arguments cannot.
                self.js("arguments[0].value = JSON.parse(arguments[1])", self.el(name),
                        json.dumps(value))
            elif name in CHECK_BOXES:
                if self.el(name).is_selected() != value:
                    self.el(name).click()
            else:
                Select(self.el(name)).select_by_value(value)

    def compute(self, values, expected):
        """Fills in `values`, presses the button and waits until the output is `expected`."""
        self.fill(values)
        self.el("compute").click()
        self.wait(lambda: self.output() == expected, "the output to become the routine")

    def captions(self):
        """Each control's label (or, for a button, its text), by the control's id."""
        return self.js("""return Object.fromEntries(arguments[0].map((id) => {
            const e = document.getElementById(id);
            return [id, (e.labels && e.labels.length ? e.labels[0] : e).textContent.trim()];
        }))""", list(CAPTIONS["cs"]))

    def state(self):
        values = {name: self.el(name).get_attribute("value") for name in FIELDS}
        for name in CHECK_BOXES:
            values[name] = self.el(name).is_selected()
        for name in SELECTS:
            values[name] = self.el(name).get_attribute("value")
        return values

    def network_requests(self):
        """The URLs of the requests the page started since the last call."""
        urls = []
        for entry in self.driver.get_log("performance"):
            event = json.loads(entry["message"])["message"]
            if event["method"] == "Network.requestWillBeSent":
                urls.append(event["params"]["request"]["url"])
        return urls

    def downloaded(self, name):
        path = os.path.join(self.browser.downloads, name)
        self.wait(lambda: os.path.exists(path) and not any(
            f.endswith(".crdownload") for f in os.listdir(self.browser.downloads)),
            "the download " + name)
        with open(path, "rb") as f:
            data = f.read()
        os.remove(path)
        return data

    def clipboard(self):
        return self.driver.execute_async_script(
            "navigator.clipboard.readText().then(arguments[0], e => arguments[0]('ERROR ' + e))")

    def grant_clipboard(self):
        self.browser.cdp("Browser.grantPermissions", {
            "origin": self.server.url.rstrip("/"),
            "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})

    def policy_violations(self):
        """The Content-Security-Policy complaints on the console since the last call."""
        return [e["message"] for e in self.driver.get_log("browser")
                if "Content Security Policy" in e["message"] or "Refused to" in e["message"]]

    def close(self):
        self.browser.close()
        self.server.close()


def cli_args(values):
    """kavrin-cli's options for the page's `values` (the defaults for what they leave out)."""
    v = dict(DEFAULTS, **values)
    args = ["-f", v["frequency"], "-d", v["delay"], "-l", v["label"], "-c", v["counter"]]
    args += [a for name in SELECTS for a in ("--" + name, v[name])]
    return args + ["--" + name for name in CHECK_BOXES if v[name]]


def empty_start(c):
    """The page shows no routine: no output, no words line, copy and download disabled."""
    return (c.output() == "" and c.el("words").text == ""
            and "empty" in c.el("summary").get_attribute("class").split()
            and not c.el("copy").is_enabled() and not c.el("download").is_enabled())


# The tests ----------------------------------------------------------------------------------------

def test_defaults(c):
    """The window's captions and values; the button's routine is the window's text."""
    with open(os.path.join(c.site, "index.html"), encoding="utf-8") as f:
        html = f.read()
    expect('id="compute" type="submit" class="primary" disabled' in html,
           "the button is not disabled until the engine is ready")
    c.open()
    expect(c.state() == DEFAULTS, "default values: %s" % c.state())
    expect(c.captions() == CAPTIONS["cs"], "captions: %s" % c.captions())
    expect(c.el("unit").accessible_name == UNIT_NAMES["cs"],
           "the unit's name: %r" % c.el("unit").accessible_name)
    expect(c.output() == "", "the output is empty before the first computation")
    expect(empty_start(c), "copy, download or the words line before the first computation")
    expect(c.el("status").text == "", "status once the engine is ready: %r" % c.el("status").text)
    expect(c.js("return document.documentElement.lang") == "cs", "the page is not in Czech")
    expect(c.el("error").get_attribute("role") == "alert", "#error is not an alert")
    expect(c.el("summary").get_attribute("role") == "status", "the words line is not a status")
    c.compute({}, c.routine([]))
    expect(c.error() == "", "an error after a good computation")
    expect(c.el("copy").is_enabled() and c.el("download").is_enabled(),
           "copy and download stay disabled with a routine")


def test_choices(c):
    """One computation per choice and check box, the worst case included; each row's address
    gives its fields and routine again."""
    c.open()
    # Each row: the values, and what the routine's header says (None: kavrin-cli's alone).
    rows = [({"core": "baseline"}, None), ({"core": "pic18"}, None), ({"filler": "loop"}, None),
            ({"syntax": "gputils"}, None), ({"times-w": True}, None),
            ({"count-call-return": True, "frequency": "4", "delay": "10", "label": "DELAY10",
              "counter": "D10"}, None),
            ({"core": "pic18", "filler": "loop", "syntax": "gputils", "frequency": "20",
              "delay": "1000"}, None),
            ({"times-w": True, "frequency": "4", "delay": "1", "count-call-return": True,
              "filler": "loop", "syntax": "gputils", "core": "pic18"}, None),
            (dict(WORST), None), (dict(WORST, filler="loop"), None),
            ({"unit": "us", "frequency": "4", "delay": "40"}, "40.00000 [us]"),
            ({"watchdog": True, "syntax": "module", "core": "baseline", "filler": "loop",
              "times-w": True}, None)]
    for values, header in rows:
        routine = c.routine(cli_args(values))
        expect(header is None or header in routine.split("\n", 1)[0],
               "the header for %s: %s" % (values, routine.split("\n", 1)[0]))
        c.compute(dict(DEFAULTS, **values), routine)
        address = c.driver.current_url
        expect("unit=" + dict(DEFAULTS, **values)["unit"] in address, "the unit in " + address)
        c.open(url=address)
        c.wait(lambda: c.output() == routine, "the routine from " + address)
        expect(c.state() == dict(DEFAULTS, **values), "fields from %s: %s" % (address, c.state()))


def test_errors_keep_the_output(c):
    """Every message, as kavrin-cli gives it, in #error; the output keeps the last routine."""
    c.open()
    good = c.routine([])
    c.compute({}, good)
    address = c.driver.current_url
    for values, args, czech, _ in ERRORS:
        code, out, err = c.cli([a if isinstance(a, bytes) else a.encode() for a in args])
        expect((code, out, err) == (1, "", czech + "\n"),
               "kavrin-cli %r: %r" % (args, (code, out, err)))
        c.fill(dict(DEFAULTS, **values))
        c.el("compute").click()
        c.wait(lambda: c.error() == czech, "the message " + czech)
        expect(c.output() == good, "the output changed after " + czech)
        expect(c.driver.current_url == address, "the address changed after " + czech)
    c.fill(DEFAULTS)
    c.el("compute").click()
    c.wait(lambda: c.error() == "", "the message to go after a good computation")


def test_enter_computes(c):
    c.open()
    c.el("delay").clear()
    c.el("delay").send_keys("25", Keys.ENTER)
    c.wait(lambda: c.output() == c.routine(["-d", "25"]), "the routine after Enter")
    c.el("count-call-return").send_keys(Keys.SPACE)
    c.el("label").send_keys(Keys.END, "X", Keys.ENTER)
    c.wait(lambda: c.output() == c.routine(["-d", "25", "-l", "WAITX", "--count-call-return"]),
           "the routine after Enter in the label")


def test_copy(c):
    """The button, and select-all with copy in the output, both take the whole worst case."""
    c.open()
    c.grant_clipboard()
    c.compute(WORST, c.routine(cli_args(WORST)))
    c.js("window.writeClipboard = navigator.clipboard.writeText.bind(navigator.clipboard)")
    # The asynchronous clipboard; the copy command where it refuses; and neither.
    for stub, notice, copied in [
            ("", "Zkopírováno do schránky", True),
            ("navigator.clipboard.writeText = () => Promise.reject(new Error('denied'))",
             "Zkopírováno do schránky", True),
            ("document.execCommand = () => false",
             "Schránka není dostupná: vyberte text a zkopírujte jej ručně", False)]:
        c.driver.execute_async_script("writeClipboard('-').then(arguments[0])")
        c.js("document.getElementById('notice').textContent = ''; " + stub)
        c.el("copy").click()
        c.wait(lambda: c.el("notice").text == notice, "the notice " + notice)
        expect((c.clipboard() == c.output()) == copied, "the clipboard after: " + notice)
        expect(c.js("return document.activeElement.id") == "copy", "focus left the button")
    c.js("navigator.clipboard.writeText = writeClipboard; delete document.execCommand")
    c.driver.execute_async_script("navigator.clipboard.writeText('-').then(arguments[0])")
    c.el("output").send_keys(Keys.CONTROL, "a")
    c.el("output").send_keys(Keys.CONTROL, "c")
    c.wait(lambda: c.clipboard() == c.output(), "select-all and copy to take the whole output")
    # A selection from the header's 3rd character into the second block's 5th line.
    part = c.js("""const blocks = document.querySelectorAll('#output .block');
        const range = document.createRange();
        range.setStart(blocks[0].firstChild, 2);
        range.setEnd(blocks[1].firstChild, blocks[1].textContent.split('\\n', 4).join('\\n').length + 3);
        getSelection().removeAllRanges();
        getSelection().addRange(range);
        const text = document.getElementById('output').value;
        return text.slice(2, blocks[0].textContent.length + 1 + range.endOffset);""")
    c.el("output").send_keys(Keys.CONTROL, "c")
    c.wait(lambda: c.clipboard() == part, "copy to take the selected part")
    # Boundaries on the blocks and on their parent: the second block whole; the rest from it.
    for row in range(2):
        part = c.js("""const lines = document.querySelector('#output .lines'), b = lines.children;
            const text = document.getElementById('output').value;
            const start = b[0].textContent.length + 1, end = start + b[1].textContent.length;
            const [from, at, to, upTo, part] = [[lines, 1, b[1], 1, text.slice(start, end)],
                [b[1], 0, lines, b.length, text.slice(start)]][arguments[0]];
            const range = document.createRange();
            range.setStart(from, at);
            range.setEnd(to, upTo);
            getSelection().removeAllRanges();
            getSelection().addRange(range);
            return part;""", row)
        c.el("output").send_keys(Keys.CONTROL, "c")
        c.wait(lambda: c.clipboard() == part, "copy to take the selected blocks (%d)" % row)
    # A notice lasts until the next computation or language switch.
    for action in (lambda: c.compute({"delay": "20"}, c.routine(["-f", "4", "-d", "20"])),
                   lambda: c.el("language").click()):
        c.el("copy").click()
        c.wait(lambda: c.el("notice").text != "", "the copy notice")
        action()
        expect(c.el("notice").text == "", "a notice stays: " + c.el("notice").text)


def test_output_view(c):
    """The worst case's output is as tall as all its lines from the start, lays out only the
    blocks in sight, and Ctrl+End shows its last line."""
    c.open()
    # The blocks the browser lays out, as it reports them.
    c.js("""window.shownBlocks = new Set();
        document.addEventListener('contentvisibilityautostatechange',
            (e) => e.skipped ? shownBlocks.delete(e.target) : shownBlocks.add(e.target), true);""")
    c.compute(WORST, c.routine(cli_args(WORST)))
    lines = c.output().count("\n") + 1
    shown = """[...document.querySelectorAll('#output .block')].filter(b => shownBlocks.has(b))"""
    c.wait(lambda: c.js("return %s.length" % shown) > 0, "a block laid out")
    view = c.js("""
        const o = document.getElementById('output');
        const pad = parseFloat(getComputedStyle(o).paddingTop) * 2;
        return {height: o.scrollHeight - pad, line: parseFloat(getComputedStyle(o).lineHeight),
                shown: %s.length, blocks: o.querySelectorAll('.block').length};""" % shown)
    expect(abs(view["height"] - lines * view["line"]) <= lines * view["line"] * 0.001,
           "%d lines are %s pixels tall" % (lines, view))
    expect(view["shown"] <= 3 < view["blocks"], "blocks laid out: %s" % view)
    expect(c.js("""return [...document.querySelectorAll('#output .block')].map((b) => b.textContent)
        .join('\\n') === document.getElementById('output').value"""), "the blocks show other lines")
    c.el("output").send_keys(Keys.CONTROL, Keys.END)
    c.wait(lambda: c.js("""
        const o = document.getElementById('output');
        const last = o.querySelector('.block:last-child');
        const r = last.getBoundingClientRect(), v = o.getBoundingClientRect();
        return o.scrollTop > 0 && shownBlocks.has(last) && r.bottom <= v.bottom + 1
            && r.bottom > v.top;"""), "the last line in sight")
    other = dict(WORST, syntax="gputils")
    c.compute(other, c.routine(cli_args(other)))
    expect(c.js("return document.getElementById('output').scrollTop") == 0,
           "the next routine is not shown from its start")


def test_download(c):
    """The file holds kavrin-cli's output byte for byte, named after the label (a module .asm)."""
    c.open()
    for label, name, *rest in [("WAIT", "WAIT.inc"), ("../Čekej 1/2", "_Čekej_1_2.inc"),
                        ("CON", "_CON.inc"), ("*?<>", "delay.inc"), ("-x", "x.inc"),
                        ("--x", "x.inc"), ("--CON", "_CON.inc"), ("--", "delay.inc"),
                        ("nul", "_nul.inc"), ("COM\u00b9", "_COM\u00b9.inc"),
                        ("LPT1x", "LPT1x.inc"), ("a__b", "a__b.inc"),
                        ("C\u030cekej", "\u010cekej.inc"),
                        ("A" * 99 + "\U0001d400" * 2, "A" * 99 + "\U0001d400.inc"),
                        ("WAIT", "WAIT.asm", "module"), ("CON", "_CON.asm", "module")]:
        syntax = rest[0] if rest else "classic"
        args = ["-l", label, "--syntax", syntax]
        c.compute({"label": label, "syntax": syntax}, c.routine(args))
        c.el("download").click()
        expect(c.downloaded(name) == c.cli(args)[1].encode(), "the bytes of " + name)
        expect(c.el("notice").text == "Uloženo jako " + name, "notice: " + c.el("notice").text)


def test_address_and_back(c):
    """The address reproduces a computation; Back and Forward step through them."""
    c.open()
    first = {"frequency": "8", "delay": "2,5", "core": "baseline", "count-call-return": True,
             "syntax": "gputils"}
    # Names that only the classic layout takes.
    second = {"frequency": "20", "delay": "100", "label": "Á b&c=d#e", "filler": "loop",
              "times-w": True, "counter": "N+1"}
    c.compute(dict(DEFAULTS, **first), c.routine(cli_args(first)))
    c.compute(dict(DEFAULTS, **second), c.routine(cli_args(second)))
    address = c.driver.current_url
    expect("&w=1" in address, "the W-times check box is not in the address: " + address)
    c.open(url=address)
    c.wait(lambda: c.output() == c.routine(cli_args(second)), "the routine from the address")
    expect(c.state() == dict(DEFAULTS, **second), "fields from the address: %s" % c.state())

    c.open()
    # The same inputs twice are one step back.
    c.compute(dict(DEFAULTS, **first), c.routine(cli_args(first)))
    c.compute(dict(DEFAULTS, **first), c.routine(cli_args(first)))
    c.compute(dict(DEFAULTS, **second), c.routine(cli_args(second)))
    c.driver.back()
    c.wait(lambda: c.output() == c.routine(cli_args(first)), "the first routine after Back")
    expect(c.state() == dict(DEFAULTS, **first), "fields after Back: %s" % c.state())
    c.fill({"delay": "x"})
    c.el("compute").click()
    c.wait(lambda: c.error() != "", "a message")
    c.driver.back()
    c.wait(lambda: c.output() == "" and c.state() == DEFAULTS, "the empty start after Back")
    expect(empty_start(c) and c.error() == "", "the empty start shows more: %r" % c.error())
    c.driver.forward()
    c.driver.forward()
    c.wait(lambda: c.output() == c.routine(cli_args(second)), "the second routine after Forward")

    # An address written by hand: a choice in any letter case; an unknown choice word, language
    # or check box value leaves the default.
    values = {"frequency": "4", "counter": "X1", "core": "pic18", "times-w": True}
    c.open("#f=4&c=X1&core=PIC18&filler=bogus&cr=0&w=1&lang=xx")
    c.wait(lambda: c.output() == c.routine(cli_args(values)), "a hand-written address's routine")
    expect(c.state() == dict(DEFAULTS, **values), "fields from it: %s" % c.state())
    expect(c.el("compute").text == "Počítej", "an unknown language")


def test_language(c):
    """English one click away and kept in the address; the routine is the same."""
    # Without a routine the address holds the language alone, and opens none.
    c.open()
    c.el("language").click()
    c.wait(lambda: c.driver.current_url == c.server.url + "#lang=en", "English in the address")
    c.open(url=c.driver.current_url)
    expect(c.el("compute").text == "Compute" and empty_start(c), "an English empty page")
    c.el("language").click()
    c.wait(lambda: c.driver.current_url == c.server.url, "an empty page's address in Czech")
    c.open()
    c.compute({"frequency": "4"}, c.routine(["-f", "4"]))
    c.fill({"delay": "x"})
    c.el("compute").click()
    c.wait(lambda: c.error() == ERRORS[1][2], "the Czech message")
    c.el("language").click()
    c.wait(lambda: c.js("return document.documentElement.lang") == "en", "English")
    expect(c.captions() == CAPTIONS["en"], "English captions: %s" % c.captions())
    expect(c.el("unit").accessible_name == UNIT_NAMES["en"],
           "the unit's English name: %r" % c.el("unit").accessible_name)
    # The delay's caption follows the unit, in the language on show.
    for unit, caption in (("cycles", "Delay [cycles]"), ("ms", CAPTIONS["en"]["delay"])):
        c.fill({"unit": unit})
        c.wait(lambda: c.captions()["delay"] == caption, "the delay caption " + caption)
    switch = c.js("""const b = document.getElementById('language');
        return [document.title, b.textContent, b.lang, b.getAttribute('aria-label')]""")
    expect(switch == ["Kavrin – PIC delay loops", "Česky", "cs", "Přepnout do češtiny"],
           "the title and the language button in English: %s" % switch)
    expect(c.error() == ERRORS[1][3], "the message in English: %r" % c.error())
    expect("lang=en" in c.driver.current_url, "the language is not in the address")
    for values, _, czech, english in ERRORS:
        c.fill(dict(DEFAULTS, **values))
        c.el("compute").click()
        c.wait(lambda: c.error() == english, "the English message for " + czech)
    c.compute(dict(DEFAULTS, frequency="4"), c.routine(["-f", "4"]))
    expect("Podprogram" not in c.el("words").text and "words" in c.el("words").text,
           "the words line is not in English")
    c.open(url=c.driver.current_url)
    c.wait(lambda: c.el("compute").text == "Compute", "English after loading the address")
    c.el("language").click()
    c.wait(lambda: c.el("compute").text == "Počítej", "Czech again")
    expect("lang=" not in c.driver.current_url, "Czech is not the address's default")


def test_words_line_and_switch(c):
    """The words of the routine and of the same routine (once or W times) with loops."""
    c.open()
    for times_w in (True, False):
        worst = dict(WORST, **{"times-w": times_w})
        c.compute(dict(DEFAULTS, **worst), c.routine(cli_args(worst)))
        code, out, _ = c.cli(cli_args(worst) + ["--json"])
        words = json.loads(out)["words"]
        loop_words = json.loads(c.cli(cli_args(dict(worst, filler="loop")) + ["--json"])[1])["words"]
        line = c.js("return document.getElementById('words').textContent")
        expect(line == "Podprogram zabírá %s instrukčních slov." %
               format(words, ",").replace(",", "\u00a0"), "words line: %r" % line)
        expect(" %d slov" % loop_words in c.el("loop-words").text,
               "loop words: %r" % c.el("loop-words").text)
    c.el("switch-loop").click()
    c.wait(lambda: c.output() == c.routine(cli_args(dict(WORST, filler="loop"))),
           "the loop routine after the switch")
    expect(c.el("filler").get_attribute("value") == "loop", "the filler choice did not switch")
    expect(c.js("return document.activeElement.id") == "output", "the output is not focused")
    expect(not c.el("loop-hint").is_displayed(), "the hint stays with the loop filler")
    c.compute({"filler": "goto", "frequency": "4", "delay": "10"}, c.routine(["-f", "4"]))
    expect(not c.el("loop-hint").is_displayed(), "the hint for a short goto filler")
    # The hint from 13 filler instructions on (pad cycles 23 and 25 at 4 MHz).
    for delay, hint in (("49810.195", False), ("49810.196", True)):
        c.compute({"delay": delay}, c.routine(["-f", "4", "-d", delay]))
        expect(c.el("loop-hint").is_displayed() == hint, "the hint at %s ms" % delay)


def test_keyboard(c):
    """Tab reaches every control in order, each with a visible focus ring."""
    c.open("#f=4&d=10")
    c.wait(lambda: c.output() != "", "the routine from the address")
    # The unit's select right after the delay field it stands beside; the other choices in the
    # table's order.
    options = [row["key"] for row in c.table if row["key"] != "unit"]
    order = ["language", "frequency", "delay", "unit", "label", "counter", "count-call-return",
             *options, "compute", "copy", "download", "output"]
    c.js("document.activeElement.blur(); window.focus()")
    c.driver.find_element(By.TAG_NAME, "body").send_keys(Keys.TAB)
    for element_id in order:
        c.wait(lambda: c.js("return document.activeElement.id") == element_id,
               "focus on " + element_id)
        ring = c.js("var s = getComputedStyle(document.activeElement);"
                    "return [s.outlineStyle, s.outlineWidth]")
        expect(ring[0] != "none" and ring[1] != "0px", "no focus ring on %s: %s" % (element_id, ring))
        c.driver.switch_to.active_element.send_keys(Keys.TAB)


def fits(c, what):
    """No element sticks out past the viewport's right edge; the page does not scroll sideways."""
    result = c.js("""
        const width = document.documentElement.clientWidth;
        const out = [];
        for (const e of document.querySelectorAll('body *')) {
          if (e.closest('.lines') || e.closest('[hidden]')) continue;
          const r = e.getBoundingClientRect();
          if (r.width && (r.right > width + 0.5 || r.left < -0.5)) out.push(e.id || e.className || e.tagName);
        }
        return [document.documentElement.scrollWidth, width, out];""")
    expect(result[0] <= result[1] and not result[2], "%s: %s" % (what, result))


def test_narrow_and_zoom(c):
    """A 360-px phone and 200 % zoom at 1280 x 900: nothing past the right edge."""
    try:
        for width, height, zoom in [(360, 740, 1), (1280, 900, 2)]:
            c.browser.set_size(width, height, zoom)
            for lang in ("cs", "en"):
                c.open("#f=4&d=50005.2455&lang=" + lang)
                c.wait(lambda: c.output() != "", "the routine")
                c.fill({"delay": "x"})
                c.el("compute").click()
                c.wait(lambda: c.error() != "", "a message")
                fits(c, "%d px at %d%% in %s" % (width, zoom * 100, lang))
    finally:
        c.browser.cdp("Emulation.clearDeviceMetricsOverride")


def test_dark_scheme(c):
    try:
        colours = []
        for dark in (False, True):
            c.browser.set_scheme(dark)
            c.open()
            colours.append(c.js("return getComputedStyle(document.body).backgroundColor"))
        expect(colours[0] != colours[1], "the same background in both schemes: %s" % colours)
        dark_bg = [int(x) for x in colours[1][4:-1].split(",")]
        expect(sum(dark_bg) < 150, "the dark scheme's background is light: %s" % colours[1])
    finally:
        c.browser.set_scheme(False)


# Where the answer is after a computation: in sight means the whole message, or the output's top
# edge and its first three lines, inside the viewport; the focus stays where it was.
SIGHT = """
const o = document.getElementById('output'), s = getComputedStyle(o);
const box = arguments[0] === 'message' ? document.getElementById('error').getBoundingClientRect()
  : o.getBoundingClientRect();
const bottom = arguments[0] === 'message' ? box.bottom : box.top + parseFloat(s.borderTopWidth)
  + parseFloat(s.paddingTop) + 3 * parseFloat(s.lineHeight);
return {y: scrollY, focus: document.activeElement.id,
        inSight: box.top >= 0 && bottom <= document.documentElement.clientHeight};
"""

# Each row: the viewport, the answer, how the computation is asked for, reduced motion, and
# whether the page must scroll (None: either). With reduced motion a scroll is immediate, so a
# click's answer is in sight (or the page still) as soon as the click returns.
IN_SIGHT = [
    (360, 740, "routine", "button", True, True),
    (360, 740, "routine", "enter", False, True),
    (360, 740, "message", "button", True, True),
    (360, 740, "message", "enter", False, True),
    (1280, 700, "routine", "button", False, None),
    (1280, 700, "message", "enter", False, None),
    (1280, 1000, "routine", "button", True, False),
    (1280, 1000, "message", "enter", True, False),
]


def test_answer_in_sight(c):
    """After "Počítej" the routine's first lines or the message are in sight, scrolled to only
    when they were not; the focus stays on the button or in the field."""
    values = {"routine": {"frequency": "4"}, "message": {"frequency": "4MHz"}}
    try:
        for width, height, answer, by, reduced, scrolls in IN_SIGHT:
            row = "%dx%d %s by %s" % (width, height, answer, by)
            c.browser.set_size(width, height)
            c.browser.set_scheme(False, reduced_motion=reduced)
            c.open()
            c.fill(dict(DEFAULTS, **values[answer]))
            before = c.js("return scrollY")
            if by == "button":
                now = c.js("""const b = document.getElementById('compute');
                    b.focus({preventScroll: true}); b.click();""" + SIGHT, answer)
                if reduced:
                    expect(now["inSight"], "%s: not in sight at once: %s" % (row, now))
            else:
                c.js("document.getElementById('counter').focus({preventScroll: true})")
                ActionChains(c.driver).send_keys(Keys.ENTER).perform()
            if answer == "routine":
                c.wait(lambda: c.output() == c.routine(["-f", "4"]), row + ": the routine")
            else:
                c.wait(lambda: c.error() == ERRORS[0][2], row + ": the message")
            c.wait(lambda: c.js(SIGHT, answer)["inSight"], row + ": the answer in sight")
            after = c.js(SIGHT, answer)
            expect(after["focus"] == ("compute" if by == "button" else "counter"),
                   "%s: the focus moved: %s" % (row, after))
            if scrolls is not None:
                expect((after["y"] != before) == scrolls,
                       "%s: scrolled from %s to %s" % (row, before, after["y"]))
    finally:
        c.browser.set_scheme(False)
        c.browser.cdp("Emulation.clearDeviceMetricsOverride")


# Caches other applications of the same origin may keep: a release of the page leaves them.
OTHER_CACHES = ["workbox-precache-v2", "kavrin", "my-kavrin-notes", "Kavrin-1"]


def test_offline(c):
    """Once opened over http, the page opens and computes with its server stopped; a new
    release's files replace the kept ones, whose cache is deleted, and other applications'
    caches stay."""
    site = tempfile.mkdtemp(prefix="kavrin-offline-site-")
    server = None
    kept = """navigator.serviceWorker.ready.then(() => caches.keys()).then(arguments[0])"""
    try:
        shutil.copytree(c.site, site, dirs_exist_ok=True)
        server = SiteServer(site)
        url = server.url
        c.open(url=url)
        c.wait(lambda: c.js("return !!navigator.serviceWorker.controller"), "the service worker")
        with open(os.path.join(site, "sw.js"), encoding="utf-8") as f:
            worker = f.read()
        # One cache, named after the build's hash.
        first = c.driver.execute_async_script(kept)
        build = first[0].partition("kavrin-")[2] if len(first) == 1 else ""
        expect(len(build) >= 16 and '"%s"' % build in worker, "the caches: %s" % first)
        c.driver.execute_async_script(
            "Promise.all(arguments[0].map((name) => caches.open(name))).then(() => arguments[1]())",
            OTHER_CACHES)
        # The next release: another worker, another page.
        with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
            f.write(worker.replace(build, build + "-next"))
        with open(os.path.join(site, "index.html"), encoding="utf-8") as f:
            page = f.read()
        with open(os.path.join(site, "index.html"), "w", encoding="utf-8") as f:
            f.write(page.replace("<html ", '<html data-release="next" ', 1))
        c.open(url=url)
        expected = sorted(OTHER_CACHES + [first[0] + "-next"])
        c.wait(lambda: sorted(c.driver.execute_async_script(kept)) == expected,
               "the next release's cache and the other applications' alone")
        server.close()
        server = None
        c.open("#f=4&d=10", url=url)
        expect(c.js("return document.documentElement.dataset.release") == "next",
               "the page kept is not the next release's")
        c.wait(lambda: c.output() == c.routine(["-f", "4"]), "the routine without a server")
    finally:
        if server:
            server.close()
        shutil.rmtree(site, ignore_errors=True)


def test_manifest(c):
    """Installable: the manifest's fields and icons; the theme colours are the page's background
    in each scheme."""
    c.open()
    got = c.browser.cdp("Page.getAppManifest")
    expect(got.get("errors") == [], "manifest errors: %s" % got.get("errors"))
    manifest = json.loads(got["data"])
    for field, value in [("name", "Kavrin – zpožďovací smyčky pro PIC"), ("short_name", "Kavrin"),
                         ("display", "standalone")]:
        expect(manifest.get(field) == value, "%s: %r" % (field, manifest.get(field)))
    expect(urllib.parse.urljoin(got["url"], manifest["start_url"]) == c.server.url,
           "start_url: %s" % manifest["start_url"])
    # Each icon drawn at its size, opaque at its centre.
    icons = c.driver.execute_async_script("""Promise.all(arguments[0].map(async (src) => {
        const image = await createImageBitmap(await (await fetch(src)).blob());
        const g = new OffscreenCanvas(image.width, image.height).getContext('2d');
        g.drawImage(image, 0, 0);
        return [image.width + 'x' + image.height, g.getImageData(image.width / 2,
            image.height / 2, 1, 1).data[3]];
    })).then(arguments[1], (e) => arguments[1](String(e)))""",
        [i["src"] for i in manifest["icons"]])
    expect(icons == [[i["sizes"], 255] for i in manifest["icons"]] and
           sorted(i["sizes"] for i in manifest["icons"]) == ["192x192", "512x512"],
           "icons: %s for %s" % (icons, manifest["icons"]))
    try:
        for dark in (False, True):
            c.browser.set_scheme(dark)
            c.open()
            colours = c.js("""const rgb = (hex) => 'rgb(' + [1, 3, 5].map(
                    (i) => parseInt(hex.slice(i, i + 2), 16)).join(', ') + ')';
                const meta = [...document.querySelectorAll('meta[name=theme-color]')]
                    .filter((m) => matchMedia(m.media).matches);
                return [getComputedStyle(document.body).backgroundColor,
                        ...meta.map((m) => rgb(m.content)),
                        ...arguments[0].map((hex) => rgb(hex))];""",
                [] if dark else [manifest["theme_color"], manifest["background_color"]])
            expect(len(colours) == (2 if dark else 4) and len(set(colours)) == 1,
                   "colours in the %s scheme: %s" % ("dark" if dark else "light", colours))
    finally:
        c.browser.set_scheme(False)
    errors = c.browser.cdp("Page.getInstallabilityErrors")["installabilityErrors"]
    expect(errors == [], "not installable: %s" % errors)


def test_no_network_after_load(c):
    c.network_requests()
    c.open()
    loaded = c.network_requests()
    expect(all(u.startswith(c.server.url) or u.startswith("data:") or u == "about:blank"
               for u in loaded), "a request to another host: %s" % loaded)
    c.grant_clipboard()
    c.compute(WORST, c.routine(cli_args(WORST)))
    c.el("copy").click()
    c.el("download").click()
    c.downloaded("WAIT.inc")
    c.el("language").click()
    c.el("switch-loop").click()
    c.driver.back()
    c.wait(lambda: c.output() == c.routine(cli_args(WORST)), "Back")
    later = [u for u in c.network_requests() if not u.startswith("blob:")]
    expect(later == [], "requests after load: %s" % later)


def test_engine_not_ready(c):
    """Until the engine is ready the button is disabled and Enter computes nothing; an engine
    that fails to load says so."""
    site = tempfile.mkdtemp(prefix="kavrin-held-site-")
    server = None
    try:
        shutil.copytree(c.site, site, dirs_exist_ok=True)
        shutil.copy(os.path.join(FIXTURES, "held-engine.js"), os.path.join(site, "kavrin-engine.js"))
        server = SiteServer(site)
        for ok in (True, False):
            c.driver.get("about:blank")
            c.driver.get(server.url)
            c.wait(lambda: c.js("return typeof kavrinEngineRelease") == "function",
                   "the held engine")
            expect(not c.el("compute").is_enabled(), "the button is enabled before the engine")
            expect(c.el("status").text == "Načítám výpočetní jádro…",
                   "status: %r" % c.el("status").text)
            c.el("delay").send_keys(Keys.ENTER)
            expect(c.output() == "" and c.error() == "", "Enter computed without the engine")
            c.js("kavrinEngineRelease(arguments[0])", ok)
            if ok:
                c.wait(lambda: c.el("compute").is_enabled(), "the button once the engine is ready")
                # The warm-up: one computation of the defaults, before the button is enabled.
                warm = c.js("return kavrinEngineRequests")
                expect(warm == [c.engine_defaults()], "the warm-up requests: %s" % warm)
                c.el("delay").send_keys(Keys.ENTER)
                c.wait(lambda: c.output() == "STUB", "the held engine's routine")
                # The delay's caption is the engine's for the choices on show, at each change.
                delay_caption = lambda: c.captions()["delay"]
                for values, caption in (({"times-w": True}, "STUB [ms]"),
                                        ({"times-w": False}, "Doba zpoždění [ms]"),
                                        ({"unit": "s"}, "STUB [s]"),
                                        ({"unit": "ms"}, "Doba zpoždění [ms]")):
                    c.fill(values)
                    c.wait(lambda: delay_caption() == caption, "the delay caption " + caption)
            else:
                c.wait(lambda: c.error() == "Výpočetní jádro se nepodařilo načíst",
                       "the message that the engine did not load")
                expect(not c.el("compute").is_enabled(), "the button without an engine")
    finally:
        if server:
            server.close()
        shutil.rmtree(site, ignore_errors=True)


def catalogues(work):
    """The page's texts by key (web/src/texts.js, read by node), and each language of
    po/LINGUAS with its catalogue compiled by msgfmt, as the window reads it."""
    texts = json.loads(subprocess.run(
        ["node", "--input-type=module", "-e",
         "import('%s').then((m) => console.log(JSON.stringify(m.TEXTS)))"
         % os.path.join(ROOT, "web", "src", "texts.js")],
        capture_output=True, text=True, check=True).stdout)
    with open(os.path.join(ROOT, "po", "LINGUAS"), encoding="utf-8") as f:
        languages = [w for line in f for w in [line.split("#")[0].strip()] if w]
    compiled = {}
    for lang in languages:
        mo = os.path.join(work, lang, "LC_MESSAGES", "kavrin.mo")
        os.makedirs(os.path.dirname(mo))
        subprocess.run(["msgfmt", "--check", "-o", mo, os.path.join(ROOT, "po", lang + ".po")],
                       check=True)
        compiled[lang] = gettext.translation("kavrin", work, [lang])
    return texts, compiled


def test_texts_are_the_catalogues(c):
    """In each language every text of the page, the language button's (the next language's)
    and the words line are the compiled catalogue's, numbers grouped as the language does."""
    work = tempfile.mkdtemp(prefix="kavrin-locale-")
    try:
        texts, compiled = catalogues(work)
    finally:
        shutil.rmtree(work)
    languages = list(compiled)
    grouping = {"cs": "\u00a0", "en": ","}
    for i, lang in enumerate(languages):
        c.open("#f=4&d=50005.2455&lang=" + lang)
        c.wait(lambda: c.el("loop-words").text != "", "the words line")
        shown = c.js("""const $ = (id) => document.getElementById(id);
            const shown = {title: document.title, words: $('words').textContent,
                loopWords: $('loop-words').textContent, language: $('language').textContent,
                languageLabel: $('language').getAttribute('aria-label'),
                languageCode: $('language').lang};
            for (const e of document.querySelectorAll('body [data-t]'))
                shown[e.dataset.t] = e.textContent;
            // The engine's texts (the choices' and the delay's captions) by their message ids;
            // "s:" those shown short, and the accessible names.
            for (const e of document.querySelectorAll('body [data-m]'))
                shown[('short' in e.dataset ? 's:' : 'm:') + e.dataset.m] = e.textContent;
            for (const e of document.querySelectorAll('body [data-m-label]'))
                shown['m:' + e.dataset.mLabel] = e.getAttribute('aria-label');
            shown.untranslatedOptions = [...document.querySelectorAll('option:not([data-m])')]
                .map((e) => e.value);
            return shown;""")
        t, following = compiled[lang], languages[(i + 1) % len(languages)]
        expected = {key: t.gettext(texts[key]) for key in shown if key in texts}
        expected.update({key: t.gettext(key[2:]) for key in shown if key.startswith("m:")})
        expected.update({key: t.gettext(key[2:]).split(" – ")[0]
                         for key in shown if key.startswith("s:")})
        expected.update(language=compiled[following].gettext(texts["language"]),
                        languageLabel=compiled[following].gettext(texts["languageLabel"]),
                        languageCode=following, untranslatedOptions=[])
        for key, filler in (("words", "goto"), ("loopWords", "loop")):
            n = json.loads(c.cli(cli_args(dict(WORST, filler=filler)) + ["--json"])[1])["words"]
            if lang not in grouping:  # a language whose digit grouping this test does not know
                del shown[key], expected[key]
                continue
            # Looked up by the singular, as texts.js keys it.
            expected[key] = t.ngettext(texts[key], texts[key], n).replace(
                "%s", format(n, ",").replace(",", grouping[lang]))
        expect(shown == expected, "%s: %s" % (lang, {k: (v, expected.get(k)) for k, v in
                                                   shown.items() if v != expected.get(k)}))


def test_file_url(c):
    c.open(url="file://" + os.path.join(os.path.abspath(c.site), "index.html"))
    c.compute({"core": "pic18"}, c.routine(["--core", "pic18"]))
    c.compute({"core": "midrange", "delay": "20"}, c.routine(["-d", "20"]))
    c.driver.back()
    c.wait(lambda: c.output() == c.routine(["--core", "pic18"]), "Back from disk")


TESTS = [test_defaults, test_choices, test_errors_keep_the_output, test_enter_computes,
         test_copy, test_output_view, test_download, test_address_and_back, test_language,
         test_words_line_and_switch, test_keyboard, test_narrow_and_zoom, test_dark_scheme,
         test_no_network_after_load, test_engine_not_ready, test_texts_are_the_catalogues,
         test_file_url, test_answer_in_sight, test_offline, test_manifest]


def screenshot(c):
    """A desktop window with the worst case, and a phone just after "Počítej"."""
    def save(name):
        png = c.browser.cdp("Page.captureScreenshot", {"format": "png"})["data"]
        with open(os.path.join(ROOT, "docs", name), "wb") as f:
            f.write(base64.b64decode(png))

    c.browser.set_size(1280, 900)
    c.open("#f=4&d=50005.2455")
    c.wait(lambda: c.output() != "", "the routine")
    save("screenshot-web.png")
    c.browser.set_size(360, 740)
    c.browser.set_scheme(False, reduced_motion=True)
    c.open()
    c.fill({"frequency": "4"})
    c.el("compute").click()
    c.wait(lambda: c.output() != "" and c.js(SIGHT, "routine")["inSight"], "the routine")
    save("screenshot-web-phone.png")
    c.browser.set_scheme(False)
    c.browser.cdp("Emulation.clearDeviceMetricsOverride")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli", help="the kavrin-cli to compare with")
    parser.add_argument("--site", default=SITE, help="the built site (default build-web/site)")
    parser.add_argument("--screenshot", action="store_true", help="renew docs/screenshot-web*.png")
    parser.add_argument("-k", help="run only the tests whose name holds this")
    options = parser.parse_args()
    c = Context(os.path.abspath(options.cli), options.site)
    passed = failed = 0
    try:
        for test in TESTS:
            if options.k and options.k not in test.__name__:
                continue
            try:
                c.policy_violations()
                test(c)
                violations = c.policy_violations()
                expect(not violations, "Content-Security-Policy violations: %s" % violations)
                passed += 1
                print("ok     " + test.__name__, flush=True)
            except Failure as e:
                failed += 1
                print("FAILED %s: %s" % (test.__name__, e), flush=True)
            except Exception:
                failed += 1
                print("FAILED %s:\n%s" % (test.__name__, traceback.format_exc()), flush=True)
        if options.screenshot:
            screenshot(c)
    finally:
        c.close()
    print("%d passed, %d failed" % (passed, failed))
    # A run that checked nothing proves nothing either.
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
