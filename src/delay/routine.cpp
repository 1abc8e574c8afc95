#include "routine.h"

#include <algorithm>
#include <iterator>

#include <fmt/format.h>

#include "extended.h"

namespace kavrin
{
namespace
{
// Every form of the text is one row of each of these tables; the writer below reads the rows and
// has no case of its own for any layout or core.

/// The pieces in which the layouts differ.
struct LayoutForm
{
    /// Indent of a loop label at depth 1, 2 and 3: like the instructions before it in the classic
    /// layout, none for gpasm, which takes only column-1 labels.
    std::string_view labelIndent[3];
    std::string_view returnIndent;
    /// Every file-register operand names its destination (and on PIC18 its access bit), so that
    /// gpasm has no default to note.
    bool explicitOperands;
    /// A relocatable module: the label exported, the counters declared, sections, END.
    bool module;
};

constexpr LayoutForm Layouts[] = {
    /* Classic */ {{"\t", "\t\t", "\t\t\t"}, "", false, false},
    /* Gputils */ {{"", "", ""}, "\t", true, false},
    /* Module */ {{"", "", ""}, "\t", true, true},
};

/// The pieces in which the cores differ.
struct CoreForm
{
    std::string_view jump;      ///< the loop jump back, two cycles and one word
    std::string_view twoCycles; ///< one word that does nothing for two cycles
    std::string_view ret;       ///< the closing return, two cycles
    std::string_view access;    ///< the operand that names the access bank, if the core has one
    /// A module's data section, where the counters go.
    std::string_view dataSection;
    /// Parts of the core may have more than one page of program memory, so a CALL from another
    /// page needs PAGESEL.
    bool pages;
    /// A CALL reaches only the first 256 words of a page (it clears bit 8 of the address), so on a
    /// larger part the module's code must be linked there.
    bool halfPageCalls;
};

constexpr CoreForm Cores[] = {
    // Baseline: a plain data section, since the core has no bank that all its parts share
    // (most of its parts have one bank of RAM).
    /* Baseline */ {"GOTO", "goto\t$+1", "RETLW\t0", "", "UDATA", true, true},
    // Midrange and enhanced midrange: the 16 bytes every bank shares.
    /* Midrange */ {"GOTO", "goto\t$+1", "RETURN", "", "UDATA_SHR", true, false},
    // PIC18 addresses count bytes: $+2 is the next word. The counters are in access RAM. CALL
    // reaches the whole program memory.
    /* Pic18 */ {"BRA", "bra\t$+2", "RETURN", ",0", "UDATA_ACS", false, false},
};

const LayoutForm& LayoutOf(RoutineSyntax syntax)
{
    return Layouts[static_cast<int>(syntax)];
}
const CoreForm& CoreOf(PicCore core)
{
    return Cores[static_cast<int>(core)];
}

/// What follows a file register in the texts below: {mw} after MOVWF, {df} after DECFSZ, {df3}
/// after the DECFSZ of the three-level block's outermost counter, which the classic layout writes
/// without ",1" (the assembler's default destination is the file register).
struct Operands
{
    std::string mw;
    std::string df;
    std::string df3;
};

Operands OperandsOf(const LayoutForm& layout, const CoreForm& core)
{
    Operands operands;
    operands.mw = layout.explicitOperands ? std::string(core.access) : std::string();
    operands.df = ",1" + operands.mw;
    operands.df3 = layout.explicitOperands ? operands.df : std::string();
    return operands;
}

/// How the header gives the reached delay in each unit, in the order of DelayUnit: the unit's
/// ASCII name (assembler sources are often read as ASCII) and the decimals that show the same
/// 10 ns as the milliseconds' five.
struct UnitForm
{
    std::string_view name;
    int decimals;
};

constexpr UnitForm Units[] = {
    /* Microseconds */ {"us", 5},
    /* Milliseconds */ {"ms", 5},
    /* Seconds */ {"s", 8},
    /* Cycles */ {"cycles", 0},
};

const UnitForm& UnitOf(DelayUnit unit)
{
    return Units[static_cast<int>(unit)];
}

constexpr std::string_view NopFiller = "\tnop\n";      // one cycle
constexpr std::string_view ClearFiller = "\tCLRWDT\n"; // one cycle, clears the watchdog

/// {cN}: the CLRWDT that starts each pass of an innermost countdown in a routine that clears
/// the watchdog, indented by N tabs like the DECFSZ after it; nothing otherwise.
std::string_view PassClear(bool clears, int tabs)
{
    constexpr std::string_view Indented = "\t\t\t\tCLRWDT\n";
    return clears ? Indented.substr(static_cast<std::size_t>(4 - tabs)) : std::string_view();
}

// The loop blocks, after the routine's label.
constexpr std::string_view TwoLevelBlock = "\tMOVLW\tD'{outer}'\n"
                                           "\tMOVWF\t{counter}2{mw}\n"
                                           "{l1}{label}_LOOP1\n"
                                           "\t\tMOVLW\tD'{inner}'\n"
                                           "\t\tMOVWF\t{counter}1{mw}\n"
                                           "{l2}{label}_LOOP2\n"
                                           "{c3}"
                                           "\t\t\tDECFSZ\t{counter}1{df}\n"
                                           "\t\t{jump}\t{label}_LOOP2\n"
                                           "\tDECFSZ\t{counter}2{df}\n"
                                           "\t{jump}\t{label}_LOOP1\n";

constexpr std::string_view ThreeLevelBlock = "\tMOVLW\tD'{outer}'\n"
                                             "\tMOVWF\t{counter}3{mw}\n"
                                             "{l1}{label}_LOOP1\n"
                                             "\t\tMOVLW\tD'{middle}'\n"
                                             "\t\tMOVWF\t{counter}2{mw}\n"
                                             "{l2}{label}_LOOP2\n"
                                             "\t\t\tMOVLW\tD'{inner}'\n"
                                             "\t\t\tMOVWF\t{counter}1{mw}\n"
                                             "{l3}{label}_LOOP3\n"
                                             "{c4}"
                                             "\t\t\t\tDECFSZ\t{counter}1{df}\n"
                                             "\t\t\t{jump}\t{label}_LOOP3\n"
                                             "\t\tDECFSZ\t{counter}2{df}\n"
                                             "\t\t{jump}\t{label}_LOOP2\n"
                                             "\tDECFSZ\t{counter}3{df3}\n"
                                             "\t{jump}\t{label}_LOOP1\n";

// The filler's loops, laid out like the loop block. {a} and {b} number their labels
// ("WAIT_PAD1", ...), which never meet the loop block's "_LOOP" labels.
struct FillerLoop
{
    std::string_view text;
    int labels;
};

// Counter 2 loaded, counter 1 counting 256 passes from zero on each of its passes.
constexpr FillerLoop NestedLoop{"\tMOVLW\tD'{count}'\n"
                                "\tMOVWF\t{counter}2{mw}\n"
                                "{l1}{label}_PAD{a}\n"
                                "{l2}{label}_PAD{b}\n"
                                "{c3}"
                                "\t\t\tDECFSZ\t{counter}1{df}\n"
                                "\t\t{jump}\t{label}_PAD{b}\n"
                                "\tDECFSZ\t{counter}2{df}\n"
                                "\t{jump}\t{label}_PAD{a}\n",
                                2};

// Counter 1 counting 256 passes from zero.
constexpr FillerLoop FreeLoop{"{l1}{label}_PAD{a}\n"
                              "{c2}"
                              "\t\tDECFSZ\t{counter}1{df}\n"
                              "\t{jump}\t{label}_PAD{a}\n",
                              1};

constexpr FillerLoop CountedLoop{"\tMOVLW\tD'{count}'\n"
                                 "\tMOVWF\t{counter}1{mw}\n"
                                 "{l1}{label}_PAD{a}\n"
                                 "{c2}"
                                 "\t\tDECFSZ\t{counter}1{df}\n"
                                 "\t{jump}\t{label}_PAD{a}\n",
                                 1};

// The unit loop of a routine that waits W units: the count from W, one body per unit.
constexpr std::string_view UnitLoopHead = "\tMOVWF\t{units}{mw}\n"
                                          "{l1}{label}_UNIT\n";
constexpr std::string_view UnitLoopEnd = "\tDECFSZ\t{units}{df}\n"
                                         "\t{jump}\t{label}_UNIT\n";
// With CALL and RETURN counted, every unit but the last leaves the loop for the tail below.
constexpr std::string_view UnitLoopEndToTail = "\tDECFSZ\t{units}{df}\n"
                                               "\t{jump}\t{label}_NEXT\n";
// In a routine that clears the watchdog the tail's two cycles clear it too.
constexpr std::string_view ClearingTwoCycles = "CLRWDT\n\tnop";
constexpr std::string_view UnitTail = "\n"
                                      "{l1}{label}_NEXT\n"
                                      "\t{two}\n"
                                      "\t{jump}\t{label}_UNIT";

// A module's text around the routine. Its counters are not GLOBAL, so the names stay the module's
// own and two modules with the same counter names link into one program; the sections are named
// after the label, which the program's modules must not share anyway.
constexpr std::string_view ModuleCallHead = "; A module for gplink, for every part of its core: "
                                            "gpasm -c -p PART FILE.asm\n";
// gplink's own scripts may put the code past the first 256 words of a page, and nothing reports
// it; a script that assigns the section to those words makes gplink place it there, or stop with
// an error where they have no room.
constexpr std::string_view ModuleCallHeadHalfPage =
    "; A module for gplink: gpasm -c -p PART FILE.asm. A CALL reaches only the first\n"
    "; 256 words of a page: on a larger part, link it with this script (gplink -s):\n"
    ";\tINCLUDE\tPART_g.lkr\n"
    ";\tCODEPAGE\tNAME=calls START=0x0 END=0xFF\n"
    ";\tSECTION\tNAME={label}_CODE ROM=calls\n";
constexpr std::string_view ModuleCallPaged =
    "; A program calls it so (PAGESEL where the part has more than one page of program memory):\n"
    ";\tEXTERN\t{label}\n"
    ";\tPAGESEL\t{label}\n";
constexpr std::string_view ModuleCallFlat = "; A program calls it so:\n"
                                            ";\tEXTERN\t{label}\n";
constexpr std::string_view ModuleLoadUnits = ";\tMOVLW\tunits\n";
constexpr std::string_view ModuleCall = ";\tCALL\t{label}\n";
constexpr std::string_view ModulePageBack = ";\tPAGESEL\t$\n";
constexpr std::string_view ModuleGlobal = "\tGLOBAL\t{label}\n"
                                          "\n"
                                          "{label}_DATA\t{section}\n";
constexpr std::string_view ModuleCounter = "{counter}\tRES\t1\n";
constexpr std::string_view ModuleCode = "\n"
                                        "{label}_CODE\tCODE\n";
constexpr std::string_view ModuleEnd = "\n"
                                       "\n"
                                       "\tEND";

struct Writer
{
    std::string& out;
    std::string_view label;
    std::string_view counter;
    const LayoutForm& layout;
    const CoreForm& core;
    const Operands operands;
    const bool clears; // the routine clears the watchdog
    int padLabels = 0; // filler loop labels written so far

