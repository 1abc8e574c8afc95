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
};

constexpr LayoutForm Layouts[] = {
    /* Classic */ {{"\t", "\t\t", "\t\t\t"}, "", false},
    /* Gputils */ {{"", "", ""}, "\t", true},
};

/// The pieces in which the cores differ.
struct CoreForm
{
    std::string_view jump;      ///< the loop jump back, two cycles and one word
    std::string_view twoCycles; ///< one word that does nothing for two cycles
    std::string_view ret;       ///< the closing return, two cycles
    std::string_view access;    ///< the operand that names the access bank, if the core has one
};

constexpr CoreForm Cores[] = {
    /* Baseline */ {"GOTO", "goto\t$+1", "RETLW\t0", ""},
    /* Midrange */ {"GOTO", "goto\t$+1", "RETURN", ""},
    // PIC18 addresses count bytes: $+2 is the next word. The counters are in access RAM.
    /* Pic18 */ {"BRA", "bra\t$+2", "RETURN", ",0"},
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

    /// The header comment and the empty line after it; with W units, a line says so, and in a
    /// routine that clears the watchdog, a line gives its longest run between two clears.
    void Header(const DelayPlan& plan, double delayMs, const RoutineFormat& format)
    {
        const bool timesW = format.timesW;
        // fmt never uses the locale's decimal separator, so the point stays "." everywhere.
        fmt::format_to(std::back_inserter(out),
                       "; Approximated delay: {:.5f} [ms], Error: {:.5f}% \n", plan.ApproxDelayMs,
                       ErrorPercent(plan, delayMs));
        if (timesW)
            out += plan.CallReturnCounted
                       ? "; Waits W times that (W = 0: 256 times), CALL and RETURN included\n"
                       : "; Waits W times that (W = 0: 256 times), plus 4 cycles for CALL and "
                         "RETURN\n";
        if (clears)
        {
            const std::int64_t bound = WatchdogBound(plan, format);
            // The cycle's length from the reached delay, so the time follows the delay line.
            const long double us =
                static_cast<long double>(plan.ApproxDelayMs) * 1000 * bound / plan.CycleCount;
            fmt::format_to(std::back_inserter(out),
                           "; Clears the watchdog at least every {} cycles ({:.5f} [us])\n", bound,
                           static_cast<double>(us));
        }
        out += '\n';
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

double ErrorPercent(const DelayPlan& plan, double delayMs)
{
    return detail::ComputeErrorPercent<detail::Extended>(delayMs, plan.ApproxDelayMs);
}

std::string UnitsCounterName(std::string_view counter)
{
    return std::string(counter) + "W";
}

std::string WriteDelayRoutine(const DelayPlan& plan, double delayMs, std::string_view label,
                              std::string_view counter, const RoutineFormat& format)
{
    std::string out;
    out.reserve(512 + 16 * (label.size() + counter.size()));
    const LayoutForm& layout = LayoutOf(format.syntax);
    const CoreForm& core = CoreOf(format.core);
    Writer writer{out, label, counter, layout, core, OperandsOf(layout, core), plan.ClearsWatchdog};
    writer.Header(plan, delayMs, format);
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
