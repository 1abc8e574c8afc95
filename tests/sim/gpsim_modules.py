#!/usr/bin/env python3
"""Links two of kavrin-cli's modules (--syntax module) into one program and times both calls.

For each part of gpsim_timing.py, each row makes two modules of different delays that use the
same counter names, assembles them with gpasm -c for the part, and links them with gplink to a
main module that calls both. gpasm must print nothing, and gplink nothing but its note of the
default linker script. gplink's map (-m) gives the sections and the addresses of the main
module's labels: each module's code must be as many words as its plan says, its counters in the
RAM every bank reaches (the shared bank, the access bank; the 10F200's only bank), and gpsim,
stopping at those addresses, must count N + 4 cycles for each call (N with CALL and RETURN
counted; W x N + 4 or W x N for a module that waits W units). Two rows clear the watchdog.
Baseline parts of over 256 words (gpsim has no 16F57) link 0x120 words more with the script the
headers give, which must keep each module's code where a CALL reaches it.

Each row runs again with the pic-as modules (--syntax pic-as), which no assembler here reads:
`from_pic_as` reads each by the rules of Microchip's "MPLAB XC8 PIC Assembler User's Guide" and
writes the gpasm module it stands for (psect -> section, DS -> RES, numbers -> D'..', colons and
the masks dropped), which must be the module's text for the same input, instruction by
instruction; then it is linked and timed like the module. Before the programs, the pic-as texts
of every case of gpsim_timing.py with each filler on each part are read the same way.

Usage: gpsim_modules.py KAVRIN_CLI [--gpasm PATH] [--gplink PATH] [--gpsim PATH] [--jobs N]
"""

import argparse
import dataclasses
import re
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path
from typing import Dict, List, Optional, Tuple

from gpsim_timing import (CORE_CASES, PIC10F200, PIC16F1823, PIC16F628A, PIC18F452,
                          TIMES_W_CASES, WATCHDOG_CASES, Case, Failure, Part, Simulator, expected_cycles,
                          parse_stops, run)


@dataclasses.dataclass(frozen=True)
class Placement:
    # the main module's first instructions: the 10F200 stores its oscillator calibration, and
    # the others select a bank other than the counters', which they must reach all the same
    start: str
    # where the counters must be: RAM that every bank reaches
    ram: Tuple[int, int]


PIC12F508, PIC16F505 = (dataclasses.replace(PIC10F200, name=n.upper(), program_words=w, header=
    PIC10F200.header.replace("10f200", n)) for n, w in (("12f508", 511), ("16f505", 1023)))
PLACEMENTS = {
    PIC10F200.name: Placement("\tmovwf\tOSCCAL", (0x10, 0x1F)),
    PIC12F508.name: Placement("\tmovwf\tOSCCAL", (0x07, 0x1F)),
    PIC16F505.name: Placement("\tmovwf\tOSCCAL", (0x10, 0x1F)),
    PIC16F628A.name: Placement("\tbsf\tSTATUS,RP0", (0x70, 0x7F)),
    PIC16F1823.name: Placement("\tmovlb\t1", (0x70, 0x7F)),
    PIC18F452.name: Placement("\tmovlb\t1", (0x00, 0x7F)),
}

MAIN = """\
{header}
\tEXTERN\t{label_a}, {label_b}

SIM_MAIN\tCODE\t0x000
{start}
{load_a}SIM_CALL1
\tCALL\t{label_a}
SIM_AFTER1
{load_b}
SIM_CALL2
\tCALL\t{label_b}
SIM_AFTER2
\t{jump}\tSIM_AFTER2
{pad}\tend
"""


def named(case: Case, label: str, counter: str = "CNT") -> Case:
    return dataclasses.replace(case, label=label, counter=counter)