    /// The header comment, without the empty line after it; with W units, a line says so, and in
    /// a routine that clears the watchdog, a line gives its longest run between two clears. A
    /// count of cycles is followed by the time it takes in milliseconds.
    void Header(const DelayPlan& plan, double delay, const RoutineFormat& format)
    {
        const UnitForm& unit = UnitOf(format.unit);
        const double error = ErrorPercent(plan, delay);
        // fmt never uses the locale's decimal separator, so the point stays "." everywhere.
        if (format.unit == DelayUnit::Cycles)
            fmt::format_to(std::back_inserter(out),
                           "; Approximated delay: {} [{}] ({:.5f} [ms]), Error: {:.5f}% \n",
                           plan.CycleCount, unit.name, plan.ApproxDelayMs, error);
        else
            fmt::format_to(std::back_inserter(out),
                           "; Approximated delay: {:.{}f} [{}], Error: {:.5f}% \n",
                           plan.ApproxDelay, unit.decimals, unit.name, error);
        if (format.timesW)
            out += plan.CallReturnCounted
                       ? "; Waits W times that (W = 0: 256 times), CALL and RETURN included\n"
                       : "; Waits W times that (W = 0: 256 times), plus 4 cycles for CALL and "
                         "RETURN\n";
        if (clears)
            WatchdogLine(plan, format);
    }

