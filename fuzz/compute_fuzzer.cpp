// libFuzzer target for the compute command. The fuzz input is one flag byte (bit 0: CALL and
// RETURN counted) followed by the frequency, delay, label and counter texts, separated by zero
// bytes; missing texts are empty. After one more zero byte, the next byte is the W the routine is
// run with (0 when missing), and the one after it a second flag byte. The flag bytes' other bits,
// bits 1 to 7 of the first and then those of the second, choose the routine's form by walking the
// table of choices (delay/choices.h) in its order: each choice takes as many bits as its largest
// value needs, and their number counted from the choice's default, modulo its number of values,
// is its value; all bits zero are the window's defaults. Every result must be one of the known
// messages or a well-formed routine whose loops and filler take exactly the target cycles, W
// times the unit's with the unit loop; a routine that clears the watchdog never runs longer
// between two CLRWDTs than the bound its header states, at most 16 cycles. In a layout made for
// an assembler, every label, section and counter the text names is an identifier of that
// assembler and none of its reserved words, and no two of them are one name.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "delay/assembler_names.h"
#include "delay/choices.h"
#include "delay/compute.h"
#include "delay/input_rules.h"
#include "delay/messages.h"
#include "support/cycle_counter.h"
#include "support/exhaustive_search.h"

namespace
{
constexpr std::string_view HeaderStart = "; Approximated delay: ";
constexpr int MaxCount = 255;
/// The most instructions of a loop filler that clears the watchdog.
constexpr int LoopFillerWordsClearing = 14;

[[noreturn]] void Fail(const char* what, const std::string& detail = {})
{
    std::fprintf(stderr, "compute_fuzzer: %s %s\n", what, detail.c_str());
    std::abort();
}

void Expect(bool condition, const char* what, const std::string& detail = {})
{
    if (!condition)
        Fail(what, detail);
}

struct FuzzInput
{
    kavrin::ComputeInput input;
    kavrin::RoutineFormat format;
    int w = 0; ///< the W register at the CALL
};

/// The number of bits that hold the values 0 to count - 1.
int BitsFor(int count)
{
    int bits = 0;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

FuzzInput Split(const std::uint8_t* data, std::size_t size)
{
    FuzzInput fuzz;
    if (size == 0)
        return fuzz;
    fuzz.input.countCallReturn = (data[0] & 1) != 0;
    std::array<std::string*, 4> texts{&fuzz.input.frequency, &fuzz.input.delay, &fuzz.input.label,
                                      &fuzz.input.counter};
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (std::string* text : texts)
    {
        const std::size_t end = rest.find('\0');
        *text = std::string(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
    }
    if (!rest.empty())
        fuzz.w = static_cast<unsigned char>(rest[0]);
    const unsigned second = rest.size() > 1 ? static_cast<unsigned char>(rest[1]) : 0;
    unsigned bits = (data[0] >> 1) | (second << 7);
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        const int count = choice.ValueCount();
        const int width = BitsFor(count);
        const int raw = static_cast<int>(bits & ((1u << width) - 1));
        bits >>= width;
        choice.set(fuzz.format, (choice.defaultValue + raw) % count);
    }
    return fuzz;
}

bool IsKnownMessage(const std::string& message)
{
    namespace msg = kavrin::msg;
    for (const char* known :
         {msg::FrequencyNotNumber,   msg::FrequencyNotPositive, msg::DelayNotNumber,
          msg::CyclesNotWhole,       msg::CounterEmpty,         msg::CounterInvalid,
          msg::CounterTooLong,       msg::CounterNotIdentifier, msg::CounterReserved,
          msg::CounterMakesReserved, msg::LabelEmpty,           msg::LabelInvalid,
          msg::LabelTooLong,         msg::LabelNotIdentifier,   msg::LabelTooLongForAssembler,
          msg::LabelReserved,        msg::LabelMakesReserved,   msg::LabelSameAsCounter,
          msg::DelayTooSmall,        msg::DelayTooLarge})
        if (message == known)
            return true;
    return false;
}

std::vector<std::string_view> Lines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (std::size_t start = 0;;)
    {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string_view::npos)
            return lines;
        start = end + 1;
    }
}

bool InRange(int count)
{
    return count >= 1 && count <= MaxCount;
}

