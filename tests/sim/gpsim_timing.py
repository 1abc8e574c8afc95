#!/usr/bin/env python3
"""Runs kavrin-cli's routines on the gpsim PIC simulator and checks their length in cycles.

Each case is assembled with gpasm into a minimal 16F628A program that calls the routine once;
gpsim reads its cycle counter at the CALL and at the instruction after it. The call must last
N + 4 cycles when CALL and RETURN are not counted in the delay, and N cycles when they are.

Usage: gpsim_timing.py KAVRIN_CLI [--gpasm PATH] [--gpsim PATH]
"""

import argparse
import json
import re
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path
from typing import Optional, Tuple

# Addresses of the CALL and of the instruction after it in the wrapper program.
CALL_ADDRESS = 0x004
AFTER_ADDRESS = 0x005

# Program memory of the 16F628A; the filler of a routine has to fit in it.
PROGRAM_WORDS = 2048

WRAPPER = """\
\tlist\tp=16f628a
\tinclude\t"p16f628a.inc"
\t__CONFIG\t_WDT_OFF & _PWRTE_OFF & _INTOSC_OSC_NOCLKOUT & _MCLRE_ON & _BOREN_OFF & _LVP_OFF & _CP_OFF & _CPD_OFF

\tcblock\t0x20
\t{counter}1
\t{counter}2
\t{counter}3
\tendc

\torg\t0x000
\tgoto\tSIM_CALL
\torg\t0x{call:03X}
SIM_CALL
\tCALL\t{label}
SIM_AFTER
\tgoto\tSIM_AFTER

{routine}

\tend
"""


@dataclass
class Case:
    what: str
    frequency: str
    delay: str
    ticked: bool
    cycles: int  # N
    levels: int
    pad: int
    label: str = "WAIT"
    counter: str = "CNT"
    counts: str = "-"  # outer/middle/inner as planned, for the table


CASES = [
    Case("default input, odd filler", "3.2768", "10", False, 8192, 2, 1),
    Case("default input ticked, odd filler", "3.2768", "10", True, 8192, 2, 3),
    Case("two levels, exact", "1", "1", False, 249, 2, 0),
    Case("two levels ticked, exact", "4", "10", True, 9999, 2, 0),
    Case("smallest target", "4", "0.008", False, 8, 2, 0),
    Case("smallest target ticked", "4", "0.0121", True, 12, 2, 0),
    Case("largest two-level target, 764-cycle filler", "4", "196.0955", False, 196095, 2, 764),
    Case("largest two-level target ticked", "4", "196.0995", True, 196099, 2, 764),
    Case("two-level maximum goes to three levels", "4", "196.0965", False, 196096, 3, 0),
    Case("two-level maximum ticked", "4", "196.1005", True, 196100, 3, 0),
    Case("three levels, odd filler", "3.2768", "1000", False, 819200, 3, 1),
    Case("three levels ticked, exact", "3.2768", "1000", True, 819200, 3, 0),
    Case("three levels, even filler", "20", "1000", False, 5000000, 3, 4),
    Case("three levels ticked, even filler", "4", "2000", True, 1999999, 3, 2),
    Case("three levels ticked, odd filler", "4", "3000", True, 3000000, 3, 1),
    Case("three levels, exact", "4", "500", False, 499999, 3, 0),
    Case("every count 255", "4", "50005.2465", False, 50005246, 3, 0),
    Case("every count 255 ticked", "4", "50005.2505", True, 50005250, 3, 0),
    Case("other names, two levels", "12", "33", True, 99000, 2, 3, "Delay_33ms", "d"),
    Case("other names, three levels", "4", "1000", False, 999999, 3, 0, "pause", "Tmr_"),
]


class Failure(Exception):
    pass


def run(args, **kwargs) -> subprocess.CompletedProcess:
    return subprocess.run(args, capture_output=True, text=True, encoding="utf-8", **kwargs)


class Simulator:
    def __init__(self, cli: str, gpasm: str, gpsim: str, workdir: Path):
        self.cli, self.gpasm, self.gpsim, self.workdir = cli, gpasm, gpsim, workdir

    def kavrin(self, case: Case, *extra: str) -> str:
        args = [self.cli, "-f", case.frequency, "-d", case.delay, "-l", case.label,
                "-c", case.counter, *extra]
        if case.ticked:
            args.append("--count-call-return")
        result = run(args, timeout=60)
        if result.returncode != 0 or result.stderr:
            raise Failure(f"kavrin-cli {args[1:]} exited {result.returncode}: {result.stderr}")
        if not result.stdout.endswith("\n"):
            raise Failure("kavrin-cli output does not end in a line feed")
        return result.stdout[:-1]

    def check_plan(self, case: Case) -> dict:
        plan = json.loads(self.kavrin(case, "--json", "--syntax", "gputils"))
        expected = {
            "cycle_count": case.cycles,
            "target_cycles": case.cycles - 4 if case.ticked else case.cycles,
            "levels": case.levels,
            "pad_cycles": case.pad,
        }
        got = {key: plan[key] for key in expected}
        if got != expected:
            raise Failure(f"plan {got}, expected {expected}")
        return plan

    def assemble(self, name: str, case: Case, routine: str) -> Path:
        source = self.workdir / f"{name}.asm"
        source.write_text(WRAPPER.format(counter=case.counter, label=case.label,
                                         call=CALL_ADDRESS, routine=routine), encoding="utf-8")
        result = run([self.gpasm, source.name], cwd=self.workdir, timeout=60)
        output = result.stdout + result.stderr
        if result.returncode != 0 or re.search(r"\b(error|warning)\b", output, re.I):
            raise Failure(f"gpasm reported:\n{output}")
        return source.with_suffix(".cod")

    def measure(self, name: str, cod: Path, expected: int) -> int:
        script = self.workdir / f"{name}.stc"
        # The cycle breakpoint ends a routine that never returns instead of running forever.
        script.write_text(f"""\
break e SIM_CALL
break e SIM_AFTER
break c {expected + 1000}
run
echo SIM_STOP
pc
cycles
run
echo SIM_STOP
pc
cycles
quit
""")
        result = run([self.gpsim, "-i", "-S", "disable", "-c", script.name, cod.name],
                     cwd=self.workdir, timeout=120)
        stops = parse_stops(result.stdout)
        if len(stops) != 2:
            raise Failure(f"gpsim did not stop twice:\n{result.stdout[-2000:]}")
        (pc_call, at_call), (pc_after, at_after) = stops
        if (pc_call, pc_after) != (CALL_ADDRESS, AFTER_ADDRESS):
            raise Failure(f"gpsim stopped at {pc_call:#x} and {pc_after:#x}, "
                          f"not at the CALL and the instruction after it")
        return at_after - at_call


