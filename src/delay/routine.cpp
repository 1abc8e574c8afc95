#include "routine.h"

#include <algorithm>
#include <iterator>

#include <fmt/format.h>

#include "extended.h"
#include "shape.h"

namespace kavrin
{
namespace
{
// Every form of the text is one row of each of these tables; the writer below reads the rows and
// has no case of its own for any layout or core.

/// A module's text around the routine, for the assembler it is made for. Its counters are not
/// exported, so the names stay the module's own and two modules with the same counter names link
/// into one program; the sections are named after the label, which the program's modules must
/// not share anyway.
struct ModuleForm
{
    /// The file name extension of the module's text.
    std::string_view extension;
    /// The comment's first lines, per core: what the module is for, how it is assembled and,
    /// where the linker needs telling, how it is linked ({label}).
    std::string_view head[3];
    /// The comment's line that makes the label known to the calling module.
    std::string_view import;
    /// The label exported and the data section opened ({section}).
    std::string_view declarations;
    /// One counter reserved.
    std::string_view counter;
    /// The code section opened ({section}), up to the routine's label.
    std::string_view code;
    /// The data section and the code section's kind, per core.
    std::string_view dataSection[3];
    std::string_view codeSection[3];
};

constexpr std::string_view GpasmHead =
    "; A module for gplink, for every part of its core: gpasm -c -p PART FILE.asm\n";
constexpr ModuleForm GpasmModule{
    ".asm",
    // A baseline CALL reaches only the first 256 words of a page; gplink's own scripts may put
    // the code past them, and nothing reports it. A script that assigns the section to those
    // words makes gplink place it there, or stop with an error where they have no room.
    {"; A module for gplink: gpasm -c -p PART FILE.asm. A CALL reaches only the first\n"
     "; 256 words of a page: on a larger part, link it with this script (gplink -s):\n"
     ";\tINCLUDE\tPART_g.lkr\n"
     ";\tCODEPAGE\tNAME=calls START=0x0 END=0xFF\n"
     ";\tSECTION\tNAME={label}_CODE ROM=calls\n",
     GpasmHead, GpasmHead},
    ";\tEXTERN\t{label}\n",
    "\tGLOBAL\t{label}\n"
    "\n"
    "{label}_DATA\t{section}\n",
    "{counter}\tRES\t1\n",
    "\n"
    "{label}_CODE\t{section}\n",
    // Baseline: a plain data section, since the core has no bank that all its parts share
    // (most of its parts have one bank of RAM). Midrange and enhanced midrange: the 16 bytes
    // every bank shares. PIC18: access RAM.
    {"UDATA", "UDATA_SHR", "UDATA_ACS"},
    {"CODE", "CODE", "CODE"},
};

// pic-as reads a module by the rules of Microchip's "MPLAB XC8 PIC Assembler User's Guide":
// <xc.inc> gives the data psects udata_shr (baseline and midrange: memory every bank reaches) and
// udata_acs (PIC18: access RAM), and the macros BANKMASK and PAGEMASK; a psect holding code on
// baseline and midrange says delta=2 (two bytes an address), on PIC18 reloc=2 (word aligned); a
// baseline routine that is called sits in class ENTRY, whose psects start in the first half of a
// page, the only addresses a baseline CALL reaches. GLOBAL both exports and imports a symbol.
constexpr std::string_view PicAsHead =
    "; A module for pic-as (MPLAB X), for every part of its core: pic-as -mcpu=PART -c FILE.S\n";
constexpr ModuleForm PicAsModule{
    ".S",
    {PicAsHead, PicAsHead, PicAsHead},
    ";\tGLOBAL\t{label}\n",
    "#include <xc.inc>\n"
    "\n"
    "\tGLOBAL\t{label}\n"
    "\n"
    "\tPSECT\t{section}\n",
    "{counter}:\tDS\t1\n",
    "\n"
    "\tPSECT\t{label},{section}\n",
    {"udata_shr", "udata_shr", "udata_acs"},
    {"class=ENTRY,delta=2", "class=CODE,delta=2", "class=CODE,reloc=2"},
};

/// What a layout writes before and after an operand of one kind.
struct Wrap
{
    std::string_view before;
    std::string_view after;

