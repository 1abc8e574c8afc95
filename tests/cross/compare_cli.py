#!/usr/bin/env python3
"""Runs a reference kavrin-cli and another build of it (under qemu, under Wine) on the same
generated inputs and compares stdout, stderr and exit code byte for byte.

    compare_cli.py --name NAME --seed SEED --count N [--utf8-only] REFERENCE -- COMMAND...
    compare_cli.py --list --seed SEED --count N [REFERENCE]

COMMAND is the other build with whatever runs it. The inputs depend only on the seed. Exits 1
when any input gives a different result. --list prints the inputs (all UTF-8) instead, one JSON
object a line: first {"inputs": N}, then N lines with "args", and with REFERENCE also what it
gave: "code", "stdout", "stderr" (as text; tests/web/compare_engine.js compares them with the
WebAssembly engine's results). A reader that gets fewer lines has lost some.
"""
import argparse
import decimal
import io
import json
import os
import random
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

# Each rule of the input fields, the edges of the cycle range and of the loop depths, the names,
# the option parser's own errors.
FIXED = [
    [],
    ["-f", "3.2768", "-d", "10"],
    ["-f", "1", "-d", "1"],
    ["-f", "4", "-d", "1000", "--count-call-return"],
    ["-f", "20", "-d", "2500", "--syntax", "gputils"],
    ["-f", "3,2768", "-d", "10", "--json"],
    ["-f", "4", "-d", "0.008"], ["-f", "4", "-d", "0.007"],
    ["-f", "4", "-d", "50005.246"], ["-f", "4", "-d", "50005.247"],
    ["-f", "4", "-d", "196.095"], ["-f", "4", "-d", "196.096"],
    ["-f", "abc", "-d", "10"], ["-f", "4", "-d", "x"], ["-f", "", "-d", "10"],
    ["-f", "4", "-d", "10", "-l", ""], ["-f", "4", "-d", "10", "-c", ""],
    ["-f", "4", "-d", "10", "-l", "ČEKEJ", "-c", "počet"],
    ["-f", "4", "-d", "10", "-l", "x y", "-c", "a\tb"],
    ["-f", "4", "-d", "10", "-l", "L" * 255], ["-f", "4", "-d", "10", "-l", "L" * 256],
    ["-f", "4", "-d", "10", "-c", "Ž" * 127], ["-f", "4", "-d", "10", "-c", "Ž" * 128],
    ["--label=", "-f", "4"], ["--counter=", "-d", "3"],
    ["--syntax", "GPUTILS", "-d", "5"], ["--syntax", "nasm"], ["--syntax=1"],
    ["-f", "4", "-d", "50005.2455", "--filler", "loop", "--json"],
    ["-f", "4", "-d", "196.0955", "--filler", "LOOP", "--core", "pic18", "--syntax", "gputils"],
    ["-f", "4", "-d", "1000", "--core", "baseline", "--filler", "goto"],
    ["--filler", "2"], ["--core", "pic16"],
    ["-f", "4", "-d", "1", "--times-w", "--count-call-return", "--filler", "loop", "--json"],
    ["-f", "4", "-d", "0.0141", "--times-w", "--count-call-return"],
    # The delay's units: the extended steps with another divisor, and whole cycles.
    ["-f", "4", "-d", "40", "--unit", "us"], ["-f", "4", "-d", "10000", "--unit", "us"],
    ["-f", "1", "-d", "0.001", "--unit", "s", "--json"], ["-f", "4", "-d", "0,5", "--unit", "S"],
    ["-f", "4", "-d", "10000", "--unit", "cycles", "--json"],
    ["-f", "4", "-d", "11", "--unit", "cycles", "--count-call-return"],
    ["-f", "4", "-d", "1e4", "--unit", "cycles"], ["-f", "0", "-d", "8", "--unit", "cycles"],
    ["--unit", "min"],
    # Clearing the watchdog: the filler alone at 8 cycles, a unit, both fillers, the bound's unit.
    ["-f", "4", "-d", "0.008", "--watchdog", "--json"],
    ["-f", "4", "-d", "1", "--watchdog", "--times-w", "--count-call-return", "--json"],
    ["-f", "4", "-d", "50005.2455", "--watchdog", "--filler", "loop", "--core", "baseline",
     "--json"],
    ["-f", "4", "-d", "10000", "--unit", "cycles", "--watchdog", "--syntax", "module"],
    ["-f", "4", "-d", "0.001", "--unit", "s", "--watchdog", "--core", "pic18", "--json"],
    ["--bogus"], ["-f"], ["extra"], ["--version"], ["--help"],
]
FREQUENCIES = ["3.2768", "4", "20", "1", "8", "10", "16", "12", "48", "0.032768", "32.768e-3",
               "3,579545", "1,8432", "0", "-4", "1e1", ".5", "4.", "+4", " 4", "4 ", "4MHz",
               "", "1e400", "1e-400", "nan", "inf", "0x10", "1,000.5", "4.194304", "19.6608",
               # the edges of the double range: subnormal, rounding to the smallest normal or
               # to the largest double or beyond, exponents beyond every integer type
               "1e-310", "4.9406564584124654e-324", "2.2250738585072011e-308",
               "2,2250738585072012e-308", "1.7976931348623158e308", "1.7976931348623159E+308",
               "1e99999999999999999999", "0e99999999999999999999", "-0", "+.5", "5.e-1",
               "4" + "0" * 400 + "e-400", "0." + "0" * 300 + "4e301", "4e", "4e+", "e4", "-",
               "4..0", "4,,0", "4e1.5", "\u00a04", "\uff14", "٤"]