def parse_stops(output: str):
    """The (pc, cycle counter) pairs printed after each SIM_STOP marker."""
    stops = []
    for chunk in output.split("SIM_STOP")[1:]:
        pc = re.search(r"pc = 0x([0-9A-Fa-f]+)", chunk)
        cycles = re.search(r"(\d+) = 0x([0-9A-Fa-f]+)", chunk)
        if pc and cycles and int(cycles.group(1)) == int(cycles.group(2), 16):
            stops.append((int(pc.group(1), 16), int(cycles.group(1))))
    return stops


def check_layouts(case: Case, classic: str, gputils: str) -> None:
    """The two layouts differ only in the leading white space of loop labels and RETURN."""
    a, b = classic.split("\n"), gputils.split("\n")
    if len(a) != len(b):
        raise Failure("classic and gputils texts have different line counts")
    loop_label = re.compile(re.escape(case.label) + r"_LOOP([123])")
    for line_a, line_b in zip(a, b):
        if line_a == line_b:
            continue
        word = line_a.strip()
        if word != line_b.strip():
            raise Failure(f"layouts differ beyond white space: {line_a!r} / {line_b!r}")
        label = loop_label.fullmatch(word)
        if label:
            wanted = ("\t" * int(label.group(1)) + word, word)
        elif word == "RETURN":
            wanted = ("RETURN", "\tRETURN")
        else:
            raise Failure(f"layouts differ on a line that is no loop label: {line_a!r}")
        if (line_a, line_b) != wanted:
            raise Failure(f"unexpected indentation: {line_a!r} / {line_b!r}")
    if a[-1] != "RETURN" or b[-1] != "\tRETURN":
        raise Failure("texts do not end with RETURN in their layouts")
    labels = sum(1 for line in b if loop_label.fullmatch(line))
    if labels != case.levels:
        raise Failure(f"gputils text has {labels} column-1 loop labels, not {case.levels}")


def run_case(sim: Simulator, index: int, case: Case, expected: int) -> Tuple[int, str]:
    """The measured cycles and a verdict on everything else; Failure when nothing was measured."""
    plan = sim.check_plan(case)
    case.counts = "/".join(str(plan[k]) for k in ("outer", "middle", "inner") if plan[k])
    gputils = sim.kavrin(case, "--syntax", "gputils")
    if case.pad // 2 + 40 > PROGRAM_WORDS:
        raise Failure("the filler does not fit the 16F628A")
    name = f"case{index:02d}"
    measured = sim.measure(name, sim.assemble(name, case, gputils), expected)
    try:
        check_layouts(case, sim.kavrin(case, "--syntax", "classic"), gputils)
    except Failure as error:
        return measured, f"FAIL: {error}"
    return measured, "ok" if measured == expected else "FAIL: wrong cycle count"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli")
    parser.add_argument("--gpasm", default="gpasm")
    parser.add_argument("--gpsim", default="gpsim")
    options = parser.parse_args()

    failures = 0
    print(f"{'case':<44} {'MHz':>6} {'ms':>10} {'ticked':>6} {'N':>8} {'counts':>11} "
          f"{'pad':>3} {'expected':>8} {'measured':>8}")
    with tempfile.TemporaryDirectory(prefix="kavrin-sim-") as workdir:
        sim = Simulator(options.cli, options.gpasm, options.gpsim, Path(workdir))
        for index, case in enumerate(CASES):
            expected = case.cycles if case.ticked else case.cycles + 4
            measured: Optional[int] = None
            try:
                measured, verdict = run_case(sim, index, case, expected)
            except (Failure, subprocess.TimeoutExpired, KeyError, ValueError) as error:
                verdict = f"FAIL: {error}"
            failures += verdict != "ok"
            shown = "-" if measured is None else str(measured)
            print(f"{case.what:<44} {case.frequency:>6} {case.delay:>10} "
                  f"{'yes' if case.ticked else 'no':>6} {case.cycles:>8} {case.counts:>11} "
                  f"{case.pad:>3} {expected:>8} {shown:>8}  {verdict}")
    print(f"{len(CASES) - failures} of {len(CASES)} cases passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
