#pragma once
// The routine's shape: each block of the routine as its instructions, once. The text is written
// from these records, and the word counts, the cycles of the filler's pieces and the watchdog's
// longest run are sums over them, so an instruction added to a block is counted everywhere.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kavrin::shape
{
/// What an instruction does. Every instruction is one word on every core; a label is none.
enum class Op : std::uint8_t
{
    Label,
    LoadCount,
    Store,
    Decrement,
    Jump,
    TwoCycles,
    Nop,
    ClearWatchdog,
    Return,
};

/// An instruction's cycles; a DECFSZ that skips the next instruction takes `skipping`.
struct Timing
{
    std::int64_t cycles;
    std::int64_t skipping;
};

constexpr Timing TimingOf(Op op)
{
    constexpr Timing table[] = {{0, 0}, {1, 1}, {1, 1}, {1, 2}, {2, 2},
                                {2, 2}, {1, 1}, {1, 1}, {2, 2}};
    return table[static_cast<int>(op)];
}

/// The values a block's MOVLWs load, by `Count`.
using Counts = std::array<int, 4>;
enum Count : std::uint8_t
{
    Outer,
    Middle,
    Inner,
    Filler,
    NoCount,
};

/// Routines an instruction belongs to: every one, or only those that clear the watchdog, or
/// only those that do not.
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
    Count count = NoCount;
    /// The register: the counter base followed by this ('1' to '3', 'W' for the units left).
    char reg = 0;
    /// A label defined or jumped to: its suffix after the routine's label ("_LOOP1") and, for
    /// the filler's labels, which are numbered through the routine, 1 for the next number and
    /// 2 for the one after it.
    std::string_view label = {};
    int pad = 0;
    When when = When::Always;
    /// The classic layout writes this DECFSZ without its destination (the assembler's default).
    bool defaultDestination = false;

    constexpr bool IsIn(bool clears) const
    {
        return when == When::Always || (when == When::Clearing) == clears;
    }
    constexpr bool SameLabel(const Instruction& other) const
    {
        return label == other.label && pad == other.pad;
    }
};

/// A block: its instructions in the order they are written.
struct Block
{
    const Instruction* first = nullptr;
    std::size_t count = 0;

    constexpr const Instruction* begin() const { return first; }
    constexpr const Instruction* end() const { return first + count; }
};

/// The loop blocks; the filler's pieces: a loop of counter 2 around a full countdown of counter
/// 1, a full countdown of counter 1 from zero, a countdown of counter 1 from the filler's count,
/// a two-cycle jump, a nop, a CLRWDT after a group of jumps; the unit loop of a routine that
/// waits W units, before and after its body, and the tail after the return that every unit but
/// the last takes when CALL and RETURN are counted; the return.
extern const Block TwoLevelBlock, ThreeLevelBlock;
extern const Block NestedLoop, FreeLoop, CountedLoop, JumpFiller, NopFiller, ClearFiller;
extern const Block UnitLoopHead, UnitLoopEnd, UnitLoopEndToTail, UnitTail, ReturnBlock;

/// The loop block of a plan of `levels` (2 or 3).
const Block& LoopBlock(int levels);

/// A label the blocks define: its suffix after the routine's label, and whether the filler's
/// number follows it.
struct DefinedLabel
{
    std::string_view suffix;
    bool numbered;
};
/// Every label the blocks define, each once.
std::vector<DefinedLabel> DefinedLabels();

/// Instruction words of `block` in a routine that clears the watchdog or not.
std::int32_t Words(const Block& block, bool clears);
/// The highest loop counter `block` counts down (1 to 3), 0 for none.
int HighestCounter(const Block& block);

/// A run of cycles and where in it the watchdog is cleared.
struct Span
{
    std::int64_t length = 0;
    bool clears = false;      ///< at least one CLRWDT
    std::int64_t lead = 0;    ///< from the start to the end of the first CLRWDT
    std::int64_t longest = 0; ///< between the ends of two CLRWDTs in the span
    std::int64_t trail = 0;   ///< from the end of the last CLRWDT to the end

    /// The longest run without a CLRWDT ending in it.
    std::int64_t LongestRun() const { return clears ? std::max({lead, longest, trail}) : length; }
};

/// `cycles` cycles with no CLRWDT.
Span Cycles(std::int64_t cycles);
/// `a`, then `b`.
Span Then(const Span& a, const Span& b);
/// `span` `times` times in a row (0 or more).
Span Repeat(const Span& span, std::int64_t times);

/// The cycles of `block` from its first instruction to the end of its last, each loop counted
/// down from the count its MOVLW loads or, with none, from zero (256 passes); a jump that no
/// DECFSZ before it closes a loop with counts its cycles once.
Span SpanOf(const Block& block, const Counts& counts, bool clears);
} // namespace kavrin::shape