# Two modules each: (case, W) for the first and the second call; the counters share their names.
ROWS = [
    ((named(CORE_CASES[1], "WAIT"), None), (named(CORE_CASES[2], "PAUSE"), None)),
    ((named(CORE_CASES[3], "Delay_500ms"), None), (named(CORE_CASES[4], "PAUSE"), None)),
    ((named(TIMES_W_CASES[4], "WAIT"), 3), (named(TIMES_W_CASES[3], "PAUSE"), 0)),
    ((named(TIMES_W_CASES[5], "Delay_ms", "t_"), 255),
     (named(CORE_CASES[7], "Delay_33ms", "t_"), None)),
    # Clearing the watchdog: a unit with no loop block declares the units counter alone.
    ((named(WATCHDOG_CASES[2][0], "WAIT"), None), (named(WATCHDOG_CASES[7][0], "PAUSE"), 2)),
    ((named(WATCHDOG_CASES[5][0], "Delay_3s"), None),
     (named(WATCHDOG_CASES[11][0], "PAUSE"), 255)),
]
RUNS = [(part, row, layout) for layout in ("module", "pic-as")
        for part in (PIC10F200, PIC12F508, PIC16F505, PIC16F628A, PIC16F1823, PIC18F452)
        for row in ROWS]

# Every line a pic-as module may hold and the gpasm line it stands for (None: no line), by the
# rules of the User's Guide: labels end in a colon (3.2 "Labels"); numbers are decimal (4.5.1
# "Numeric Constants"); a file register is masked ("Address Masking") and named with its
# destination and on PIC18 its access bank (4.1.1 "Destination And Access Operands"), a jump's
# absolute target on baseline and midrange with PAGEMASK (4.1.2 "Bank And Page Selection");
# storage is DS in udata_shr (baseline, midrange) or udata_acs (PIC18), which <xc.inc> provides
# (5.2 "Assembler-provided Psects"); code on baseline and midrange says delta=2, on PIC18
# reloc=2 (4.9 "Psect Directive"), and a called baseline routine sits in class ENTRY (5.3.1
# "Program Memory Classes"); GLOBAL exports the label (4.9 "Global Directive").
IDENTIFIER = r"[A-Za-z_?][A-Za-z0-9_?$]*"  # 4.6 "Identifiers"
PIC_AS_CORES = {  # data psect, its gpasm section, the code psect's flags, access operand
    "baseline": ("udata_shr", "UDATA", "class=ENTRY,delta=2", ""),
    "midrange": ("udata_shr", "UDATA_SHR", "class=CODE,delta=2", ""),
    "pic18": ("udata_acs", "UDATA_ACS", "class=CODE,reloc=2", ",c"),
}


def from_pic_as(text: str, core: str, label: str) -> str:
    """The gpasm module a pic-as text stands for, without comments; a line that none of the
    rules takes fails. <xc.inc> must be included, and no quote may stand where the preprocessor
    would read it (3.3 "Include Files"); a PROCESSOR line fails like any other."""
    data, section, flags, access = PIC_AS_CORES[core]
    target = rf"PAGEMASK\(({IDENTIFIER}|\$\+1)\)" if core != "pic18" else rf"({IDENTIFIER}|\$\+2)"
    rules = [(r";.*|#include <xc\.inc>", None), (r"|\tGLOBAL\t\S+|\tEND", r"\g<0>"),
             (rf"\tPSECT\t{data}", rf"{label}_DATA\t{section}"),
             (rf"\tPSECT\t{label},{flags}", rf"{label}_CODE\tCODE"),
             (rf"({IDENTIFIER}):\tDS\t1", r"\1\tRES\t1"), (rf"({IDENTIFIER}):", r"\1"),
             (rf"(\t+MOVWF\t)BANKMASK\(({IDENTIFIER})\){access}", r"\1\2" + ",0" * bool(access)),
             (rf"(\t+DECFSZ\t)BANKMASK\(({IDENTIFIER})\),f{access}",
              r"\1\2,1" + ",0" * bool(access)),
             (r"(\t+MOVLW\t)([1-9][0-9]*)", r"\1D'\2'"), (rf"(\t+(?:GOTO|BRA|goto|bra)\t){target}", r"\1\2"),
             (r"\t+(nop|CLRWDT|RETURN|RETLW\t0)", r"\g<0>")]
    if "\n#include <xc.inc>\n" not in text or re.search("['\"]", text):
        raise Failure(f"pic-as text of {label}: no <xc.inc>, or a quote")
    out = []
    for line in text.split("\n"):
        pattern, gpasm = next(((p, g) for p, g in rules if re.fullmatch(p, line)), ("", "?"))
        if gpasm == "?":
            raise Failure(f"pic-as text of {label}: no rule takes {line!r}")
        if gpasm is not None:
            out.append(re.sub(pattern, gpasm, line))
    return "\n".join(out).strip("\n")