    /// The header's line with the longest run between two clears, in cycles and in time: in µs
    /// for a delay in µs or ms, in seconds for one in seconds, and in milliseconds, the time the
    /// header gives a count of cycles, for one in cycles.
    void WatchdogLine(const DelayPlan& plan, const RoutineFormat& format)
    {
        const std::int64_t bound = WatchdogBound(plan, format);
        // The cycle's length from the reached delay, so the time follows the delay line.
        const long double ms =
            static_cast<long double>(plan.ApproxDelayMs) * bound / plan.CycleCount;
        UnitForm shown = UnitOf(DelayUnit::Microseconds);
        long double time = ms * 1000;
        if (format.unit == DelayUnit::Seconds)
        {
            shown = UnitOf(DelayUnit::Seconds);
            time = ms / 1000;
        }
        else if (format.unit == DelayUnit::Cycles)
        {
            shown = UnitOf(DelayUnit::Milliseconds);
            time = ms;
        }
        fmt::format_to(std::back_inserter(out),
                       "; Clears the watchdog at least every {} cycles ({:.{}f} [{}])\n", bound,
                       static_cast<double>(time), shown.decimals, shown.name);
    }

    /// A module's comment on how a program calls it, after the header's first lines.
    void ModuleCallComment(bool timesW)
    {
        if (core.halfPageCalls)
            ModulePiece(ModuleCallHeadHalfPage);
        else
            out += ModuleCallHead;
        ModulePiece(core.pages ? ModuleCallPaged : ModuleCallFlat);
        if (timesW)
            out += ModuleLoadUnits;
        ModulePiece(ModuleCall);
        if (core.pages)
            out += ModulePageBack;
        out += '\n';
    }