DELAYS = ["10", "0", "-10", "1e3", "5e-3", "", "10ms", "1e400", "nan", "50005.2465", "196.0955",
          "196.0965", "0.0079", "2147483.648", "1e-310", "-1e-400", "1.7976931348623159e308",
          "10" + "0" * 300 + "e-300", "+1E1", " \t10", "10\t", "1 0", "1_0", "0x1p3"]
NAMES = ["WAIT", "CNT", "Delay_1", "d", "pause", "ČEKEJ", "počet", " ", "x y", "\t", "_", "Wait2",
         "L" * 255, "L" * 256, "Ž" * 127, "Ž" * 128, ""]
INVALID_UTF8_NAME = b"\xff\xfe"  # not for Windows, whose command line is UTF-16


class Inputs:
    def __init__(self, seed, utf8_only):
        self.rng = random.Random(seed)
        self.names = NAMES if utf8_only else NAMES + [INVALID_UTF8_NAME]

    def number(self, value, digits):
        return self.respelled(f"{value:.{digits}f}")

    def respelled(self, text):
        """The same decimal number written in another form the number rule accepts, now and
        then: the point moved and an exponent added, a "+" sign, leading zeros, a long tail of
        zeros or a long fraction that rounds away, leading white space, a decimal comma."""
        rng = self.rng
        if rng.random() < 0.2:
            sign, digits, exponent = decimal.Decimal(text).as_tuple()
            shift = rng.randint(-12, 12)
            mantissa = "".join(map(str, digits))
            point = len(mantissa) + exponent + shift  # where the point goes in the mantissa
            if point <= 0:
                body = "0." + "0" * -point + mantissa
            elif point >= len(mantissa):
                body = mantissa + "0" * (point - len(mantissa)) + rng.choice(["", "."])
            else:
                body = mantissa[:point] + "." + mantissa[point:]
            e = rng.choice("eE") + rng.choice(["", "+"] if shift <= 0 else [""])
            text = ("-" if sign else "") + body + e + str(-shift)
        if rng.random() < 0.05 and not text.startswith("-"):
            text = "+" + text
        if rng.random() < 0.05:
            text = text.replace("-", "-000", 1) if text.startswith("-") else "000" + text
        if rng.random() < 0.05 and "e" not in text.lower():
            text += ("" if "." in text else ".") + "0" * rng.choice([20, 400]) + \
                rng.choice(["", "1", "49"])
        if rng.random() < 0.05:
            text = rng.choice([" ", "\t", "  \t "]) + text
        return text.replace(".", ",") if rng.random() < 0.1 else text

    def frequency(self):
        if self.rng.random() < 0.25:
            return self.rng.choice(FREQUENCIES)
        return self.number(self.rng.uniform(0.01, 64), self.rng.randint(0, 7))

    def delay(self, mhz):
        kind = self.rng.random()
        if kind < 0.1:
            return self.rng.choice(DELAYS)
        if kind < 0.6:
            # A whole number of cycles across the range and a little beyond, as a delay at this
            # frequency: both loop depths, their edges and the refusals.
            try:
                f = float(mhz.replace(",", "."))
            except ValueError:
                f = 4.0
            f = f if 0.001 < abs(f) < 1e3 else 4.0
            cycles = self.rng.choice([self.rng.randint(1, 300), self.rng.randint(1, 200_000),
                                      self.rng.randint(1, 51_000_000),
                                      196_095 + self.rng.randint(-3, 3),
                                      50_005_246 + self.rng.randint(-3, 3)])
            return self.number(cycles / (f * 250.0), self.rng.randint(3, 9))
        return self.number(10 ** self.rng.uniform(-4, 6), self.rng.randint(0, 6))

    def extreme_pair(self):
        """A frequency and a delay far out in the exponent range whose product is a usual count."""
        f = self.rng.uniform(1, 10) * 10.0 ** self.rng.randint(-300, 300)
        cycles = self.rng.randint(1, 60_000_000)
        return self.respelled(f"{f:.6e}"), \
            self.respelled(f"{cycles / (f * 250.0):.{self.rng.randint(4, 17)}e}")

    def name(self, default):
        return default if self.rng.random() < 0.85 else self.rng.choice(self.names)

    def generated(self):
        f = self.frequency()
        d = self.delay(f)
        if self.rng.random() < 0.1:
            f, d = self.extreme_pair()
        args = ["-f", f, "-d", d, "-l", self.name("WAIT"), "-c", self.name("CNT")]
        if self.rng.random() < 0.5:
            args.append("--count-call-return")
        args += ["--syntax", self.rng.choice(["classic", "gputils"])]
        if self.rng.random() < 0.5:
            args += ["--filler", self.rng.choice(["goto", "loop"])]
        if self.rng.random() < 0.5:
            args += ["--core", self.rng.choice(["baseline", "midrange", "pic18"])]
        if self.rng.random() < 0.25:
            args.append("--times-w")
        if self.rng.random() < 0.3:
            args.append("--json")
        return args

    def cases(self, count):
        return FIXED + [self.generated() for _ in range(max(0, count - len(FIXED)))]


