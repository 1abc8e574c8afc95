#include "shape.h"

namespace kavrin::shape
{
namespace
{
template <std::size_t N> constexpr Block BlockOf(const Instruction (&instructions)[N])
{
    return {instructions, N};
}

constexpr Instruction Load(int depth, Count count)
{
    return {Op::LoadCount, depth, count};
}
constexpr Instruction Store(int depth, char reg)
{
    return {Op::Store, depth, NoCount, reg};
}
constexpr Instruction Decrement(int depth, char reg, bool defaultDestination = false)
{
    return {Op::Decrement, depth, NoCount, reg, {}, 0, When::Always, defaultDestination};
}
constexpr Instruction Label(int depth, std::string_view name, int pad = 0)
{
    return {Op::Label, depth, NoCount, 0, name, pad};
}
constexpr Instruction Jump(int depth, std::string_view name, int pad = 0)
{
    return {Op::Jump, depth, NoCount, 0, name, pad};
}
/// The CLRWDT that starts each pass of a countdown in a routine that clears the watchdog.
constexpr Instruction PassClear(int depth)
{
    return {Op::ClearWatchdog, depth, NoCount, 0, {}, 0, When::Clearing};
}

// Each loop: its count loaded where it has one, its label, its body one level deeper, the DECFSZ
// of its counter and the jump back. An innermost countdown has its DECFSZ with its body.
constexpr Instruction TwoLevel[] = {
    Load(1, Outer),    Store(1, '2'),      Label(1, "_LOOP1"), Load(2, Inner),
    Store(2, '1'),     Label(2, "_LOOP2"), PassClear(3),       Decrement(3, '1'),
    Jump(2, "_LOOP2"), Decrement(1, '2'),  Jump(1, "_LOOP1"),
};
constexpr Instruction ThreeLevel[] = {
    Load(1, Outer),     Store(1, '3'),      Label(1, "_LOOP1"),      Load(2, Middle),
    Store(2, '2'),      Label(2, "_LOOP2"), Load(3, Inner),          Store(3, '1'),
    Label(3, "_LOOP3"), PassClear(4),       Decrement(4, '1'),       Jump(3, "_LOOP3"),
    Decrement(2, '2'),  Jump(2, "_LOOP2"),  Decrement(1, '3', true), Jump(1, "_LOOP1"),
};
// The filler's loops run on the loop block's counters, which it leaves at zero.
constexpr Instruction Nested[] = {
    Load(1, Filler),   Store(1, '2'),      Label(1, "_PAD", 1), Label(2, "_PAD", 2), PassClear(3),
    Decrement(3, '1'), Jump(2, "_PAD", 2), Decrement(1, '2'),   Jump(1, "_PAD", 1),
};
constexpr Instruction Free[] = {
    Label(1, "_PAD", 1),
    PassClear(2),
    Decrement(2, '1'),
    Jump(1, "_PAD", 1),
};
constexpr Instruction Counted[] = {
    Load(1, Filler), Store(1, '1'),     Label(1, "_PAD", 1),
    PassClear(2),    Decrement(2, '1'), Jump(1, "_PAD", 1),
};
constexpr Instruction Jumps[] = {{Op::TwoCycles}};
constexpr Instruction Nops[] = {{Op::Nop}};
constexpr Instruction Clears[] = {{Op::ClearWatchdog}};
// The units from W; each unit's body; the count down, to the next unit or to the tail, whose two
// cycles clear the watchdog in a routine that clears it.
constexpr Instruction UnitHead[] = {Store(1, 'W'), Label(1, "_UNIT")};
constexpr Instruction UnitEnd[] = {Decrement(1, 'W'), Jump(1, "_UNIT")};
constexpr Instruction UnitEndToTail[] = {Decrement(1, 'W'), Jump(1, "_NEXT")};
constexpr Instruction Tail[] = {
    Label(1, "_NEXT"),
    {Op::TwoCycles, 1, NoCount, 0, {}, 0, When::Plain},
    {Op::ClearWatchdog, 1, NoCount, 0, {}, 0, When::Clearing},
    {Op::Nop, 1, NoCount, 0, {}, 0, When::Clearing},
    Jump(1, "_UNIT"),
};
constexpr Instruction Return[] = {{Op::Return, 0}};

constexpr std::int64_t FullPasses = 256; // a countdown from zero

/// A countdown of `passes` passes around `body`: each but the last ends in the DECFSZ and the
/// jump back, the last in the DECFSZ that skips the jump.
Span Countdown(const Span& body, std::int64_t passes)
{
    const Span last = Then(body, Cycles(TimingOf(Op::Decrement).skipping));
    const Span pass =
        Then(body, Cycles(TimingOf(Op::Decrement).cycles + TimingOf(Op::Jump).cycles));
    return Then(Repeat(pass, passes - 1), last);
}
} // namespace

const Block TwoLevelBlock = BlockOf(TwoLevel), ThreeLevelBlock = BlockOf(ThreeLevel);
const Block NestedLoop = BlockOf(Nested), FreeLoop = BlockOf(Free), CountedLoop = BlockOf(Counted);
const Block JumpFiller = BlockOf(Jumps), NopFiller = BlockOf(Nops), ClearFiller = BlockOf(Clears);
const Block UnitLoopHead = BlockOf(UnitHead), UnitLoopEnd = BlockOf(UnitEnd);
const Block UnitLoopEndToTail = BlockOf(UnitEndToTail), UnitTail = BlockOf(Tail);
const Block ReturnBlock = BlockOf(Return);

const Block& LoopBlock(int levels)
{
    return levels == 3 ? ThreeLevelBlock : TwoLevelBlock;
}

std::vector<DefinedLabel> DefinedLabels()
{
    std::vector<DefinedLabel> labels;
    for (const Block* block : {&TwoLevelBlock, &ThreeLevelBlock, &NestedLoop, &FreeLoop,
                               &CountedLoop, &JumpFiller, &NopFiller, &ClearFiller, &UnitLoopHead,
                               &UnitLoopEnd, &UnitLoopEndToTail, &UnitTail, &ReturnBlock})
        for (const Instruction& instruction : *block)
        {
            const DefinedLabel label{instruction.label, instruction.pad > 0};
            const auto same = [&label](const DefinedLabel& other)
            { return other.suffix == label.suffix && other.numbered == label.numbered; };
            if (instruction.op == Op::Label && std::none_of(labels.begin(), labels.end(), same))
                labels.push_back(label);
        }
    return labels;
}

std::int32_t Words(const Block& block, bool clears)
{
    return static_cast<std::int32_t>(std::count_if(block.begin(), block.end(),
                                                   [clears](const Instruction& instruction) {
                                                       return instruction.op != Op::Label &&
                                                              instruction.IsIn(clears);
                                                   }));
}

int HighestCounter(const Block& block)
{
    int highest = 0;
    for (const Instruction& instruction : block)
        if (instruction.reg >= '1' && instruction.reg <= '3')
            highest = std::max(highest, instruction.reg - '0');
    return highest;
}

Span Cycles(std::int64_t cycles)
{
    return {cycles, false, 0, 0, 0};
}

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

Span Repeat(const Span& span, std::int64_t times)
{
    // One join of two shows every run between clears.
    if (times <= 1)
        return times == 1 ? span : Span{};
    Span twice = Then(span, span);
    twice.length = span.length * times;
    return twice;
}

Span SpanOf(const Block& block, const Counts& counts, bool clears)
{
    // The span before each open label, innermost last; what W and each register were loaded
    // with (nothing: a countdown from zero).
    std::vector<std::pair<const Instruction*, Span>> open;
    std::array<std::int64_t, 128> loaded{};
    std::int64_t w = 0;
    const Instruction* decrement = nullptr; // a DECFSZ whose jump comes next
    Span span;
    for (const Instruction& instruction : block)
    {
        if (!instruction.IsIn(clears))
            continue;
        if (instruction.op == Op::Jump && decrement && !open.empty() &&
            open.back().first->SameLabel(instruction))
        {
            const std::int64_t passes = loaded[static_cast<std::size_t>(decrement->reg)];
            span = Then(open.back().second, Countdown(span, passes ? passes : FullPasses));
            open.pop_back();
            decrement = nullptr;
            continue;
        }
        if (decrement) // a DECFSZ that closes no loop falls through to the next instruction
            span = Then(span, Cycles(TimingOf(Op::Decrement).cycles));
        decrement = nullptr;
        switch (instruction.op)
        {
        case Op::Label:
            open.emplace_back(&instruction, span);
            span = Span{};
            continue;
        case Op::Decrement:
            decrement = &instruction;
            continue;
        case Op::ClearWatchdog:
            span = Then(span, Span{1, true, 1, 0, 0});
            continue;
        case Op::LoadCount:
            w = counts[instruction.count];
            break;
        case Op::Store:
            loaded[static_cast<std::size_t>(instruction.reg)] = w;
            break;
        default:
            break;
        }
        span = Then(span, Cycles(TimingOf(instruction.op).cycles));
    }
    if (decrement)
        span = Then(span, Cycles(TimingOf(Op::Decrement).cycles));
    for (; !open.empty(); open.pop_back()) // labels that no loop closes add nothing
        span = Then(open.back().second, span);
    return span;
}
} // namespace kavrin::shape
