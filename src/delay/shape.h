#pragma once
// The routine's shape: each block of the routine as its instructions, once. The text is written
// from these records, and the word counts, the cycles of the filler's pieces and the watchdog's
// longest run are sums over them, so an instruction added to a block is counted everywhere.

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace kavrin::shape
{
/// What an instruction does. Every instruction is one word on every core.
enum class Op : std::uint8_t
{
    Label,         ///< no instruction: a label for the jumps
    LoadCount,     ///< MOVLW of a count
    Store,         ///< MOVWF to a register
    Decrement,     ///< DECFSZ of a register, back into it
    Jump,          ///< the jump back to a label (GOTO, or BRA on PIC18)
    TwoCycles,     ///< a jump to the next instruction
    Nop,           ///< one cycle
    ClearWatchdog, ///< CLRWDT, one cycle
    Return,        ///< the closing return
};

/// An instruction's cycles; a DECFSZ that skips the next instruction takes `skipping`.
struct Timing
{
    std::int64_t cycles;
    std::int64_t skipping;
};

constexpr Timing TimingOf(Op op)
{
    switch (op)
    {
    case Op::Label:
        return {0, 0};
    case Op::Decrement:
        return {1, 2};
    case Op::Jump:
    case Op::TwoCycles:
    case Op::Return:
        return {2, 2};
    case Op::LoadCount:
    case Op::Store:
    case Op::Nop:
    case Op::ClearWatchdog:
        break;
    }
    return {1, 1};
}

/// The value a MOVLW loads: a count of the plan's loop block, or the filler loop's count.
enum class Count : std::uint8_t
{
    None,
    Outer,
    Middle,
    Inner,
    Filler,
};

/// The register an instruction names: a loop counter (the counter base followed by its
/// number), or the counter of the units left.
enum class Register : std::uint8_t
{
    None,
    Counter1,
    Counter2,
    Counter3,
    Units,
};

/// A label, as the suffix after the routine's label: "_LOOP1" to "_LOOP3"; "_PAD" followed by
/// the filler loop labels' next number (PadFirst) and the one after it (PadSecond); "_UNIT",
/// "_NEXT".
enum class Mark : std::uint8_t
{
    None,
    Loop1,
    Loop2,
    Loop3,
    PadFirst,
    PadSecond,
    Unit,
    Next,
};

/// Routines an instruction belongs to: every one, those that clear the watchdog, or those that
/// do not.
enum class When : std::uint8_t
{
    Always,
    Clearing,
    Plain,
};

/// One instruction of a block, or one of its labels.
struct Instruction
{
    Op op;
    /// Tabs before the mnemonic; for a label, the depth of its loop (1 to 3), which the layout
    /// indents; for the return, none (the layout indents it).
    int depth = 1;
    Count count = Count::None;
    Register reg = Register::None;
    Mark mark = Mark::None;
    When when = When::Always;
    /// The classic layout writes this DECFSZ without its destination (the assembler's default).
    bool defaultDestination = false;
};

/// A block: its instructions in the order they are written.
struct Block
{
    const Instruction* first = nullptr;
    std::size_t count = 0;

    constexpr const Instruction* begin() const { return first; }
    constexpr const Instruction* end() const { return first + count; }
};

/// Whether `instruction` is written in a routine that clears the watchdog (`clears`) or not.
constexpr bool IsIn(const Instruction& instruction, bool clears)
{
    return instruction.when == When::Always || (instruction.when == When::Clearing) == clears;
}

/// The loop block of two and of three levels, after the routine's label.
extern const Block TwoLevelBlock;
extern const Block ThreeLevelBlock;
/// The filler's pieces: a loop of counter 2 around a full 256-pass countdown of counter 1; a
/// full countdown of counter 1 from zero; a countdown of counter 1 from the filler's count; the
/// two-cycle jump, the one-cycle nop and the CLRWDT after a group of jumps.
extern const Block NestedLoop;
extern const Block FreeLoop;
extern const Block CountedLoop;
extern const Block JumpFiller;
extern const Block NopFiller;
extern const Block ClearFiller;
/// The unit loop of a routine that waits W units: the count from W before the body; after it,
/// the countdown of the units, to the next unit or, with CALL and RETURN counted, to the tail
/// after the return that every unit but the last takes.
extern const Block UnitLoopHead;
extern const Block UnitLoopEnd;
extern const Block UnitLoopEndToTail;
extern const Block UnitTail;
extern const Block ReturnBlock;

/// The loop block of a plan of `levels` (2 or 3).
const Block& LoopBlock(int levels);

/// The values the counts of a block take.
struct Counts
{
    int outer = 0;
    int middle = 0;
    int inner = 0;
    int filler = 0;

    constexpr int Of(Count count) const
    {
        switch (count)
        {
        case Count::Outer:
            return outer;
        case Count::Middle:
            return middle;
        case Count::Inner:
            return inner;
        case Count::Filler:
            return filler;
        case Count::None:
            break;
        }
        return 0;
    }
};

/// Instruction words of `block` in a routine that clears the watchdog or not.
std::int32_t Words(const Block& block, bool clears);

/// A run of cycles and where in it the watchdog is cleared.
struct Span
{
    std::int64_t length = 0;
    bool clears = false;      ///< at least one CLRWDT
    std::int64_t lead = 0;    ///< from the start to the end of the first CLRWDT
    std::int64_t longest = 0; ///< between the ends of two CLRWDTs in the span
    std::int64_t trail = 0;   ///< from the end of the last CLRWDT to the end

    /// The longest run from the start, or from the end of a CLRWDT, to the next CLRWDT's end or
    /// the end.
    std::int64_t LongestRun() const { return clears ? std::max({lead, longest, trail}) : length; }
};

/// `cycles` cycles with no CLRWDT.
Span Cycles(std::int64_t cycles);
/// `a`, then `b`.
Span Then(const Span& a, const Span& b);
/// `span` `times` times in a row (1 or more).
Span Repeat(const Span& span, std::int64_t times);

/// The cycles of `block` from its first instruction to the end of its last, every loop in it
/// counted down from the count its MOVLW loads or, with none, from zero (256 passes); a jump
/// that no DECFSZ guards counts its cycles once.
Span SpanOf(const Block& block, const Counts& counts, bool clears);
} // namespace kavrin::shape