/// The first three-level candidate in search order (inner, then middle, then outer) with the
/// smallest non-negative remainder. For one inner and middle count the cost grows with the outer
/// count, so the largest outer count that fits leaves the smallest remainder of that pair and is
/// the only one of the pair that can win. (Trying every outer count too, as the two-level
/// reference does, would take milliseconds per input.)
kavrin::DelayPlan BestThreeLevels(std::int32_t target, std::int64_t innerPass)
{
    kavrin::DelayPlan best;
    best.Levels = 3;
    best.PadCycles = target;
    for (int inner = 1; inner <= MaxCount; ++inner)
        for (int middle = 1; middle <= MaxCount; ++middle)
        {
            const std::int64_t perPass = kavrin::ThreeLevelCost(1, middle, inner, innerPass) - 1;
            const std::int64_t outer = std::min<std::int64_t>(MaxCount, (target - 1) / perPass);
            if (outer < 1)
                continue;
            const std::int64_t r = target - kavrin::ThreeLevelCost(outer, middle, inner, innerPass);
            if (r < best.PadCycles)
            {
                best.OuterCount = static_cast<int>(outer);
                best.MiddleCount = middle;
                best.InnerCount = inner;
                best.PadCycles = static_cast<std::int32_t>(r);
                if (r == 0)
                    return best;
            }
        }
    return best;
}

/// Every two-level candidate in search order, inner count slowest: the first with the smallest
/// remainder.
kavrin::DelayPlan BestTwoLevels(std::int32_t target, std::int64_t innerPass)
{
    kavrin::DelayPlan best;
    best.PadCycles = target;
    for (int inner = 1; inner <= MaxCount; ++inner)
        for (int outer = 1; outer <= MaxCount; ++outer)
        {
            const std::int64_t r = target - kavrin::TwoLevelCost(outer, inner, innerPass);
            if (r >= 0 && r < best.PadCycles)
            {
                best.OuterCount = outer;
                best.InnerCount = inner;
                best.PadCycles = static_cast<std::int32_t>(r);
                if (r == 0)
                    return best;
            }
        }
    return best;
}

void CheckPlan(const kavrin::DelayPlan& plan, bool countCallReturn, bool timesW, bool watchdog)
{
    const std::string counts = std::to_string(plan.OuterCount) + "/" +
                               std::to_string(plan.MiddleCount) + "/" +
                               std::to_string(plan.InnerCount);
    Expect(plan.ClearsWatchdog == watchdog, "plan for the watchdog choice");
    // A routine that clears the watchdog spends a target too short for its loop block in the
    // filler alone.
    if (watchdog && plan.TargetCycles < kavrin::MinWatchdogLoopCycles)
    {
        Expect(plan.Levels == 0 && plan.PadCycles == plan.TargetCycles, "no loop block", counts);
        return;
    }
    Expect(plan.Levels == 2 || plan.Levels == 3, "levels", std::to_string(plan.Levels));
    Expect(InRange(plan.OuterCount) && InRange(plan.InnerCount), "loop count", counts);
    Expect(plan.Levels == 2 || InRange(plan.MiddleCount), "middle count", counts);
    // With W units the plan is one unit's body: the unit loop takes 3 cycles of each unit, and 4
    // more with CALL and RETURN counted.
    const std::int64_t outside =
        timesW ? (countCallReturn ? 7 : 3) : (countCallReturn ? kavrin::CallReturnCycles : 0);
    Expect(plan.CallReturnCounted == countCallReturn, "CALL and RETURN counted");
    Expect(plan.TargetCycles == std::int64_t{plan.CycleCount} - outside, "target",
           std::to_string(plan.TargetCycles));
    Expect(plan.TargetCycles >= kavrin::MinTargetCycles &&
               plan.TargetCycles <= kavrin::MaxTargetCycles,
           "target out of range", std::to_string(plan.TargetCycles));
    Expect((plan.Levels == 2) == (plan.TargetCycles <= kavrin::MaxTwoLevelTarget),
           "levels for target", std::to_string(plan.TargetCycles));
    Expect(plan.PadCycles >= 0, "negative filler", std::to_string(plan.PadCycles));
    Expect(kavrin::LoopCost(plan) + plan.PadCycles == plan.TargetCycles,
           "loop cost + filler != target", counts);

    const std::int64_t pass = watchdog ? kavrin::WatchdogInnerPassCycles : kavrin::InnerPassCycles;
    const kavrin::DelayPlan best =
        plan.Levels == 2 ? (watchdog ? BestTwoLevels(plan.TargetCycles, pass)
                                     : kavrin::reference::ExhaustiveTwoLevels(plan.TargetCycles))
                         : BestThreeLevels(plan.TargetCycles, pass);
    Expect(best.PadCycles == plan.PadCycles && best.OuterCount == plan.OuterCount &&
               best.InnerCount == plan.InnerCount &&
               (plan.Levels == 2 || best.MiddleCount == plan.MiddleCount),
           "not the first best candidate in search order", counts);
}