    /// The label exported, the counters declared and the code section opened.
    void ModuleSections(const std::vector<std::string>& counters)
    {
        ModulePiece(ModuleGlobal);
        for (const std::string& name : counters)
            fmt::format_to(std::back_inserter(out), fmt::runtime(ModuleCounter),
                           fmt::arg("counter", name));
        ModulePiece(ModuleCode);
    }

    void ModulePiece(std::string_view text)
    {
        fmt::format_to(std::back_inserter(out), fmt::runtime(text), fmt::arg("label", label),
                       fmt::arg("section", core.dataSection));
    }

    void Label()
    {
        out += label;
        out += '\n';
    }

    /// One of the unit loop's texts.
    void Unit(std::string_view text)
    {
        fmt::format_to(std::back_inserter(out), fmt::runtime(text), fmt::arg("label", label),
                       fmt::arg("units", UnitsCounterName(counter)), fmt::arg("mw", operands.mw),
                       fmt::arg("df", operands.df), fmt::arg("jump", core.jump),
                       fmt::arg("two", clears ? ClearingTwoCycles : core.twoCycles),
                       fmt::arg("l1", layout.labelIndent[0]));
    }

    void LoopBlock(const DelayPlan& plan)
    {
        fmt::format_to(std::back_inserter(out),
                       fmt::runtime(plan.Levels == 3 ? ThreeLevelBlock : TwoLevelBlock),
                       fmt::arg("label", label), fmt::arg("counter", counter),
                       fmt::arg("outer", plan.OuterCount), fmt::arg("middle", plan.MiddleCount),
                       fmt::arg("inner", plan.InnerCount), fmt::arg("jump", core.jump),
                       fmt::arg("mw", operands.mw), fmt::arg("df", operands.df),
                       fmt::arg("df3", operands.df3), fmt::arg("l1", layout.labelIndent[0]),
                       fmt::arg("l2", layout.labelIndent[1]), fmt::arg("l3", layout.labelIndent[2]),
                       fmt::arg("c3", PassClear(clears, 3)), fmt::arg("c4", PassClear(clears, 4)));
    }

    void Loop(const FillerLoop& loop, int count = 0)
    {
        fmt::format_to(std::back_inserter(out), fmt::runtime(loop.text), fmt::arg("label", label),
                       fmt::arg("counter", counter), fmt::arg("count", count),
                       fmt::arg("jump", core.jump), fmt::arg("mw", operands.mw),
                       fmt::arg("df", operands.df), fmt::arg("l1", layout.labelIndent[0]),
                       fmt::arg("l2", layout.labelIndent[1]), fmt::arg("a", padLabels + 1),
                       fmt::arg("b", padLabels + 2), fmt::arg("c2", PassClear(clears, 2)),
                       fmt::arg("c3", PassClear(clears, 3)));
        padLabels += loop.labels;
    }

