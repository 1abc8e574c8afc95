#include "shape.h"

#include <array>
#include <vector>

namespace kavrin::shape
{
namespace
{
template <std::size_t N> constexpr Block BlockOf(const Instruction (&instructions)[N])
{
    return {instructions, N};
}

// Each loop: the count loaded (MOVLW, MOVWF) where it has one, its label, the loop's body one
// level deeper, the DECFSZ of its counter and the jump back. A countdown around no loop has its
// DECFSZ with the body (the CLRWDT that starts each pass in a routine that clears the watchdog).

constexpr Instruction TwoLevel[] = {
    {Op::LoadCount, 1, Count::Outer},
    {Op::Store, 1, Count::None, Register::Counter2},
    {Op::Label, 1, Count::None, Register::None, Mark::Loop1},
    {Op::LoadCount, 2, Count::Inner},
    {Op::Store, 2, Count::None, Register::Counter1},
    {Op::Label, 2, Count::None, Register::None, Mark::Loop2},
    {Op::ClearWatchdog, 3, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Decrement, 3, Count::None, Register::Counter1},
    {Op::Jump, 2, Count::None, Register::None, Mark::Loop2},
    {Op::Decrement, 1, Count::None, Register::Counter2},
    {Op::Jump, 1, Count::None, Register::None, Mark::Loop1},
};

constexpr Instruction ThreeLevel[] = {
    {Op::LoadCount, 1, Count::Outer},
    {Op::Store, 1, Count::None, Register::Counter3},
    {Op::Label, 1, Count::None, Register::None, Mark::Loop1},
    {Op::LoadCount, 2, Count::Middle},
    {Op::Store, 2, Count::None, Register::Counter2},
    {Op::Label, 2, Count::None, Register::None, Mark::Loop2},
    {Op::LoadCount, 3, Count::Inner},
    {Op::Store, 3, Count::None, Register::Counter1},
    {Op::Label, 3, Count::None, Register::None, Mark::Loop3},
    {Op::ClearWatchdog, 4, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Decrement, 4, Count::None, Register::Counter1},
    {Op::Jump, 3, Count::None, Register::None, Mark::Loop3},
    {Op::Decrement, 2, Count::None, Register::Counter2},
    {Op::Jump, 2, Count::None, Register::None, Mark::Loop2},
    {Op::Decrement, 1, Count::None, Register::Counter3, Mark::None, When::Always, true},
    {Op::Jump, 1, Count::None, Register::None, Mark::Loop1},
};

// The filler's loops run on the loop block's counters, which it leaves at zero.
constexpr Instruction Nested[] = {
    {Op::LoadCount, 1, Count::Filler},
    {Op::Store, 1, Count::None, Register::Counter2},
    {Op::Label, 1, Count::None, Register::None, Mark::PadFirst},
    {Op::Label, 2, Count::None, Register::None, Mark::PadSecond},
    {Op::ClearWatchdog, 3, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Decrement, 3, Count::None, Register::Counter1},
    {Op::Jump, 2, Count::None, Register::None, Mark::PadSecond},
    {Op::Decrement, 1, Count::None, Register::Counter2},
    {Op::Jump, 1, Count::None, Register::None, Mark::PadFirst},
};

constexpr Instruction Free[] = {
    {Op::Label, 1, Count::None, Register::None, Mark::PadFirst},
    {Op::ClearWatchdog, 2, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Decrement, 2, Count::None, Register::Counter1},
    {Op::Jump, 1, Count::None, Register::None, Mark::PadFirst},
};

constexpr Instruction Counted[] = {
    {Op::LoadCount, 1, Count::Filler},
    {Op::Store, 1, Count::None, Register::Counter1},
    {Op::Label, 1, Count::None, Register::None, Mark::PadFirst},
    {Op::ClearWatchdog, 2, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Decrement, 2, Count::None, Register::Counter1},
    {Op::Jump, 1, Count::None, Register::None, Mark::PadFirst},
};

constexpr Instruction Jumps[] = {{Op::TwoCycles}};
constexpr Instruction Nops[] = {{Op::Nop}};
constexpr Instruction Clears[] = {{Op::ClearWatchdog}};

constexpr Instruction UnitHead[] = {
    {Op::Store, 1, Count::None, Register::Units},
    {Op::Label, 1, Count::None, Register::None, Mark::Unit},
};
constexpr Instruction UnitEnd[] = {
    {Op::Decrement, 1, Count::None, Register::Units},
    {Op::Jump, 1, Count::None, Register::None, Mark::Unit},
};
constexpr Instruction UnitEndToTail[] = {
    {Op::Decrement, 1, Count::None, Register::Units},
    {Op::Jump, 1, Count::None, Register::None, Mark::Next},
};
// Two cycles, which clear the watchdog in a routine that clears it, then back to the next unit.
constexpr Instruction Tail[] = {
    {Op::Label, 1, Count::None, Register::None, Mark::Next},
    {Op::TwoCycles, 1, Count::None, Register::None, Mark::None, When::Plain},
    {Op::ClearWatchdog, 1, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Nop, 1, Count::None, Register::None, Mark::None, When::Clearing},
    {Op::Jump, 1, Count::None, Register::None, Mark::Unit},
};
constexpr Instruction Return[] = {{Op::Return, 0}};

constexpr std::int64_t FullPasses = 256; // a countdown from zero

const Span Clear{1, true, 1, 0, 0};

/// A countdown of `passes` passes around `body`: each but the last ends in the DECFSZ and the
/// jump back, the last in the DECFSZ that skips the jump.
Span Countdown(const Span& body, std::int64_t passes)
{
    const Span last = Then(body, Cycles(TimingOf(Op::Decrement).skipping));
    if (passes == 1)
        return last;
    const Span pass =
        Then(body, Cycles(TimingOf(Op::Decrement).cycles + TimingOf(Op::Jump).cycles));
    return Then(Repeat(pass, passes - 1), last);
}
} // namespace

const Block TwoLevelBlock = BlockOf(TwoLevel);
const Block ThreeLevelBlock = BlockOf(ThreeLevel);
const Block NestedLoop = BlockOf(Nested);
const Block FreeLoop = BlockOf(Free);
const Block CountedLoop = BlockOf(Counted);
const Block JumpFiller = BlockOf(Jumps);
const Block NopFiller = BlockOf(Nops);
const Block ClearFiller = BlockOf(Clears);
const Block UnitLoopHead = BlockOf(UnitHead);
const Block UnitLoopEnd = BlockOf(UnitEnd);
const Block UnitLoopEndToTail = BlockOf(UnitEndToTail);
const Block UnitTail = BlockOf(Tail);
const Block ReturnBlock = BlockOf(Return);

const Block& LoopBlock(int levels)
{
    return levels == 3 ? ThreeLevelBlock : TwoLevelBlock;
}

std::int32_t Words(const Block& block, bool clears)
{
    std::int32_t words = 0;
    for (const Instruction& instruction : block)
        if (instruction.op != Op::Label && IsIn(instruction, clears))
            ++words;
    return words;
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
    if (times == 1)
        return span;
    Span twice = Then(span, span);
    twice.length = span.length * times;
    return twice;
}

Span SpanOf(const Block& block, const Counts& counts, bool clears)
{
    // The span before each open label, innermost last; W and each register's count as loaded.
    struct Open
    {
        Mark mark;
        Span before;
    };
    std::vector<Open> open;
    std::array<std::int64_t, 5> loaded{}; // by Register; 0: counts down from zero
    std::int64_t w = 0;
    const Instruction* decrement = nullptr; // a DECFSZ whose jump is next
    Span span;
    for (const Instruction& instruction : block)
    {
        if (!IsIn(instruction, clears))
            continue;
        const std::size_t reg = static_cast<std::size_t>(instruction.reg);
        switch (instruction.op)
        {
        case Op::Label:
            open.push_back({instruction.mark, span});
            span = Cycles(0);
            continue;
        case Op::Decrement:
            decrement = &instruction;
            continue;
        case Op::Jump:
            if (decrement && !open.empty() && open.back().mark == instruction.mark)
            {
                const std::int64_t passes = loaded[static_cast<std::size_t>(decrement->reg)];
                span = Then(open.back().before, Countdown(span, passes ? passes : FullPasses));
                open.pop_back();
                decrement = nullptr;
                continue;
            }
            break;
        case Op::LoadCount:
            w = counts.Of(instruction.count);
            break;
        case Op::Store:
            loaded[reg] = w;
            break;
        case Op::ClearWatchdog:
            span = Then(span, Clear);
            continue;
        case Op::TwoCycles:
        case Op::Nop:
        case Op::Return:
            break;
        }
        if (decrement) // a DECFSZ not closing a loop: it falls through
            span = Then(span, Cycles(TimingOf(Op::Decrement).cycles));
        decrement = nullptr;
        span = Then(span, Cycles(TimingOf(instruction.op).cycles));
    }
    if (decrement)
        span = Then(span, Cycles(TimingOf(Op::Decrement).cycles));
    // Labels left open (a block that jumps elsewhere) add nothing of their own.
    while (!open.empty())
    {
        span = Then(open.back().before, span);
        open.pop_back();
    }
    return span;
}
} // namespace kavrin::shape