std::string CountLine(int tabs, int count)
{
    return std::string(tabs, '\t') + "MOVLW\tD'" + std::to_string(count) + "'";
}

/// A name the cycle counter reads as the routine's own: an identifier that is no mnemonic.
bool PlainName(const std::string& name)
{
    if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0])))
        return false;
    for (char c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_')
            return false;
    const std::string upper = kavrin::reference::detail::Upper(name);
    for (const char* mnemonic :
         {"MOVLW", "MOVWF", "DECFSZ", "GOTO", "BRA", "NOP", "CLRWDT", "RETURN", "RETLW"})
        if (upper == mnemonic)
            return false;
    return true;
}

/// Checks `text`, the routine's text in the classic layout or, with `gputils`, in gpasm's.
void CheckText(const std::string& text, const kavrin::DelayRoutine& routine,
               const kavrin::ComputeInput& input, const kavrin::RoutineFormat& format, int w,
               bool gputils)
{
    const kavrin::DelayPlan& plan = routine.plan;
    const bool pic18 = format.core == kavrin::PicCore::Pic18;
    const bool loop = format.filler == kavrin::FillerKind::Loop;
    const bool watchdog = format.watchdog;
    Expect(text.compare(0, HeaderStart.size(), HeaderStart) == 0, "header", text.substr(0, 40));
    const char* const unitNames[] = {"[us]", "[ms]", "[s]", "[cycles]"};
    const std::string unit = unitNames[static_cast<int>(format.unit)];
    Expect(text.find(unit) < text.find('\n'), "header names no unit", unit);
    // With W units counted with CALL and RETURN, the tail follows the return.
    const bool tail = format.timesW && input.countCallReturn;
    const std::string end =
        tail ? std::string(pic18 ? "\tBRA\t" : "\tGOTO\t") + input.label + "_UNIT"
             : std::string(gputils ? "\n\t" : "\n") +
                   (format.core == kavrin::PicCore::Baseline ? "RETLW\t0" : "RETURN");
    Expect(text.size() > end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0,
           "text does not end with the return");

    // Names with line feeds shift the lines; the layout is checked for the others.
    if (input.label.find('\n') != std::string::npos ||
        input.counter.find('\n') != std::string::npos)
        return;
    const std::vector<std::string_view> lines = Lines(text);
    // Lines: the header (one more with W units) and an empty line, the label, with W units the
    // MOVWF and the unit label, the loop block, the filler, with W units DECFSZ and the jump,
    // the return, and with the tail its label and two instructions.
    // A routine that clears the watchdog: one more header line, a CLRWDT in the innermost loop,
    // and in the tail a CLRWDT and a nop for the two-cycle jump.
    const std::size_t headerLines = 2 + (format.timesW ? 1 : 0) + (watchdog ? 1 : 0);
    const std::size_t labelLine = headerLines;
    const std::size_t unitLines = format.timesW ? 2 : 0;
    const std::size_t blockClear = watchdog && plan.Levels > 0 ? 1 : 0;
    const std::size_t blockLines = (plan.Levels == 3 ? 15 : plan.Levels == 2 ? 10 : 0) + blockClear;
    const std::size_t tailClear = tail && watchdog ? 1 : 0;
    const std::size_t closingLines = (format.timesW ? 3 : 1) + (tail ? 3 + tailClear : 0);
    const kavrin::FillerPlan filler =
        kavrin::PlanFiller(plan.PadCycles, format.filler, plan.ClearsWatchdog);
    const int unitWords = format.timesW ? (tail ? 5 + static_cast<int>(tailClear) : 3) : 0;
    const int fixedWords = 4 * plan.Levels + static_cast<int>(blockClear) + 1 + unitWords;
    Expect(routine.words == fixedWords + filler.Words(), "words", std::to_string(routine.words));
    if (watchdog)
    {
        const std::int64_t bound = kavrin::WatchdogBound(plan, format);
        Expect(bound >= 1 && bound <= kavrin::MaxWatchdogBound, "watchdog bound",
               std::to_string(bound));
        const std::string line =
            "; Clears the watchdog at least every " + std::to_string(bound) + " cycles (";
        Expect(lines.size() > headerLines &&
                   lines[headerLines - 2].compare(0, line.size(), line) == 0,
               "watchdog header line", std::string(lines[headerLines - 2]));
        // The bound's time in µs, but in seconds for a delay in seconds and in milliseconds,
        // the header's time, for one in cycles.
        const char* const boundUnits[] = {"[us])", "[us])", "[s])", "[ms])"};
        const std::string_view boundUnit = boundUnits[static_cast<int>(format.unit)];
        const std::string_view boundLine = lines[headerLines - 2];
        Expect(boundLine.size() > boundUnit.size() &&
                   boundLine.substr(boundLine.size() - boundUnit.size()) == boundUnit,
               "watchdog bound's unit", std::string(boundLine));
    }
    const std::size_t fixedLines = headerLines + 1 + unitLines + blockLines + closingLines;
    Expect(lines.size() >= fixedLines, "line count", std::to_string(lines.size()));
    Expect(lines[0].size() >= 2 && lines[0].substr(lines[0].size() - 2) == "% ", "header end");
    Expect(!format.timesW || lines[1].compare(0, 16, "; Waits W times ") == 0, "W header line");
    Expect(lines[labelLine - 1].empty() && lines[labelLine] == input.label, "label line");
    const std::size_t firstBlockLine = labelLine + 1 + unitLines;

    std::vector<int> counts{plan.OuterCount, plan.InnerCount};
    if (plan.Levels == 3)
        counts.insert(counts.begin() + 1, plan.MiddleCount);
    for (std::size_t level = 0; plan.Levels > 0 && level < counts.size(); ++level)
        Expect(lines[firstBlockLine + 3 * level] ==
                   CountLine(static_cast<int>(level) + 1, counts[level]),
               "MOVLW count differs from the plan", std::string(lines[firstBlockLine + 3 * level]));

    if (!loop)
    {
        const std::size_t fillerLines = static_cast<std::size_t>(filler.Words());
        Expect(lines.size() == fixedLines + fillerLines, "line count",
               std::to_string(lines.size()));
        const std::size_t firstFiller = firstBlockLine + blockLines;
        // Jumps, a nop for an odd rest; clearing, groups of jumps each followed by a CLRWDT.
        std::int32_t jumpsLeft = filler.twoCycles;
        std::int32_t inGroup = 0;
        for (std::size_t i = 0; i < fillerLines; ++i)
        {
            const bool clear = watchdog && (jumpsLeft == 0 || inGroup == kavrin::MaxJumpsPerClear);
            const bool nop = !watchdog && plan.PadCycles % 2 != 0 && i + 1 == fillerLines;
            Expect(lines[firstFiller + i] == (clear   ? "\tCLRWDT"
                                              : nop   ? "\tnop"
                                              : pic18 ? "\tbra\t$+2"
                                                      : "\tgoto\t$+1"),
                   "filler line", std::string(lines[firstFiller + i]));
            if (clear)
                inGroup = 0;
            else if (!nop)
                --jumpsLeft, ++inGroup;
        }
    }

    // The text run instruction by instruction: loops, filler and return take the target and the
    // return's two cycles; the filler loads counts of 1 to 255 and has at most 12 instructions.
    // With W units, the call takes W x N + 4 cycles (W x N with CALL and RETURN counted), the
    // counter's run two less (it starts after the CALL).
    if (!PlainName(input.label) || !PlainName(input.counter))
        return;
    const kavrin::reference::CycleCount count =
        kavrin::reference::CountCycles(text, format.core, true, {{"W", w}});
    Expect(count.error.empty(), "cycle counter", count.error);
    const std::int64_t units = w == 0 ? 256 : w;
    const std::int64_t expected =
        format.timesW
            ? units * plan.CycleCount + (input.countCallReturn ? 0 : kavrin::CallReturnCycles) - 2
            : std::int64_t{plan.TargetCycles} + 2;
    Expect(count.cycles == expected, "counted cycles differ",
           std::to_string(count.cycles) + " for " + std::to_string(expected) +
               ", W = " + std::to_string(w));
    Expect(count.instructions == routine.words, "instructions != words",
           std::to_string(count.instructions));
    // The CALL's two cycles come before the counted text. With one unit the run from one unit to
    // the next never happens, so the bound (over every W) may be longer than the runs seen.
    const std::int64_t gap = kavrin::reference::LongestUncleared(count, 2);
    const std::int64_t bound = kavrin::WatchdogBound(plan, format);
    if (watchdog)
        Expect(gap <= bound && (gap == bound || (format.timesW && units == 1)),
               "longest run between clears differs from the bound",
               std::to_string(gap) + " for " + std::to_string(bound));
    else
        Expect(count.clears == 0, "a plain routine clears the watchdog");
    for (std::size_t i = static_cast<std::size_t>(plan.Levels); i < count.loaded.size(); ++i)
        Expect(InRange(count.loaded[i]), "filler count", std::to_string(count.loaded[i]));
    if (loop)
        Expect(count.instructions - fixedWords <= (watchdog ? LoopFillerWordsClearing : 12),
               "loop filler too long", std::to_string(count.instructions));
}