    std::string Around(std::string_view operand) const
    {
        std::string text;
        text.reserve(before.size() + operand.size() + after.size());
        text.append(before).append(operand).append(after);
        return text;
    }
};

/// The pieces in which the layouts differ.
struct LayoutForm
{
    /// Indent of a loop label at depth 1, 2 and 3: like the instructions before it in the classic
    /// layout, none for gpasm, which takes only column-1 labels.
    std::string_view labelIndent[3];
    std::string_view returnIndent;
    /// Every file-register operand names its destination (and on PIC18 its access bank), so that
    /// the assembler has no default to note.
    bool explicitOperands;
    /// What follows a label where it is defined (pic-as takes a label only with a colon).
    std::string_view labelEnd;
    /// A number, as a format with one field: MPASM's radix is hexadecimal by default, pic-as's
    /// decimal.
    std::string_view literal;
    /// Around a file register: pic-as keeps a symbol's bank bits, which an instruction's
    /// operand has no room for.
    Wrap fileRegister;
    /// Around a jump's target on a core with pages of program memory: likewise the page bits.
    Wrap pagedTarget;
    /// The destination "file register" and the access bank, as the assembler spells them.
    std::string_view toFile;
    std::string_view accessBank;
    /// A module of its own, or none: a text that a program includes.
    const ModuleForm* module;
};

constexpr LayoutForm Layouts[] = {
    /* Classic */
    {{"\t", "\t\t", "\t\t\t"}, "", false, "", "D'{}'", {}, {}, ",1", ",0", nullptr},
    /* Gputils */ {{"", "", ""}, "\t", true, "", "D'{}'", {}, {}, ",1", ",0", nullptr},
    /* Module */ {{"", "", ""}, "\t", true, "", "D'{}'", {}, {}, ",1", ",0", &GpasmModule},
    /* PicAs */
    {{"", "", ""},
     "\t",
     true,
     ":",
     "{}",
     {"BANKMASK(", ")"},
     {"PAGEMASK(", ")"},
     ",f",
     ",c",
     &PicAsModule},
};

/// The pieces in which the cores differ.
struct CoreForm
{
    std::string_view jump; ///< the loop jump back, two cycles and one word
    /// One word that does nothing for two cycles: a jump to the next instruction.
    std::string_view twoCycles;
    std::string_view nextInstruction;
    std::string_view ret; ///< the closing return, two cycles
    /// The core's file-register instructions name the access bank.
    bool accessBank;
    /// Parts of the core may have more than one page of program memory, so a CALL from another
    /// page needs PAGESEL, and a jump's absolute target carries page bits.
    bool pages;
    int index; ///< in a module form's per-core tables
};

constexpr CoreForm Cores[] = {
    /* Baseline */ {"GOTO", "goto", "$+1", "RETLW\t0", false, true, 0},
    /* Midrange */ {"GOTO", "goto", "$+1", "RETURN", false, true, 1},
    // PIC18 addresses count bytes: $+2 is the next word. The counters are in access RAM. CALL
    // reaches the whole program memory, and BRA is relative.
    /* Pic18 */ {"BRA", "bra", "$+2", "RETURN", true, false, 2},
};

const LayoutForm& LayoutOf(RoutineSyntax syntax)
{
    return Layouts[static_cast<int>(syntax)];
}
const CoreForm& CoreOf(PicCore core)
{
    return Cores[static_cast<int>(core)];
}

/// What the layout writes on the core after a MOVWF's file register (mw), after a DECFSZ's (df)
/// and after that of a DECFSZ the classic layout writes without its destination (df3), and
/// around a jump's target; the two-cycle jump without its indent.
struct Spelling
{
    std::string mw;
    std::string df;
    std::string df3;
    Wrap target;
    std::string twoCycles;
};

Spelling SpellingOf(const LayoutForm& layout, const CoreForm& core)
{
    Spelling spelling;
    spelling.mw =
        layout.explicitOperands && core.accessBank ? std::string(layout.accessBank) : std::string();
    spelling.df = std::string(layout.toFile) + spelling.mw;
    spelling.df3 = layout.explicitOperands ? spelling.df : std::string();
    spelling.target = core.pages ? layout.pagedTarget : Wrap{};
    spelling.twoCycles =
        fmt::format("{}\t{}", core.twoCycles, spelling.target.Around(core.nextInstruction));
    return spelling;
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

// A module's comment on how a program calls it, after the module form's head; and its end.
constexpr std::string_view ModuleCallPaged =
    "; A program calls it so (PAGESEL where the part has more than one page of program memory):\n";
constexpr std::string_view ModuleCallFlat = "; A program calls it so:\n";
constexpr std::string_view ModulePageSelect = ";\tPAGESEL\t{label}\n";
constexpr std::string_view ModuleLoadUnits = ";\tMOVLW\tunits\n";
constexpr std::string_view ModuleCall = ";\tCALL\t{tb}{label}{ta}\n";
constexpr std::string_view ModulePageBack = ";\tPAGESEL\t$\n";
constexpr std::string_view ModuleEnd = "\n"
                                       "\n"
                                       "\tEND";

shape::Counts LoopCounts(const DelayPlan& plan)
{
    return {plan.OuterCount, plan.MiddleCount, plan.InnerCount, 0};
}

/// The filler's pieces in the order they are written: `visit(block, counts, times)` for each,
/// `times` copies of `block` in a row.
template <typename Visit> void ForEachFillerPiece(const FillerPlan& filler, Visit visit)
{
    if (filler.nestedCount > 0)
        visit(shape::NestedLoop, shape::Counts{0, 0, 0, filler.nestedCount}, 1);
    visit(shape::FreeLoop, shape::Counts{}, filler.freeLoops);
    if (filler.countedLoop > 0)
        visit(shape::CountedLoop, shape::Counts{0, 0, 0, filler.countedLoop}, 1);
    if (!filler.clearsWatchdog)
    {
        visit(shape::JumpFiller, shape::Counts{}, filler.twoCycles);
        visit(shape::NopFiller, shape::Counts{}, filler.oneCycle ? 1 : 0);
        return;
    }
    // The jumps in groups, a CLRWDT after each.
    for (std::int32_t clear = 0; clear < filler.clears; ++clear)
    {
        visit(shape::JumpFiller, shape::Counts{}, filler.JumpsBeforeClear(clear));
        visit(shape::ClearFiller, shape::Counts{}, 1);
    }
}

struct Writer
{
    std::string& out;
    std::string_view label;
    std::string_view counter;
    const LayoutForm& layout;
    const CoreForm& core;
    const Spelling spelling;
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
    void ModuleCallComment(const ModuleForm& module, bool timesW)
    {
        Piece(module.head[core.index]);
        out += core.pages ? ModuleCallPaged : ModuleCallFlat;
        Piece(module.import);
        if (core.pages)
            Piece(ModulePageSelect);
        if (timesW)
            out += ModuleLoadUnits;
        Piece(ModuleCall);
        if (core.pages)
            out += ModulePageBack;
        out += '\n';
    }

    /// The label exported, the counters declared and the code section opened.
    void ModuleSections(const ModuleForm& module, const std::vector<std::string>& counters)
    {
        Piece(module.declarations, module.dataSection[core.index]);
        for (const std::string& name : counters)
            fmt::format_to(std::back_inserter(out), fmt::runtime(module.counter),
                           fmt::arg("counter", name));
        Piece(module.code, module.codeSection[core.index]);
    }

    /// A text of the module's frame: {label}, {section} and the call's target {tb}{label}{ta}.
    void Piece(std::string_view text, std::string_view section = {})
    {
        fmt::format_to(std::back_inserter(out), fmt::runtime(text), fmt::arg("label", label),
                       fmt::arg("section", section), fmt::arg("tb", spelling.target.before),
                       fmt::arg("ta", spelling.target.after));
    }

    void Label()
    {
        out += label;
        out += layout.labelEnd;
        out += '\n';
    }

    /// The label of `instruction` (defined or jumped to).
    void LabelName(const shape::Instruction& instruction)
    {
        out.append(label).append(instruction.label);
        if (instruction.pad > 0)
            out += std::to_string(padLabels + instruction.pad);
    }

    /// A register operand in the layout's spelling.
    void Register(char reg)
    {
        out.append(layout.fileRegister.before).append(counter);
        out.push_back(reg);
        out += layout.fileRegister.after;
    }

    /// One line of a block, in the layout's and the core's spelling.
    void Line(const shape::Instruction& instruction, const shape::Counts& counts)
    {
        using shape::Op;
        if (instruction.op == Op::Label)
        {
            out += layout.labelIndent[instruction.depth - 1];
            LabelName(instruction);
            out += layout.labelEnd;
        }
        else if (instruction.op == Op::Return)
            out.append(layout.returnIndent).append(core.ret);
        else
            out.append(static_cast<std::size_t>(instruction.depth), '\t');
        switch (instruction.op)
        {
        case Op::LoadCount:
            out.append("MOVLW\t").append(
                fmt::format(fmt::runtime(layout.literal), counts[instruction.count]));
            break;
        case Op::Store:
            out += "MOVWF\t";
            Register(instruction.reg);
            out += spelling.mw;
            break;
        case Op::Decrement:
            out += "DECFSZ\t";
            Register(instruction.reg);
            out += instruction.defaultDestination ? spelling.df3 : spelling.df;
            break;
        case Op::Jump:
            out.append(core.jump).append("\t").append(spelling.target.before);
            LabelName(instruction);
            out += spelling.target.after;
            break;
        case Op::TwoCycles:
            out += spelling.twoCycles;
            break;
        case Op::Nop:
            out += "nop";
            break;
        case Op::ClearWatchdog:
            out += "CLRWDT";
            break;
        case Op::Label:
        case Op::Return:
            break;
        }
        out += '\n';
    }

    /// `block` `times` times in a row: written once, then copied, unless its labels are
    /// numbered, which each copy takes anew.
    void Block(const shape::Block& block, const shape::Counts& counts = {}, std::int32_t times = 1)
    {
        const std::size_t start = out.size();
        int pads = 0;
        for (std::int32_t i = 0; i < times && (i == 0 || pads > 0); ++i)
        {
            for (const shape::Instruction& instruction : block)
                if (instruction.IsIn(clears))
                {
                    Line(instruction, counts);
                    pads = std::max(pads, instruction.pad);
                }
            padLabels += pads;
        }
        if (pads > 0 || times <= 1)
            return;
        const std::string once = out.substr(start);
        out.reserve(out.size() + once.size() * static_cast<std::size_t>(times - 1) + 64);
        for (std::int32_t i = 1; i < times; ++i)
            out += once;
    }
};

/// The loop block of `plan` and its filler, one unit's body with W units.
shape::Span BodySpan(const DelayPlan& plan, FillerKind kind)
{
    const bool clears = plan.ClearsWatchdog;
    shape::Span span;
    if (plan.Levels > 0)
        span = SpanOf(shape::LoopBlock(plan.Levels), LoopCounts(plan), clears);
    ForEachFillerPiece(
        PlanFiller(plan.PadCycles, kind, clears),
        [&span, clears](const shape::Block& block, const shape::Counts& counts, std::int32_t times)
        { span = Then(span, Repeat(SpanOf(block, counts, clears), times)); });
    return span;
}
} // namespace

std::string_view RoutineFileExtension(const RoutineFormat& format)
{
    const ModuleForm* module = LayoutOf(format.syntax).module;
    return module ? module->extension : ".inc";
}

std::vector<std::string> RoutineCounters(const DelayPlan& plan, std::string_view counter,
                                         const RoutineFormat& format)
{
    // The filler's loops count down the loop block's counters, even with no loop block (a
    // routine that clears the watchdog and has no loop block for the smallest targets).
    const FillerPlan filler = PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog);
    int highest = plan.Levels > 0 ? HighestCounter(shape::LoopBlock(plan.Levels)) : 0;
    ForEachFillerPiece(
        filler, [&highest](const shape::Block& block, const shape::Counts&, std::int32_t times)
        { highest = std::max(highest, times > 0 ? HighestCounter(block) : 0); });
    std::vector<std::string> names;
    for (int level = 1; level <= highest; ++level)
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
    Writer writer{out, label, counter, layout, core, SpellingOf(layout, core), plan.ClearsWatchdog};
    writer.Header(plan, delay, format);
    if (layout.module)
    {
        writer.ModuleCallComment(*layout.module, format.timesW);
        writer.ModuleSections(*layout.module, RoutineCounters(plan, counter, format));
    }
    else
        out += '\n';
    writer.Label();
    if (format.timesW)
        writer.Block(shape::UnitLoopHead);
    if (plan.Levels > 0)
        writer.Block(shape::LoopBlock(plan.Levels), LoopCounts(plan));
    ForEachFillerPiece(PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog),
                       [&writer](const shape::Block& block, const shape::Counts& counts,
                                 std::int32_t times) { writer.Block(block, counts, times); });
    const bool tail = format.timesW && plan.CallReturnCounted;
    if (format.timesW)
        writer.Block(tail ? shape::UnitLoopEndToTail : shape::UnitLoopEnd);
    writer.Block(shape::ReturnBlock);
    if (tail)
        writer.Block(shape::UnitTail);
    out.pop_back(); // the text ends in its last instruction
    if (layout.module)
        out += ModuleEnd;
    return out;
}