    void Filler(const FillerPlan& filler)
    {
        if (filler.nestedCount > 0)
            Loop(NestedLoop, filler.nestedCount);
        for (int i = 0; i < filler.freeLoops; ++i)
            Loop(FreeLoop);
        if (filler.countedLoop > 0)
            Loop(CountedLoop, filler.countedLoop);
        const std::string twoCycles = fmt::format("\t{}\n", core.twoCycles);
        out.reserve(out.size() + static_cast<std::size_t>(filler.twoCycles) * twoCycles.size() +
                    64);
        if (filler.clearsWatchdog)
        {
            // The jumps in groups, a CLRWDT after each.
            for (std::int32_t clear = 0; clear < filler.clears; ++clear)
            {
                for (std::int32_t i = 0; i < filler.JumpsBeforeClear(clear); ++i)
                    out += twoCycles;
                out += ClearFiller;
            }
            return;
        }
        for (std::int32_t i = 0; i < filler.twoCycles; ++i)
            out += twoCycles;
        if (filler.oneCycle)
            out += NopFiller;
    }

    void Return()
    {
        out += layout.returnIndent;
        out += core.ret;
    }
};

// The watchdog's view of the routine: each piece of the text as a span of cycles, and where in it
// the watchdog is cleared. The pieces mirror the texts above, instruction by instruction.
struct Span
{
    std::int64_t length = 0;
    bool clears = false;      ///< at least one CLRWDT
    std::int64_t lead = 0;    ///< from the start to the end of the first CLRWDT
    std::int64_t longest = 0; ///< between the ends of two CLRWDTs in the span
    std::int64_t trail = 0;   ///< from the end of the last CLRWDT to the end
};

Span Cycles(std::int64_t cycles)
{
    return {cycles, false, 0, 0, 0};
}

const Span Clear{1, true, 1, 0, 0};

/// `a`, then `b`.
Span Then(const Span& a, const Span& b)
{
    const std::int64_t length = a.length + b.length;
    if (!a.clears && !b.clears)
        return Cycles(length);
    if (!a.clears)
        return {length, true, a.length + b.lead, b.longest, b.trail};
    if (!b.clears)
        return {length, true, a.lead, a.longest, a.trail + b.length};
    return {length, true, a.lead, std::max({a.longest, b.longest, a.trail + b.lead}), b.trail};
}

/// `span` `times` times in a row (1 or more): one join of two shows every run between clears.
Span Repeat(const Span& span, std::int64_t times)
{
    if (times == 1)
        return span;
    Span twice = Then(span, span);
    twice.length = span.length * times;
    return twice;
}

/// A countdown of `passes` passes around `body`: each but the last ends in the DECFSZ and the
/// jump back (3 cycles), the last in the DECFSZ that skips the jump (2).
Span Countdown(const Span& body, std::int64_t passes)
{
    const Span last = Then(body, Cycles(2));
    return passes == 1 ? last : Then(Repeat(Then(body, Cycles(3)), passes - 1), last);
}

constexpr std::int64_t LoadCycles = 2;   // MOVLW and MOVWF of a count
constexpr std::int64_t FullPasses = 256; // a countdown from zero

Span LoopBlockSpan(const DelayPlan& plan)
{
    const Span pass = plan.ClearsWatchdog ? Clear : Cycles(0);
    if (plan.Levels == 0)
        return Cycles(0);
    Span inner = Countdown(pass, plan.InnerCount);
    if (plan.Levels == 3)
        inner = Countdown(Then(Cycles(LoadCycles), inner), plan.MiddleCount);
    return Then(Cycles(LoadCycles), Countdown(Then(Cycles(LoadCycles), inner), plan.OuterCount));
}

Span FillerSpan(const FillerPlan& filler)
{
    const Span pass = filler.clearsWatchdog ? Clear : Cycles(0);
    const Span free = Countdown(pass, FullPasses);
    Span span = Cycles(0);
    if (filler.nestedCount > 0)
        span = Then(Cycles(LoadCycles), Countdown(free, filler.nestedCount));
    for (int i = 0; i < filler.freeLoops; ++i)
        span = Then(span, free);
    if (filler.countedLoop > 0)
        span = Then(span, Then(Cycles(LoadCycles), Countdown(pass, filler.countedLoop)));
    if (filler.clearsWatchdog)
    {
        for (std::int32_t clear = 0; clear < filler.clears; ++clear)
            span = Then(span, Then(Cycles(2 * filler.JumpsBeforeClear(clear)), Clear));
        return span;
    }
    return Then(span, Cycles(2 * filler.twoCycles + (filler.oneCycle ? 1 : 0)));
}
} // namespace

std::string_view RoutineFileExtension(const RoutineFormat& format)
{
    return LayoutOf(format.syntax).module ? ".asm" : ".inc";
}

std::vector<std::string> RoutineCounters(const DelayPlan& plan, std::string_view counter,
                                         const RoutineFormat& format)
{
    // The filler's loops count down counter 1, and counter 2 around it, even with no loop block
    // (a routine that clears the watchdog and has no loop block for the smallest targets).
    const FillerPlan filler = PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog);
    const int fillerLevels =
        filler.nestedCount > 0 ? 2 : (filler.freeLoops > 0 || filler.countedLoop > 0 ? 1 : 0);
    std::vector<std::string> names;
    for (int level = 1; level <= std::max(plan.Levels, fillerLevels); ++level)
        names.push_back(std::string(counter) + static_cast<char>('0' + level));
    if (format.timesW)
        names.push_back(UnitsCounterName(counter));
    return names;
}