/// An identifier of `assembler`, as its manual states it: gpasm (following MPASM) a letter or
/// "_" first, then letters, digits, "_" and "?"; pic-as also "?" first and "$" after it.
bool IsIdentifierOf(kavrin::Assembler assembler, std::string_view name)
{
    const bool picAs = assembler == kavrin::Assembler::PicAs;
    const auto letter = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; };
    if (name.empty() || !(letter(name[0]) || name[0] == '_' || (picAs && name[0] == '?')))
        return false;
    for (char c : name)
        if (!letter(c) && !std::isdigit(static_cast<unsigned char>(c)) && c != '_' && c != '?' &&
            !(picAs && c == '$'))
            return false;
    return true;
}

/// The names a text in an assembler's layout defines and uses, read from its lines: a name in
/// column 1 (a trailing ":" dropped) is a label, a section (before CODE or a data section) or a
/// datum (before RES or DS); the register of a MOVWF or DECFSZ is a counter, the target of a jump
/// and the name after GLOBAL a label, each also inside a macro's parentheses (BANKMASK(CNT1)).
/// Preprocessor lines and the PSECT lines, whose names are the label's or <xc.inc>'s, are passed
/// over.
struct TextNames
{
    std::vector<std::string> labels, sections, data;
    std::set<std::string> counters, jumps, globals;
};

