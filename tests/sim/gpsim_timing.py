#!/usr/bin/env python3
"""Runs kavrin-cli's routines on the gpsim PIC simulator and checks their length in cycles.

Each case is assembled with gpasm, which must print nothing at all (no error, warning or message),
into a minimal program for one part of its core that calls the routine once; gpsim reads its
cycle counter at the CALL and at the instruction after it. The call must last N + 4 cycles when
CALL and RETURN are not counted in the delay, and N cycles when they are; a routine that waits W
units (--times-w) is called with W loaded and must last W x N + 4, or W x N, cycles (W = 0: 256
units). The plan's "words" must be the routine's size in the assembled program, and the program
must fit the part's program memory.

A second table runs routines that clear the watchdog (--watchdog) on each part with its watchdog
on and its period cut to about 20 cycles: the prescaler away from the watchdog, its shortest
period, and gpsim's clock slow enough that the period spans about 20 instruction cycles. The
program clears the watchdog just before the CALL; the call must take exactly its cycles with no
"Reset on Watch Dog Timer expire" from gpsim, while a routine written without the choice must be
seen to reset in the same set-up.

Usage: gpsim_timing.py KAVRIN_CLI [--gpasm PATH] [--gpsim PATH] [--jobs N] [--watchdog-only]
"""

import argparse
import dataclasses
import json
import re
import subprocess
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from dataclasses import dataclass
from pathlib import Path
from typing import Optional, Tuple


@dataclass(frozen=True)
class Part:
    core: str
    name: str
    # list, include and configuration: no watchdog, which would reset a long delay
    header: str
    ram: int  # first general-purpose register, where the counters go
    # code from the reset vector up to SIM_START
    start: str
    # program words the wrapper and the routine may use
    program_words: int
    # the assembler counts program addresses in bytes (PIC18), not in words
    byte_addresses: bool = False
    # --core option given to kavrin-cli; None tests the default
    core_option: Optional[str] = None
    # code after SIM_START, before the CALL
    setup: str = ""
    # the watchdog is on: the program clears it just before the CALL
    watchdog_on: bool = False
    # gpsim's clock in Hz (the oscillator's, four clocks a cycle); None keeps its default
    frequency: Optional[int] = None


PIC16F628A = Part(
    "midrange", "16F628A",
    "\tlist\tp=16f628a\n\tinclude\t\"p16f628a.inc\"\n"
    "\t__CONFIG\t_WDT_OFF & _PWRTE_OFF & _INTOSC_OSC_NOCLKOUT & _MCLRE_ON & _BOREN_OFF & _LVP_OFF"
    " & _CP_OFF & _CPD_OFF",
    0x20, "\tgoto\tSIM_START\n\torg\t0x004", 2048)
PIC16F1823 = Part(
    "midrange", "16F1823",
    "\tlist\tp=16f1823\n\tinclude\t\"p16f1823.inc\"\n"
    "\t__CONFIG\t_CONFIG1, _FOSC_INTOSC & _WDTE_OFF & _PWRTE_OFF & _MCLRE_ON & _CP_OFF & _CPD_OFF"
    " & _BOREN_OFF & _CLKOUTEN_OFF & _IESO_OFF & _FCMEN_OFF\n"
    "\t__CONFIG\t_CONFIG2, _WRT_OFF & _PLLEN_OFF & _STVREN_ON & _LVP_OFF",
    0x20, "\tgoto\tSIM_START\n\torg\t0x004", 2048, core_option="midrange")
# The 10F200 starts at its last word, which holds the factory's MOVLW of the oscillator
# calibration; the program counter then wraps to 0x000, where the program stores it. That word
# is not the program's: 255 of the 256 words are left, and CALL reaches all of them.
PIC10F200 = Part(
    "baseline", "10F200",
    "\tlist\tp=10f200\n\tinclude\t\"p10f200.inc\"\n"
    "\t__CONFIG\t_WDT_OFF & _CP_OFF & _MCLRE_ON",
    0x10, "\tmovwf\tOSCCAL", 255, core_option="baseline")