LINKER_NOTE = re.compile(r'message: Using default linker script "[^"]+\.lkr"\.')


@dataclasses.dataclass
class Call:
    words: str = "-"
    data: str = "-"
    measured: Optional[int] = None


def read_map(path: Path) -> Tuple[Dict[str, Tuple[int, int]], Dict[str, List[int]]]:
    """The sections (address, size in bytes) and the symbols (every address of each name) of a
    gplink map."""
    text = path.read_text(encoding="utf-8", errors="replace")
    sections_part = text.split("Section Info", 1)[-1].split("Program Memory Usage", 1)[0]
    sections = {m.group(1): (int(m.group(2), 16), int(m.group(3), 16))
                for m in re.finditer(r"^\s*(\S+)\s+\S+\s+0x([0-9a-fA-F]+)\s+\S+\s+0x([0-9a-fA-F]+)"
                                     r"\s*$", sections_part, re.M)}
    symbols_part = text.split("Symbols - Sorted by Name", 1)[-1].split("Sorted by Address", 1)[0]
    symbols: Dict[str, List[int]] = {}
    for m in re.finditer(r"^\s*(\S+)\s+0x([0-9a-fA-F]+)\s+\S+\s+\S+\s+\S+\s*$", symbols_part,
                         re.M):
        symbols.setdefault(m.group(1), []).append(int(m.group(2), 16))
    return sections, symbols


def check_module(case: Case, module: str, gputils: str) -> None:
    """The module is the gputils text in a code section, after the label's GLOBAL and the
    counters' RES, with END after it and no processor of its own."""
    if re.search(r"^\s*(list|processor)\b", module, re.M | re.I):
        raise Failure(f"{case.label}: the module names a processor")
    code = f"{case.label}_CODE\tCODE\n"
    if f"\n\tGLOBAL\t{case.label}\n" not in module or code not in module \
            or not module.endswith("\n\n\tEND"):
        raise Failure(f"{case.label}: no GLOBAL, code section or END")
    routine = gputils.split("\n\n", 1)[1]
    if module.split(code, 1)[1] != routine + "\n\n\tEND":
        raise Failure(f"{case.label}: the module's code is not the gputils text")


def module_text(sim: Simulator, part: Part, case: Case, layout: str) -> str:
    """The gpasm module of `case`: kavrin-cli's module, or its pic-as text read back, which must
    be the module's own from its GLOBAL on."""
    module = sim.kavrin(part, case, "--syntax", "module")
    if layout == "module":
        return module
    read = from_pic_as(sim.kavrin(part, case, "--syntax", "pic-as"), part.core, case.label)
    if read != "\n".join(line for line in module.split("\n") if line[:1] != ";").strip("\n"):
        raise Failure(f"{case.label}: the pic-as text is not the module's instruction by "
                      "instruction")
    return "; read from pic-as\n" + read


def read_every_pic_as(sim: Simulator) -> List[str]:
    """Every case of gpsim_timing.py with each filler on each part, in pic-as: the failures."""
    cases = CORE_CASES + TIMES_W_CASES + [case for case, _ in WATCHDOG_CASES]
    failures = []
    for part in (PIC10F200, PIC16F628A, PIC18F452):
        for case in cases:
            for filler in ("goto", "loop"):
                try:
                    module_text(sim, part, dataclasses.replace(case, filler=filler), "pic-as")
                except Failure as error:
                    failures.append(f"{part.name} {case.what} {filler}: {error}")
    return failures