TextNames ReadNames(std::string_view text)
{
    TextNames names;
    for (std::string_view line : Lines(text))
    {
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        std::vector<std::string> words;
        for (std::size_t i = 0; i < line.size();)
        {
            const std::size_t end = line.find_first_of(" \t", i);
            if (end != i)
                words.emplace_back(line.substr(i, end - i));
            if (end == std::string_view::npos)
                break;
            i = end + 1;
        }
        if (words.empty())
            continue;
        if (line[0] != ' ' && line[0] != '\t')
        {
            std::string name = words[0];
            if (!name.empty() && name.back() == ':')
                name.pop_back();
            const std::string next = words.size() > 1 ? words[1] : "";
            if (next == "RES" || next == "DS")
                names.data.push_back(name);
            else if (next == "CODE" || next.compare(0, 5, "UDATA") == 0)
                names.sections.push_back(name);
            else if (next.empty())
                names.labels.push_back(name);
            else
                Fail("a column-1 name before an unknown word", std::string(line));
            continue;
        }
        const std::string op = kavrin::reference::detail::Upper(words[0]);
        std::string operand = words.size() > 1 ? words[1] : std::string();
        const std::size_t open = operand.find('(');
        if (open != std::string::npos)
            operand = operand.substr(open + 1, operand.find(')') - open - 1);
        operand = operand.substr(0, operand.find(','));
        if (op == "MOVWF" || op == "DECFSZ")
            names.counters.insert(operand);
        else if ((op == "GOTO" || op == "BRA") && operand.compare(0, 1, "$") != 0)
            names.jumps.insert(operand);
        else if (op == "GLOBAL")
            names.globals.insert(operand);
    }
    return names;
}

/// In a layout made for an assembler, every name the text has is an identifier of it and none of
/// its reserved words, the labels, data and counters are all different names, and every jump and
/// GLOBAL reaches a label; a module's sections are told apart by gpasm (78 characters).
void CheckNames(const std::string& text, kavrin::Assembler assembler)
{
    const TextNames names = ReadNames(text);
    std::vector<std::string> all(names.labels);
    all.insert(all.end(), names.sections.begin(), names.sections.end());
    all.insert(all.end(), names.data.begin(), names.data.end());
    all.insert(all.end(), names.counters.begin(), names.counters.end());
    for (const std::string& name : all)
        Expect(IsIdentifierOf(assembler, name) && !kavrin::IsReservedWord(assembler, name),
               "a name the assembler cannot take", name);
    std::set<std::string> defined;
    for (const auto* group : {&names.labels, &names.data})
        for (const std::string& name : *group)
            Expect(defined.insert(name).second, "a name defined twice", name);
    const std::set<std::string> labels(names.labels.begin(), names.labels.end());
    for (const std::string& counter : names.counters)
        Expect(labels.count(counter) == 0, "a counter that is a label", counter);
    for (const std::set<std::string>* targets : {&names.jumps, &names.globals})
        for (const std::string& target : *targets)
            Expect(labels.count(target) == 1, "a jump or GLOBAL to no label", target);
    std::set<std::string> sections;
    for (const std::string& section : names.sections)
        Expect(assembler != kavrin::Assembler::Gpasm ||
                   sections.insert(section.substr(0, 78)).second,
               "sections gpasm cannot tell apart", section);
    // A module declares exactly the counters its code uses.
    if (!names.data.empty() || !names.sections.empty())
        Expect(std::set<std::string>(names.data.begin(), names.data.end()) == names.counters,
               "the module's counters differ from those its code uses");
}

