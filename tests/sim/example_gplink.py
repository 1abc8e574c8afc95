#!/usr/bin/env python3
"""Builds the example examples/gplink-16f628a as a user would and times its calls in gpsim.

In a copy of the example, `make -s KAVRIN_CLI=...` must succeed and print nothing. Each delay
module must be what kavrin-cli writes for the Makefile's options (asked of make itself), and
each CALL in the linked program (found in gplink's listing) must take exactly what the plan says
in gpsim: W x N + 4, or W x N with CALL and RETURN counted, W being the W register at the CALL
(1 for a routine that waits once).

Usage: example_gplink.py KAVRIN_CLI EXAMPLE_DIR [--make PATH] [--gpasm PATH] [--gplink PATH]
                         [--gpsim PATH]
"""

import argparse
import json
import re
import shutil
import sys
import tempfile
from pathlib import Path

from gpsim_timing import Failure, parse_stops, run

# A CALL in gplink's listing: its address, the word, the resolved operand, then the source line.
CALL = re.compile(r"^([0-9a-fA-F]{6})\s+[0-9a-fA-F]{4}\s+call\s+0x[0-9a-fA-F]+\s+call\s+(\w+)",
                  re.M | re.I)


def make_value(make: str, folder: Path, expression: str) -> str:
    """A variable of the example's Makefile, as make expands it."""
    result = run([make, "-s", "--no-print-directory", "--eval",
                  f"kavrin-show: ; @echo '{expression}'", "kavrin-show"], cwd=folder, timeout=60)
    if result.returncode != 0:
        raise Failure(f"make cannot show {expression}: {result.stderr}")
    return result.stdout.strip()


def plans(cli: str, make: str, folder: Path) -> dict:
    """Each module's plan, from kavrin-cli with the Makefile's options, and its text checked."""
    found = {}
    mhz = make_value(make, folder, "$(MHZ)")
    for label in make_value(make, folder, "$(MODULES)").split():
        options = make_value(make, folder, f"$({label}_OPTIONS)").split()
        args = [cli, "-f", mhz, *options, "-l", label, "--syntax", "module", "--json"]
        result = run(args, timeout=60)
        if result.returncode != 0:
            raise Failure(f"{args} exited {result.returncode}: {result.stderr}")
        plan = json.loads(result.stdout)
        text = (folder / f"{label}.asm").read_text(encoding="utf-8")
        if text != plan["routine"] + "\n":
            raise Failure(f"{label}.asm is not kavrin-cli's module for {options}")
        found[label] = plan
    return found


def measure(gpsim: str, folder: Path, calls: list, limit: int) -> list:
    """(W at the CALL, cycles to the instruction after it) for each call, in program order."""
    script = "".join(f"break e {address:#x}\nbreak e {address + 1:#x}\n" for address, _ in calls)
    script += f"break c {limit}\n"
    script += "run\necho SIM_STOP\npc\ncycles\nW\nrun\necho SIM_STOP\npc\ncycles\n" * len(calls)
    (folder / "blink.stc").write_text(script + "quit\n")
    result = run([gpsim, "-i", "-S", "disable", "-c", "blink.stc", "blink.cod"], cwd=folder,
                 timeout=300)
    stops = parse_stops(result.stdout)
    w_values = [int(w, 16) for w in re.findall(r"^W = 0x([0-9a-fA-F]+)", result.stdout, re.M)]
    wanted = [pc for address, _ in calls for pc in (address, address + 1)]
    if [pc for pc, _ in stops] != wanted or len(w_values) != len(calls):
        raise Failure(f"gpsim stopped at {[hex(pc) for pc, _ in stops]}, not at "
                      f"{[hex(pc) for pc in wanted]}:\n{result.stdout[-1500:]}")
    return [(w, end[1] - start[1]) for w, start, end in zip(w_values, stops[0::2], stops[1::2])]


def expected_cycles(plan: dict, w: int) -> int:
    """From the CALL to the instruction after it. A routine that waits once and counts CALL and
    RETURN plans its loops for N - 4 cycles."""
    if plan.get("times_w"):
        return (w or 256) * plan["cycle_count"] + plan["fixed_cycles"]
    ticked = plan["target_cycles"] == plan["cycle_count"] - 4
    return plan["cycle_count"] + (0 if ticked else 4)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli")
    parser.add_argument("example")
    parser.add_argument("--make", default="make")
    parser.add_argument("--gpasm", default="gpasm")
    parser.add_argument("--gplink", default="gplink")
    parser.add_argument("--gpsim", default="gpsim")
    options = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="kavrin-example-") as workdir:
        folder = Path(workdir) / "example"
        shutil.copytree(options.example, folder)
        try:
            result = run([options.make, "-s", f"KAVRIN_CLI={Path(options.cli).resolve()}",
                          f"GPASM={options.gpasm}", f"GPLINK={options.gplink}"], cwd=folder,
                         timeout=120)
            output = (result.stdout + result.stderr).strip()
            if result.returncode != 0 or output:
                raise Failure(f"make exited {result.returncode}:\n{output}")
            found = plans(options.cli, options.make, folder)
            listing = (folder / "blink.lst").read_text(encoding="utf-8", errors="replace")
            calls = [(int(m.group(1), 16), m.group(2)) for m in CALL.finditer(listing)]
            if sorted(label for _, label in calls) != sorted(found):
                raise Failure(f"the program calls {[label for _, label in calls]}, "
                              f"the Makefile makes {sorted(found)}")
            measured = measure(options.gpsim, folder, calls, 100_000_000)
        except (Failure, KeyError, ValueError, OSError) as error:
            print(f"FAIL: {error}")
            return 1

    print(f"{'call':<12} {'N':>8} {'W':>3} {'expected':>9} {'measured':>9}")
    failures = 0
    for (_, label), (w, cycles) in zip(calls, measured):
        plan = found[label]
        expected = expected_cycles(plan, w)
        verdict = "ok" if cycles == expected else "FAIL"
        failures += verdict != "ok"
        print(f"{label:<12} {plan['cycle_count']:>8} {w if plan.get('times_w') else '-':>3} "
              f"{expected:>9} {cycles:>9}  {verdict}")
    print(f"{len(calls) - failures} of {len(calls)} calls exact")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