def quiet(args, cwd: Path, allowed: Optional[re.Pattern] = None) -> None:
    """Runs an assembler or the linker, which must succeed and print nothing but `allowed`."""
    result = run(args, cwd=cwd, timeout=60)
    output = (result.stdout + result.stderr).strip()
    if result.returncode != 0 or (output and not (allowed and allowed.fullmatch(output))):
        raise Failure(f"{Path(args[0]).name} {' '.join(args[1:])} reported:\n{output}")


class Linker:
    def __init__(self, sim: Simulator, gplink: str):
        self.sim, self.gplink = sim, gplink

    def build(self, folder: Path, part: Part, row, layout: str) -> Tuple[Path, dict, dict, list]:
        """The modules and the main module assembled and linked: the code file, the map's
        sections and symbols, and the two plans."""
        folder.mkdir()
        gpasm = self.sim.gpasm
        plans, lkr = [], {}
        for index, (case, _) in enumerate(row):
            plan = self.sim.check_plan(part, case)
            module = module_text(self.sim, part, case, layout)
            check_module(case, module, self.sim.kavrin(part, case, "--syntax", "gputils"))
            # The gpasm module's header gives the script (pic-as's class ENTRY does its work).
            header = self.sim.kavrin(part, case, "--syntax", "module")
            lkr.update(dict.fromkeys(re.findall(r"^;\t((?:INCLUDE|CODEPAGE|SECTION)\t.+)$",
                                                header.replace("PART", part.name.lower()), re.M)))
            name = f"delay{index + 1}.asm"
            (folder / name).write_text(module + "\n", encoding="utf-8")
            quiet([gpasm, "-c", "-p", part.name.lower(), name], folder)
            plans.append(plan)
        (case_a, w_a), (case_b, w_b) = row
        opts = ["-m"] + ["-s", "calls.lkr"] * (part.core == "baseline" and part.program_words > 256)
        (folder / "calls.lkr").write_text("".join(line + "\n" for line in lkr))
        (folder / "main.asm").write_text(MAIN.format(
            header=part.header, label_a=case_a.label, label_b=case_b.label,
            start=PLACEMENTS[part.name].start,
            pad="SIM_PAD\tCODE\n\tfill\t(nop), 0x120\n" * ("-s" in opts),
            load_a="" if w_a is None else f"\tmovlw\tD'{w_a}'\n",
            # an instruction between the calls, so that the four stops have four addresses
            load_b="\tnop" if w_b is None else f"\tmovlw\tD'{w_b}'",
            jump="bra" if part.byte_addresses else "goto"), encoding="utf-8")
        quiet([gpasm, "-c", "main.asm"], folder)
        quiet([self.gplink, *opts, "-o", "program.hex", "main.o", "delay1.o", "delay2.o"], folder,
              LINKER_NOTE)
        sections, symbols = read_map(folder / "program.map")
        return folder / "program.cod", sections, symbols, plans

    def measure(self, folder: Path, symbols: dict, limit: int) -> List[Tuple[int, int]]:
        """The program counter and the cycle counter at the four stops."""
        stops = ["SIM_CALL1", "SIM_AFTER1", "SIM_CALL2", "SIM_AFTER2"]
        addresses = [symbols[name][0] for name in stops]
        script = "".join(f"break e {address:#x}\n" for address in addresses)
        # The cycle breakpoint ends a routine that never returns instead of running forever.
        script += f"break c {limit}\n" + "run\necho SIM_STOP\npc\ncycles\n" * 4 + "quit\n"
        (folder / "program.stc").write_text(script)
        result = run([self.sim.gpsim, "-i", "-S", "disable", "-c", "program.stc", "program.cod"],
                     cwd=folder, timeout=300)
        found = parse_stops(result.stdout)
        if [pc for pc, _ in found] != addresses:
            raise Failure(f"gpsim stopped at {[hex(pc) for pc, _ in found]}, not at the calls "
                          f"{[hex(a) for a in addresses]}:\n{result.stdout[-1500:]}")
        return found


