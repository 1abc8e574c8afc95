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
///
/// In a routine that clears the watchdog, every pass of a loop's innermost countdown starts with
/// CLRWDT (one cycle more per pass, one word more per loop), and the jumps come in groups of at
/// most `MaxJumpsPerClear`, each group followed by one CLRWDT; there is no "nop", a CLRWDT
/// takes its cycle.
struct FillerPlan
{
    /// 0, or the count loaded into counter 2 of a loop around a full 256-pass countdown of
    /// counter 1: 770 x count + 1 cycles, 6 instructions (1026 x count + 1 and 7 clearing).
    int nestedCount = 0;
    /// Full 256-pass countdowns of counter 1 from zero: 767 cycles and 2 instructions each
    /// (1023 and 3 clearing).
    int freeLoops = 0;
    /// 0, or the count loaded into counter 1 of one countdown: 3 x count + 1 cycles,
    /// 4 instructions (4 x count + 1 and 5 clearing).
    int countedLoop = 0;
    /// Two-cycle jumps to the next instruction.
    std::int32_t twoCycles = 0;
    /// One closing "nop".
    bool oneCycle = false;
    /// The loops and the jumps clear the watchdog.
    bool clearsWatchdog = false;
    /// CLRWDT instructions among the jumps (0 unless clearing): the first `twoCycles` jumps in
    /// groups of MaxJumpsPerClear, a CLRWDT after each group, the last CLRWDTs alone.
    std::int32_t clears = 0;

    /// Instruction words of the filler (every filler instruction is one word on every core).
    std::int32_t Words() const;
    /// The jumps before CLRWDT number `clear` (0 to clears - 1) and after the one before it.
    std::int32_t JumpsBeforeClear(std::int32_t clear) const;
};

/// The most jumps (8 cycles) between two CLRWDTs of a filler that clears the watchdog.
inline constexpr std::int32_t MaxJumpsPerClear = 4;

/// The filler of `kind` for `cycles` (0 or more) filler cycles; with `clearsWatchdog`, one that
/// clears the watchdog. With `FillerKind::Loop` the plan has the fewest instructions that any
/// mix of the pieces allows: at most 11 for every filler the plain loop search leaves (0 to
/// 195074 cycles).
FillerPlan PlanFiller(std::int32_t cycles, FillerKind kind, bool clearsWatchdog = false);
} // namespace kavrin