std::int32_t RoutineWords(const DelayPlan& plan, FillerKind filler)
{
    const bool clears = plan.ClearsWatchdog;
    const std::int32_t block = plan.Levels > 0 ? Words(shape::LoopBlock(plan.Levels), clears) : 0;
    return block + PlanFiller(plan.PadCycles, filler, clears).Words() +
           Words(shape::ReturnBlock, clears);
}

std::int32_t RoutineWords(const DelayPlan& plan, const RoutineFormat& format)
{
    const std::int32_t once = RoutineWords(plan, format.filler);
    if (!format.timesW)
        return once;
    const bool clears = plan.ClearsWatchdog;
    if (!plan.CallReturnCounted)
        return once + Words(shape::UnitLoopHead, clears) + Words(shape::UnitLoopEnd, clears);
    return once + Words(shape::UnitLoopHead, clears) + Words(shape::UnitLoopEndToTail, clears) +
           Words(shape::UnitTail, clears);
}

std::int64_t WatchdogBound(const DelayPlan& plan, const RoutineFormat& format)
{
    using shape::Then;
    const bool clears = plan.ClearsWatchdog;
    const auto span = [clears](const shape::Block& block) { return SpanOf(block, {}, clears); };
    const shape::Span call = shape::Cycles(CallReturnCycles / 2);
    const shape::Span ret = span(shape::ReturnBlock);
    const shape::Span body = BodySpan(plan, format.filler);
    if (!format.timesW)
        return Then(Then(call, body), ret).LongestRun();
    // Two units show every run between clears that any W has: the entry (the CALL and the MOVWF)
    // before the first, the way from one unit to the next, and the skip and the return after the
    // last.
    const shape::Span entry = Then(call, span(shape::UnitLoopHead));
    const shape::Span next = plan.CallReturnCounted
                                 ? Then(span(shape::UnitLoopEndToTail), span(shape::UnitTail))
                                 : span(shape::UnitLoopEnd);
    const shape::Span last =
        Then(shape::Cycles(shape::TimingOf(shape::Op::Decrement).skipping), ret);
    return Then(Then(Then(entry, Then(body, next)), body), last).LongestRun();
}
} // namespace kavrin