# Counters in access RAM. The bank register points elsewhere, so an instruction that reached a
# counter through the bank would not find it.
PIC18F452 = Part(
    "pic18", "18F452",
    "\tlist\tp=18f452\n\tinclude\t\"p18f452.inc\"\n"
    "\tconfig\tOSC = HS, WDT = OFF, LVP = OFF",
    0x00, "\tmovlb\t1\n\tgoto\tSIM_START\n\torg\t0x020", 16384, byte_addresses=True,
    core_option="pic18")

# The parts with the watchdog on in the configuration word and its period cut to about 20
# instruction cycles.
# 16F628A: the prescaler to Timer0 leaves the watchdog its 18 ms; at 4444 Hz a cycle is 0.9 ms.
# It is moved with the watchdog just cleared, as the data sheet asks.
WDT_PIC16F628A = dataclasses.replace(
    PIC16F628A,
    header=PIC16F628A.header.replace("_WDT_OFF", "_WDT_ON"),
    setup="\tclrwdt\n\tbsf\tSTATUS,RP0\n\tbcf\t(OPTION_REG & 0x7F),PSA\n\tbcf\tSTATUS,RP0\n",
    watchdog_on=True, frequency=4444)
# 10F200: OPTION = 0xF7 gives the prescaler to Timer0: 18 ms nominal. gpsim 0.31 times this
# part's watchdog by its internal oscillator whatever `frequency` says: the period stays about
# 36 000 cycles, so here the routines must run exactly and without a reset, and a plain routine
# longer than that must reset; the runs between clears are counted by the unit tests.
WDT_PIC10F200 = dataclasses.replace(
    PIC10F200,
    header=PIC10F200.header.replace("_WDT_OFF", "_WDT_ON"),
    setup="\tclrwdt\n\tmovlw\t0xF7\n\toption\n",
    watchdog_on=True)
# 16F1823: an external clock (ECH), so that gpsim's clock holds, and WDTCON = 0: 1:32, 1 ms,
# 20 cycles of 50 us at 80 kHz.
WDT_PIC16F1823 = dataclasses.replace(
    PIC16F1823,
    header=PIC16F1823.header.replace("_FOSC_INTOSC", "_FOSC_ECH").replace("_WDTE_OFF",
                                                                          "_WDTE_ON"),
    setup="\tclrwdt\n\tmovlb\t1\n\tclrf\t(WDTCON & 0x7F)\n\tmovlb\t0\n",
    watchdog_on=True, frequency=80000)
# 18F452: the postscaler 1:1, WDTPS = 1: 18 ms.
WDT_PIC18F452 = dataclasses.replace(
    PIC18F452,
    header=PIC18F452.header.replace("WDT = OFF", "WDT = ON, WDTPS = 1"),
    watchdog_on=True, frequency=4444)
WDT_PARTS = (WDT_PIC10F200, WDT_PIC16F628A, WDT_PIC16F1823, WDT_PIC18F452)