def encode(args):
    return [a if isinstance(a, bytes) else a.encode("utf-8") for a in args]


def run(command):
    # Files, not pipes: Wine's own background processes may inherit the handles and keep a pipe
    # open after the program has ended. The UTF-8 locale makes Wine read the arguments as UTF-8.
    environment = dict(os.environ, LC_ALL="C.UTF-8")
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.run(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              env=environment, timeout=600).returncode
        out.seek(0)
        err.seek(0)
        return code, out.read(), err.read()


def whole_writes_to_stdout():
    """Makes sys.stdout a buffered stream in UTF-8, whatever PYTHONUNBUFFERED says. Unbuffered,
    Python hands each text straight to one write(), and when the kernel cuts a long write to a
    pipe short (a child ending while the writer waits for room does it) the rest is lost; the
    buffered stream writes on until every byte is out."""
    sys.stdout.flush()
    sys.stdout = io.TextIOWrapper(open(sys.stdout.fileno(), "wb", closefd=False),
                                  encoding="utf-8", line_buffering=True)


def main():
    whole_writes_to_stdout()
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true", help="print the inputs and stop")
    parser.add_argument("--name", help="what the other build is, for the report")
    parser.add_argument("--seed", type=int, required=True)
    parser.add_argument("--count", type=int, required=True)
    parser.add_argument("--utf8-only", action="store_true",
                        help="no names that are not UTF-8 (the other side cannot receive them)")
    parser.add_argument("reference", nargs="?")
    parser.add_argument("command", nargs="*")
    options = parser.parse_args()
    if options.list:
        cases = Inputs(options.seed, True).cases(options.count)
        print(json.dumps({"inputs": len(cases)}))
        if not options.reference:
            for args in cases:
                print(json.dumps({"args": args}, ensure_ascii=False))
            return 0
        with ThreadPoolExecutor(max_workers=2) as pool:
            results = pool.map(lambda args: run([options.reference, *encode(args)]), cases)
            for args, (code, out, err) in zip(cases, results):
                print(json.dumps({"args": args, "code": code, "stdout": out.decode("utf-8"),
                                  "stderr": err.decode("utf-8")}, ensure_ascii=False))
        return 0
    if not (options.name and options.reference and options.command):
        parser.error("--name, REFERENCE and COMMAND are needed unless --list is given")

    def compare(args):
        args = encode(args)
        return args, run([options.reference, *args]), run([*options.command, *args])

    cases = Inputs(options.seed, options.utf8_only).cases(options.count)
    identical = shown = 0
    outcomes, messages = {}, {}
    with ThreadPoolExecutor(max_workers=2) as pool:
        for args, here, there in pool.map(compare, cases):
            outcomes[here[0]] = outcomes.get(here[0], 0) + 1
            if here[0] == 1:
                message = here[2].decode("utf-8", "replace").strip()
                messages[message] = messages.get(message, 0) + 1
            if here == there:
                identical += 1
            elif shown < 10:
                shown += 1
                print("DIFFERENT:", [a.decode("utf-8", "backslashreplace") for a in args])
                for label, (code, out, err) in (("reference", here), (options.name, there)):
                    print(f"  {label}: exit {code}, stderr {err[:300]!r}, stdout {out[:300]!r}")

    different = len(cases) - identical
    print(f"{options.name}: {len(cases)} inputs (exit codes: "
          + ", ".join(f"{code}: {n}" for code, n in sorted(outcomes.items()))
          + f"), {identical} identical, {different} different")
    for message, times in sorted(messages.items(), key=lambda item: -item[1]):
        print(f"  {times:5} x {message}")
    return 1 if different else 0


if __name__ == "__main__":
    sys.exit(main())