def check_sections(part: Part, row, sections: dict, plans: list, calls: List[Call]) -> None:
    # The map gives sizes in bytes, and program addresses in bytes on PIC18 only.
    unit = 2 if part.byte_addresses else 1
    low, high = PLACEMENTS[part.name].ram
    taken = set()
    for (case, _), plan, call in zip(row, plans, calls):
        address, size = sections[f"{case.label}_CODE"]
        call.words = str(size // 2)
        if part.core == "baseline" and address % 0x200 >= 0x100:
            raise Failure(f"{case.label} at {address:#x}, which a baseline CALL does not reach")
        if size != plan["words"] * 2:
            raise Failure(f"{case.label} links to {size // 2} words, the plan says "
                          f"{plan['words']}")
        if address + size // 2 * unit > part.program_words * unit:
            raise Failure(f"{case.label} does not fit the {part.name}")
        address, size = sections[f"{case.label}_DATA"]
        call.data = f"{address:#04x}+{size}"
        counters = plan["levels"] + (1 if case.times_w else 0)
        if size != counters or not low <= address <= address + size - 1 <= high:
            raise Failure(f"{case.label}'s {size} counters at {address:#x}, not {counters} "
                          f"in {low:#x}..{high:#x}")
        cells = set(range(address, address + size))
        if cells & taken:
            raise Failure("the two modules' counters overlap")
        taken |= cells


def run_program(linker: Linker, workdir: Path, index: int, part: Part, row,
                layout: str) -> Tuple[List[Call],
                                                                                   str]:
    calls = [Call(), Call()]
    try:
        folder = workdir / f"program{index:02d}"
        _, sections, symbols, plans = linker.build(folder, part, row, layout)
        check_sections(part, row, sections, plans, calls)
        wanted = [expected_cycles(case, w) for case, w in row]
        stops = linker.measure(folder, symbols, sum(wanted) + 1000)
        for call, start, end in zip(calls, stops[0::2], stops[1::2]):
            call.measured = end[1] - start[1]
        if [call.measured for call in calls] != wanted:
            raise Failure("wrong cycle count")
    except (Failure, KeyError, TypeError, ValueError, OSError) as error:
        return calls, f"FAIL: {error}"
    return calls, "ok"


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("cli")
    parser.add_argument("--gpasm", default="gpasm")
    parser.add_argument("--gplink", default="gplink")
    parser.add_argument("--gpsim", default="gpsim")
    parser.add_argument("--jobs", type=int, default=2)
    options = parser.parse_args()

    started = time.monotonic()
    with tempfile.TemporaryDirectory(prefix="kavrin-link-") as workdir:
        sim = Simulator(options.cli, options.gpasm, options.gpsim, Path(workdir))
        linker = Linker(sim, options.gplink)
        unread = read_every_pic_as(sim)
        with ThreadPoolExecutor(max_workers=max(1, options.jobs)) as pool:
            results = list(pool.map(
                lambda i: run_program(linker, Path(workdir), i, *RUNS[i]), range(len(RUNS))))

    print("\n".join(unread) or "every pic-as text read by the User's Guide's rules as its module")
    print(f"{'part':<7} {'layout':<7} {'module':<12} {'filler':<6} {'MHz':>6} {'ms':>8} {'ticked':>6} "
          f"{'N':>8} {'W':>3} {'words':>5} {'counters':>8} {'expected':>9} {'measured':>9}")
    failures = 0
    for (part, row, layout), (calls, verdict) in zip(RUNS, results):
        failures += verdict != "ok"
        for (case, w), call, last in zip(row, calls, (False, True)):
            shown = "-" if call.measured is None else str(call.measured)
            print(f"{part.name:<7} {layout:<7} {case.label:<12} {case.filler or 'goto':<6} "
                  f"{case.frequency:>6} {case.delay:>8} {'yes' if case.ticked else 'no':>6} "
                  f"{case.cycles:>8} {'-' if w is None else w:>3} {call.words:>5} "
                  f"{call.data:>8} {expected_cycles(case, w):>9} {shown:>9}"
                  + (f"  {verdict}" if last else ""))
    print(f"{len(RUNS) - failures} of {len(RUNS)} linked programs passed "
          f"in {time.monotonic() - started:.1f} s")
    return 1 if failures or unread else 0


if __name__ == "__main__":
    sys.exit(main())