WRAPPER = """\
{header}

\tcblock\t0x{ram:02X}
\t{counter}1
\t{counter}2
\t{counter}3
\t{counter}W
\tendc

\torg\t0x000
{start}
SIM_START
{setup}{load}{clear}SIM_CALL
\tCALL\t{label}
SIM_AFTER
\t{jump}\tSIM_AFTER

{routine}

SIM_TOP\tequ\t$
SIM_SIZE\tequ\t$ - {label}
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
    filler: Optional[str] = None  # --filler option; None tests the default (goto)
    times_w: bool = False  # --times-w: N, levels and pad are the unit's and its body's
    watchdog: bool = False  # --watchdog; then levels 0 is the filler alone
    resets: bool = False  # on a part with the watchdog on: must be seen to reset
    unit: Optional[str] = None  # --unit option of the delay; None tests the default (ms)


# Today's routines on the 16F628A: default core, default filler.
MIDRANGE_CASES = [
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
    Case("delay in us", "4", "40", False, 40, 2, 0, unit="us"),
    Case("delay in cycles ticked, odd filler", "4", "10000", True, 10000, 2, 1, unit="cycles"),
]

# The compact filler on the 16F628A: loops on the routine's counters instead of long runs of
# two-cycle jumps.
LOOP_CASES = [
    Case("loop filler, odd filler", "3.2768", "10", False, 8192, 2, 1, filler="loop"),
    Case("loop filler, 4 cycles", "20", "1000", False, 5000000, 3, 4, filler="loop"),
    Case("loop filler, 764 cycles", "4", "196.0955", False, 196095, 2, 764, filler="loop"),
    Case("loop filler ticked, 764 cycles, other names", "4", "196.0995", True, 196099, 2, 764,
         "dly", "R", filler="loop"),
    Case("loop filler, 1464 cycles: a loop from zero", "4", "44947", False, 44947000, 3, 1464,
         filler="loop"),
    Case("loop filler ticked, 61495 cycles, other names", "4", "47000", True, 47000000, 3, 61495,
         "Pause_47s", "t_", filler="loop"),
    Case("largest filler (195074 cycles)", "4", "50005.2455", False, 50005245, 3, 195074,
         filler="loop"),
    Case("largest filler ticked", "4", "50005.2495", True, 50005249, 3, 195074, filler="loop"),
]

# Every core on a part of its own: two and three levels, fillers of 0, 1, 2 and 764 cycles,
# a filler loop that counts 256 passes down from the zero the loop block leaves, the largest
# filler, other names.
CORE_CASES = [
    Case("two levels, no filler", "1", "1", False, 249, 2, 0),
    Case("two levels, 1-cycle filler", "3.2768", "10", False, 8192, 2, 1),
    Case("three levels ticked, 2-cycle filler", "4", "2000", True, 1999999, 3, 2),
    Case("three levels, no filler", "4", "500", False, 499999, 3, 0, filler="loop"),
    Case("two levels, 764-cycle filler", "4", "196.0955", False, 196095, 2, 764, filler="loop"),
    Case("loop filler, 1464 cycles: a loop from zero", "4", "44947", False, 44947000, 3, 1464,
         filler="loop"),
    Case("largest filler (195074 cycles)", "4", "50005.2455", False, 50005245, 3, 195074,
         filler="loop"),
    Case("other names, two levels ticked", "12", "33", True, 99000, 2, 3, "Delay_33ms", "d"),
    Case("other names, three levels ticked", "4", "49000", True, 49000000, 3, 159859,
         "Pause_49s", "t_", filler="loop"),
]
# 382 jumps do not fit the 10F200; the parts with room run the plain filler too.
LONG_GOTO_CASE = Case("two levels ticked, 764-cycle goto filler", "4", "196.0995", True,
                      196099, 2, 764, filler="goto")

# Routines that wait W units, on every part with W = 1, 2, 255 and 0 (256 units). The body takes
# N - 3 cycles, N - 7 with CALL and RETURN counted; levels and pad are the body's.
TIMES_W_CASES = [
    Case("W units: smallest unit (N = 11)", "4", "0.0111", False, 11, 2, 0, times_w=True),
    Case("W units: smallest unit ticked (N = 15)", "4", "0.0151", True, 15, 2, 0, filler="loop",
         times_w=True),
    Case("W units: N = 32", "4", "0.032", False, 32, 2, 0, times_w=True),
    Case("W units: N = 32 ticked, 2-cycle filler", "4", "0.032", True, 32, 2, 2, times_w=True),
    Case("W units: 1 ms ticked, loop filler", "4", "1", True, 999, 2, 1, filler="loop",
         times_w=True),
    # Not "d": its units counter dW would be gpasm's directive DW.
    Case("W units: 1 ms, other names", "4", "1", False, 999, 2, 0, "Delay_ms", "n",
         times_w=True),
    Case("W units: two levels ticked, 761-cycle filler", "4", "196.0995", True, 196099, 2, 761,
         filler="loop", times_w=True),
    Case("W units: three levels, 1-cycle filler", "4", "201", False, 200999, 3, 1,
         filler="loop", times_w=True),
]
UNITS = (1, 2, 255, 0)

# Routines that clear the watchdog, on every part with the watchdog on: the filler alone (8
# cycles), two and three levels, both fillers, the loop filler's 14 instructions, units of W.
WATCHDOG_CASES = [
    (Case("watchdog: 8 cycles, the filler alone", "4", "0.008", False, 8, 0, 8, filler="goto",
          watchdog=True), None),
    (Case("watchdog: 8 cycles ticked, the filler alone", "4", "0.0121", True, 12, 0, 8,
          filler="loop", watchdog=True), None),
    (Case("watchdog: two levels, loop filler", "4", "10", False, 9999, 2, 2, filler="loop",
          watchdog=True), None),
    (Case("watchdog: largest two-level target ticked", "4", "196.0995", True, 196099, 2, 6,
          filler="goto", watchdog=True), None),
    (Case("watchdog: three levels", "4", "1000", False, 999999, 3, 2, filler="goto",
          watchdog=True), None),
    (Case("watchdog: three levels ticked, loop filler", "4", "3000", True, 3000000, 3, 3,
          filler="loop", watchdog=True), None),
    (Case("watchdog: 14-instruction loop filler", "4", "48589.891", False, 48589891, 3, 3282,
          filler="loop", watchdog=True), None),
] + [(Case("watchdog W units: smallest unit (N = 11)", "4", "0.0111", False, 11, 0, 8,
           filler="goto", times_w=True, watchdog=True), w) for w in (2, 0)] + [
    (Case("watchdog W units: smallest unit ticked (N = 15)", "4", "0.0151", True, 15, 0, 8,
          filler="loop", times_w=True, watchdog=True), w) for w in (2, 0)] + [
    (Case("watchdog W units: 1 ms ticked", "4", "1", True, 999, 2, 3, filler="goto",
          times_w=True, watchdog=True), w) for w in (1, 255)] + [
    (Case("watchdog W units: three levels, loop filler", "4", "201", False, 200999, 3, 3,
          filler="loop", times_w=True, watchdog=True), 2),
]

# Without the choice the same set-up resets the part: a routine longer than the period.
RESET_CASE = Case("without --watchdog: reset", "1", "1", False, 249, 2, 0, resets=True)
RESET_CASE_10F200 = Case("without --watchdog: reset after 36 000 cycles", "4", "40", False,
                         39999, 2, 2, resets=True)
WATCHDOG_RUNS = [(part, case, w) for part in WDT_PARTS
                 for case, w in WATCHDOG_CASES
                 + [(RESET_CASE if part.frequency else RESET_CASE_10F200, None)]]

RUNS = ([(PIC16F628A, case, None) for case in MIDRANGE_CASES + LOOP_CASES]
        + [(PIC10F200, case, None) for case in CORE_CASES]
        + [(part, case, None) for part in (PIC16F1823, PIC18F452)
           for case in CORE_CASES + [LONG_GOTO_CASE]]
        + [(part, case, w) for part in (PIC10F200, PIC16F628A, PIC16F1823, PIC18F452)
           for case in TIMES_W_CASES for w in UNITS])

# Loop block instruction words: loads and stores of the counts, DECFSZ and jump per level.
BLOCK_WORDS = {0: 0, 2: 8, 3: 12}
# Most instructions the compact filler may take in a routine that clears the watchdog.
WATCHDOG_LOOP_FILLER_WORDS = 14
# The longest run of cycles between two CLRWDTs a routine that clears the watchdog may have.
WATCHDOG_BOUND = 16
# Jumps between two CLRWDTs of the plain filler in a routine that clears the watchdog.
JUMPS_PER_CLEAR = 4
RESET_MESSAGE = "Reset on Watch Dog Timer expire"
# Most instructions the compact filler may take.
LOOP_FILLER_WORDS = 12
# Unit loop words: MOVWF, DECFSZ and jump; with CALL and RETURN counted, the tail's two words.
UNIT_LOOP_WORDS = {False: 3, True: 5}
# The cycles a call of a routine that waits W units takes beyond W x N.
FIXED_CYCLES = {False: 4, True: 0}


def expected_cycles(case: Case, w: Optional[int]) -> int:
    """From the CALL to the instruction after it."""
    units = 1 if w is None else (w or 256)
    return units * case.cycles + FIXED_CYCLES[case.ticked]


class Failure(Exception):
    pass


def run(args, **kwargs) -> subprocess.CompletedProcess:
    return subprocess.run(args, capture_output=True, text=True, encoding="utf-8", **kwargs)


@dataclass
class Result:
    counts: str = "-"
    words: str = "-"
    measured: Optional[int] = None
    verdict: str = "ok"


class Simulator:
    def __init__(self, cli: str, gpasm: str, gpsim: str, workdir: Path):
        self.cli, self.gpasm, self.gpsim, self.workdir = cli, gpasm, gpsim, workdir

    def kavrin(self, part: Part, case: Case, *extra: str) -> str:
        args = [self.cli, "-f", case.frequency, "-d", case.delay, "-l", case.label,
                "-c", case.counter, *extra]
        if part.core_option:
            args += ["--core", part.core_option]
        if case.filler:
            args += ["--filler", case.filler]
        if case.times_w:
            args.append("--times-w")
        if case.unit:
            args += ["--unit", case.unit]
        if case.ticked:
            args.append("--count-call-return")
        if case.watchdog:
            args.append("--watchdog")
        result = run(args, timeout=60)
        if result.returncode != 0 or result.stderr:
            raise Failure(f"kavrin-cli {args[1:]} exited {result.returncode}: {result.stderr}")
        if not result.stdout.endswith("\n"):
            raise Failure("kavrin-cli output does not end in a line feed")
        return result.stdout[:-1]

    def check_plan(self, part: Part, case: Case) -> dict:
        plan = json.loads(self.kavrin(part, case, "--json", "--syntax", "classic"))
        outside = (3 + (4 if case.ticked else 0)) if case.times_w else (4 if case.ticked else 0)
        expected = {
            "cycle_count": case.cycles,
            "target_cycles": case.cycles - outside,
            "levels": case.levels,
            "pad_cycles": case.pad,
            "core": part.core,
            "filler": case.filler or "goto",
        }
        if case.times_w:
            expected.update(times_w=True, unit_cycles=case.cycles,
                            fixed_cycles=FIXED_CYCLES[case.ticked])
        if case.watchdog:
            expected.update(watchdog=True)
        got = {key: plan.get(key) for key in expected}
        if got != expected:
            raise Failure(f"plan {got}, expected {expected}")
        filler_words = plan["words"] - BLOCK_WORDS[case.levels] - 1
        if case.times_w:
            filler_words -= UNIT_LOOP_WORDS[case.ticked]
        if case.watchdog:
            # The CLRWDT of the innermost loop; the tail's CLRWDT and nop for its jump.
            filler_words -= (case.levels > 0) + (case.times_w and case.ticked)
            if not 1 <= plan.get("watchdog_bound_cycles", 0) <= WATCHDOG_BOUND:
                raise Failure(f"watchdog bound {plan.get('watchdog_bound_cycles')}")
        if expected["filler"] == "goto" and filler_words != goto_filler_words(case):
            raise Failure(f"{plan['words']} words do not hold the plain filler")
        limit = WATCHDOG_LOOP_FILLER_WORDS if case.watchdog else LOOP_FILLER_WORDS
        if expected["filler"] == "loop" and not 0 <= filler_words <= limit:
            raise Failure(f"{plan['words']} words: the compact filler takes {filler_words}")
        return plan

    def assemble(self, name: str, part: Part, case: Case, routine: str,
                 w: Optional[int]) -> Tuple[Path, dict]:
        """The program's code file and its symbol table."""
        source = self.workdir / f"{name}.asm"
        source.write_text(WRAPPER.format(
            header=part.header, ram=part.ram, start=part.start, counter=case.counter,
            setup=part.setup, clear="\tclrwdt\n" if part.watchdog_on else "",
            load="" if w is None else f"\tmovlw\tD'{w}'\n",
            label=case.label, jump="bra" if part.byte_addresses else "goto",
            routine=routine), encoding="utf-8")
        result = run([self.gpasm, source.name], cwd=self.workdir, timeout=60)
        output = result.stdout + result.stderr
        if result.returncode != 0 or output.strip():
            raise Failure(f"gpasm reported:\n{output}")
        return source.with_suffix(".cod"), read_symbols(source.with_suffix(".lst"))

    def measure(self, name: str, part: Part, cod: Path,
                expected: int) -> Tuple[int, int, int, bool]:
        """The program counter at the two stops, the cycles between them, and whether the
        watchdog reset the part."""
        script = self.workdir / f"{name}.stc"
        clock = f"frequency {part.frequency}\n" if part.frequency else ""
        # The cycle breakpoint ends a routine that never returns instead of running forever.
        script.write_text(f"""\
{clock}break e SIM_CALL
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
        reset = RESET_MESSAGE in result.stdout + result.stderr
        if len(stops) != 2:
            raise Failure(f"gpsim did not stop twice:\n{result.stdout[-2000:]}")
        (pc_call, at_call), (pc_after, at_after) = stops
        return pc_call, pc_after, at_after - at_call, reset


def goto_filler_words(case: Case) -> int:
    """Instructions of the plain filler: a two-cycle jump per two cycles and a nop; in a
    routine that clears the watchdog, groups of jumps each followed by a CLRWDT, the fewest
    groups whose number has the parity of the cycles."""
    if not case.watchdog:
        return case.pad // 2 + case.pad % 2
    if case.pad == 0:
        return 0
    clears = -(-case.pad // (2 * JUMPS_PER_CLEAR + 1))
    clears += (case.pad - clears) % 2
    return clears + (case.pad - clears) // 2


def read_symbols(listing: Path) -> dict:
    """Name and value of every symbol in a gpasm listing's symbol table."""
    text = listing.read_text(encoding="utf-8", errors="replace")
    table = text.split("SYMBOL TABLE", 1)[-1]
    return {m.group(1): int(m.group(2), 16)
            for m in re.finditer(r"^(\S+)\s+([0-9A-Fa-f]{8})\s*$", table, re.M)}


def parse_stops(output: str):
    """The (pc, cycle counter) pairs printed after each SIM_STOP marker."""
    stops = []
    for chunk in output.split("SIM_STOP")[1:]:
        pc = re.search(r"pc = 0x([0-9A-Fa-f]+)", chunk)
        cycles = re.search(r"(\d+) = 0x([0-9A-Fa-f]+)", chunk)
        if pc and cycles and int(cycles.group(1)) == int(cycles.group(2), 16):
            stops.append((int(pc.group(1), 16), int(cycles.group(1))))
    return stops


def explicit_operands(word: str) -> str:
    """A gputils instruction without the destination and access bank the classic layout leaves
    to the assembler's defaults."""
    return re.sub(r"^((?:MOVWF|DECFSZ)\t[^,]+)(?:,1)?(?:,0)?$", r"\1", word)


def check_layouts(part: Part, case: Case, classic: str, gputils: str) -> None:
    """The two layouts differ only in the leading white space of labels and the return, and in
    the destinations and access banks gputils writes out."""
    a, b = classic.split("\n"), gputils.split("\n")
    if len(a) != len(b):
        raise Failure("classic and gputils texts have different line counts")
    name = re.escape(case.label)
    loop_label = re.compile(name + r"_LOOP([123])")
    pad_label = re.compile(name + r"_\w+")
    # gpasm takes RETURN on a baseline part as RETLW 0, so only the text tells them apart.
    closing = re.compile(r"RETLW\s+0" if part.core == "baseline" else "RETURN")
    for line_a, line_b in zip(a, b):
        if line_a == line_b:
            continue
        word = line_a.strip()
        if explicit_operands(word) != explicit_operands(line_b.strip()):
            raise Failure(f"layouts differ beyond white space: {line_a!r} / {line_b!r}")
        if word != line_b.strip():
            if line_a[:-len(word)] != line_b[:-len(line_b.strip())]:
                raise Failure(f"unexpected indentation: {line_a!r} / {line_b!r}")
            continue
        label = loop_label.fullmatch(word)
        if label:
            wanted = line_a == "\t" * int(label.group(1)) + word and line_b == word
        elif pad_label.fullmatch(word):
            wanted = line_a.startswith("\t") and line_b == word
        elif closing.fullmatch(word):
            wanted = (line_a, line_b) == (word, "\t" + word)
        else:
            raise Failure(f"layouts differ on a line that is no label: {line_a!r}")
        if not wanted:
            raise Failure(f"unexpected indentation: {line_a!r} / {line_b!r}")
    # With CALL and RETURN counted, a routine that waits W units ends in its tail's three lines
    # (four when the tail clears the watchdog).
    last = -(4 + case.watchdog) if case.times_w and case.ticked else -1
    if not closing.fullmatch(a[last]) or not b[last].startswith("\t") \
            or not closing.fullmatch(b[last][1:]):
        raise Failure("texts do not end with the core's return in their layouts")
    labels = sum(1 for line in b if loop_label.fullmatch(line))
    if labels != case.levels:
        raise Failure(f"gputils text has {labels} column-1 loop labels, not {case.levels}")


def run_case(sim: Simulator, index: int, part: Part, case: Case, w: Optional[int],
             expected: int) -> Result:
    result = Result()
    try:
        plan = sim.check_plan(part, case)
        result.counts = "/".join(str(plan[k]) for k in ("outer", "middle", "inner") if plan[k])
        result.words = str(plan["words"])
        gputils = sim.kavrin(part, case, "--syntax", "gputils")
        name = f"case{index:03d}"
        cod, symbols = sim.assemble(name, part, case, gputils, w)
        unit = 2 if part.byte_addresses else 1
        if symbols["SIM_SIZE"] != plan["words"] * unit:
            raise Failure(f"the routine assembles to {symbols['SIM_SIZE'] // unit} words, "
                          f"the plan says {plan['words']}")
        if symbols["SIM_TOP"] > part.program_words * unit:
            raise Failure(f"the program does not fit the {part.name}")
        pc_call, pc_after, result.measured, reset = sim.measure(name, part, cod, expected)
        if case.resets:
            if not reset or pc_after == symbols["SIM_AFTER"]:
                raise Failure("the watchdog did not reset the part")
            result.verdict = "ok (reset)"
            return result
        if reset:
            raise Failure("the watchdog reset the part")
        if (pc_call, pc_after) != (symbols["SIM_CALL"], symbols["SIM_AFTER"]):
            raise Failure(f"gpsim stopped at {pc_call:#x} and {pc_after:#x}, "
                          f"not at the CALL and the instruction after it")
        check_layouts(part, case, plan["routine"], gputils)
        if result.measured != expected:
            raise Failure("wrong cycle count")
    except (Failure, subprocess.TimeoutExpired, KeyError, TypeError, ValueError) as error:
        result.verdict = f"FAIL: {error}"
    return result


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli")
    parser.add_argument("--gpasm", default="gpasm")
    parser.add_argument("--gpsim", default="gpsim")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--watchdog-only", action="store_true",
                        help="run only the table of routines that clear the watchdog")
    options = parser.parse_args()

    runs = WATCHDOG_RUNS if options.watchdog_only else RUNS + WATCHDOG_RUNS
    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="kavrin-sim-") as workdir:
        sim = Simulator(options.cli, options.gpasm, options.gpsim, Path(workdir))
        expected = [expected_cycles(case, w) for _, case, w in runs]
        with ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
            results = list(pool.map(lambda i: run_case(sim, i, *runs[i], expected[i]),
                                    range(len(runs))))

    print(f"{'core':<8} {'part':<7} {'case':<46} {'filler':<6} {'MHz':>6} {'ms':>10} "
          f"{'ticked':>6} {'N':>8} {'W':>3} {'counts':>11} {'pad':>6} {'words':>5} "
          f"{'expected':>8} {'measured':>8}")
    failures = 0
    for (part, case, w), wanted, result in zip(runs, expected, results):
        failures += not result.verdict.startswith("ok")
        shown = "-" if result.measured is None else str(result.measured)
        print(f"{part.core:<8} {part.name:<7} {case.what:<46} {case.filler or 'goto':<6} "
              f"{case.frequency:>6} {case.delay:>10} {'yes' if case.ticked else 'no':>6} "
              f"{case.cycles:>8} {'-' if w is None else w:>3} {result.counts:>11} "
              f"{case.pad:>6} {result.words:>5} {wanted:>8} {shown:>8}  {result.verdict}")
    print(f"{len(runs) - failures} of {len(runs)} cases passed "
          f"in {time.monotonic() - started:.1f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