/// The gputils text within a module: its header lines, an empty line, and its code section's
/// lines up to the empty lines before END; nothing when it is not laid out so.
std::optional<std::string> GputilsTextOfModule(const std::string& text, const std::string& label)
{
    const std::string code = "\n" + label + "_CODE\tCODE\n";
    const std::string end = "\n\n\tEND";
    const std::size_t module = text.find("\n; A module for gplink");
    const std::size_t body = text.find(code);
    if (module == std::string::npos || body == std::string::npos || text.size() < end.size() ||
        text.compare(text.size() - end.size(), end.size(), end) != 0)
        return std::nullopt;
    const std::size_t start = body + code.size();
    return text.substr(0, module + 1) + "\n" + text.substr(start, text.size() - end.size() - start);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const FuzzInput fuzz = Split(data, size);
    const kavrin::ComputeResult result = kavrin::RunComputeCommand(fuzz.input, fuzz.format);
    if (const auto* error = std::get_if<kavrin::ComputeError>(&result))
    {
        Expect(IsKnownMessage(error->message), "unknown message", error->message);
        return 0;
    }
    const auto& routine = std::get<kavrin::DelayRoutine>(result);
    const bool cycles = fuzz.format.unit == kavrin::DelayUnit::Cycles;
    const bool delayRead = cycles ? kavrin::ParseFieldWholeNumber(fuzz.input.delay).has_value()
                                  : kavrin::ParseFieldNumber(fuzz.input.delay).has_value();
    Expect(kavrin::ParseFieldNumber(fuzz.input.frequency) && delayRead &&
               kavrin::CheckName(fuzz.input.label) == kavrin::NameProblem::Ok &&
               kavrin::CheckName(fuzz.input.counter) == kavrin::NameProblem::Ok,
           "a refused field led to a routine");
    CheckPlan(routine.plan, fuzz.input.countCallReturn, fuzz.format.timesW, fuzz.format.watchdog);
    // In cycles the plan's N is the number typed.
    Expect(!cycles || routine.plan.CycleCount == *kavrin::ParseFieldWholeNumber(fuzz.input.delay),
           "N is not the count typed", std::to_string(routine.plan.CycleCount));
    const kavrin::Assembler assembler = kavrin::AssemblerOf(fuzz.format.syntax);
    if (assembler != kavrin::Assembler::None)
    {
        Expect(IsIdentifierOf(assembler, fuzz.input.label) &&
                   IsIdentifierOf(assembler, fuzz.input.counter) &&
                   !kavrin::IsReservedWord(assembler, fuzz.input.label) &&
                   !kavrin::IsReservedWord(assembler, fuzz.input.counter),
               "a name the assembler cannot take led to a routine");
        CheckNames(routine.text, assembler);
    }
    switch (fuzz.format.syntax)
    {
    case kavrin::RoutineSyntax::Classic:
        CheckText(routine.text, routine, fuzz.input, fuzz.format, fuzz.w, false);
        break;
    case kavrin::RoutineSyntax::Gputils:
        CheckText(routine.text, routine, fuzz.input, fuzz.format, fuzz.w, true);
        break;
    case kavrin::RoutineSyntax::Module:
    {
        const std::optional<std::string> gputils =
            GputilsTextOfModule(routine.text, fuzz.input.label);
        Expect(gputils.has_value(), "not a module around the gputils text",
               routine.text.substr(0, 200));
        CheckText(*gputils, routine, fuzz.input, fuzz.format, fuzz.w, true);
        break;
    }
    default:
        // A layout whose text the checks above do not read: its plan and names are checked.
        break;
    }
    return 0;
}
