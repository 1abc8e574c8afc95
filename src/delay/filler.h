#pragma once
// The cycles a loop block leaves over, as filler instructions.

#include <cstdint>

namespace kavrin
{
/// How the filler spends its cycles.
enum class FillerKind
{
    /// One two-cycle jump per two cycles and a one-cycle "nop" for an odd rest (the window's
    /// text): up to 97537 lines.
    Goto,
    /// Short loops on the routine's own counters, which the loop block leaves at zero, then at
    /// most one two-cycle jump and one "nop": at most a dozen instructions.
    Loop,
};

/// The filler's pieces, written in the order of the fields. Every loop starts with its counters
/// at zero and leaves them at zero.
struct FillerPlan
{
    /// 0, or the count loaded into counter 2 of a loop around a full 256-pass countdown of
    /// counter 1: 770 x count + 1 cycles, 6 instructions.
    int nestedCount = 0;
    /// Full 256-pass countdowns of counter 1 from zero: 767 cycles and 2 instructions each.
    int freeLoops = 0;
    /// 0, or the count loaded into counter 1 of one countdown: 3 x count + 1 cycles,
    /// 4 instructions.
    int countedLoop = 0;
    /// Two-cycle jumps to the next instruction.
    std::int32_t twoCycles = 0;
    /// One closing "nop".
    bool oneCycle = false;

    /// Instruction words of the filler (every filler instruction is one word on every core).
    std::int32_t Words() const;
};

/// The filler of `kind` for `cycles` (0 or more) filler cycles. With `FillerKind::Loop` the
/// plan has the fewest instructions that any mix of the pieces allows: at most 11 for every
/// filler the loop search leaves (0 to 195074 cycles).
FillerPlan PlanFiller(std::int32_t cycles, FillerKind kind);
} // namespace kavrin