double ErrorPercent(const DelayPlan& plan, double delay)
{
    return detail::ComputeErrorPercent<detail::Extended>(delay, plan.ApproxDelay);
}

std::string UnitsCounterName(std::string_view counter)
{
    return std::string(counter) + "W";
}

std::string WriteDelayRoutine(const DelayPlan& plan, double delay, std::string_view label,
                              std::string_view counter, const RoutineFormat& format)
{
    std::string out;
    out.reserve(512 + 16 * (label.size() + counter.size()));
    const LayoutForm& layout = LayoutOf(format.syntax);
    const CoreForm& core = CoreOf(format.core);
    Writer writer{out, label, counter, layout, core, OperandsOf(layout, core), plan.ClearsWatchdog};
    writer.Header(plan, delay, format);
    if (layout.module)
    {
        writer.ModuleCallComment(format.timesW);
        writer.ModuleSections(RoutineCounters(plan, counter, format));
    }
    else
        out += '\n';
    writer.Label();
    if (format.timesW)
        writer.Unit(UnitLoopHead);
    if (plan.Levels > 0)
        writer.LoopBlock(plan);
    writer.Filler(PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog));
    const bool tail = format.timesW && plan.CallReturnCounted;
    if (format.timesW)
        writer.Unit(tail ? UnitLoopEndToTail : UnitLoopEnd);
    writer.Return();
    if (tail)
        writer.Unit(UnitTail);
    if (layout.module)
        out += ModuleEnd;
    return out;
}

std::int32_t RoutineWords(const DelayPlan& plan, FillerKind filler)
{
    // Each loop level: MOVLW, MOVWF, DECFSZ and the jump back, the innermost's CLRWDT; then the
    // filler and the return.
    const std::int32_t clear = plan.ClearsWatchdog && plan.Levels > 0 ? 1 : 0;
    return 4 * plan.Levels + clear +
           PlanFiller(plan.PadCycles, filler, plan.ClearsWatchdog).Words() + 1;
}

std::int32_t RoutineWords(const DelayPlan& plan, const RoutineFormat& format)
{
    const std::int32_t once = RoutineWords(plan, format.filler);
    if (!format.timesW)
        return once;
    // MOVWF, the units counter's DECFSZ and jump; the tail's two-cycle word (CLRWDT and nop in
    // a routine that clears the watchdog) and jump back.
    const std::int32_t tail = plan.CallReturnCounted ? (plan.ClearsWatchdog ? 3 : 2) : 0;
    return once + 3 + tail;
}

std::int64_t WatchdogBound(const DelayPlan& plan, const RoutineFormat& format)
{
    const Span call = Cycles(2);
    const Span ret = Cycles(2);
    const Span body =
        Then(LoopBlockSpan(plan),
             FillerSpan(PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog)));
    Span whole;
    if (!format.timesW)
        whole = Then(Then(call, body), ret);
    else
    {
        // Two units show every run between clears that any W has: the entry (the CALL and the
        // MOVWF) before the first, the way from one unit to the next, and the skip and the return
        // after the last.
        const Span entry = Cycles(2 + 1);
        const Span tail = plan.ClearsWatchdog ? Then(Clear, Cycles(1)) : Cycles(2);
        const Span next =
            plan.CallReturnCounted ? Then(Then(Cycles(3), tail), Cycles(2)) : Cycles(3);
        const Span last = Then(Cycles(2), ret);
        whole = Then(Then(Then(entry, Then(body, next)), body), last);
    }
    if (!whole.clears)
        return whole.length;
    return std::max({whole.lead, whole.longest, whole.trail});
}
} // namespace kavrin
