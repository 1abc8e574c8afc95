#include "filler.h"

#include <algorithm>

namespace kavrin
{
namespace
{
constexpr int MaxCount = 255;

/// Cycles and instructions of the pieces (midrange timing; the other cores keep it), plain and
/// with a CLRWDT at the start of every countdown pass.
struct PieceCosts
{
    std::int32_t countdownPass;  ///< one pass of DECFSZ and the jump back (CLRWDT too)
    std::int32_t freeLoopCycles; ///< 255 passes and the last one, which skips
    std::int32_t freeLoopWords;
    std::int32_t countedLoopWords;
    std::int32_t nestedLoopWords;

    constexpr std::int32_t CountedLoopCycles(int count) const { return countdownPass * count + 1; }
    /// One pass of the nested loop: a full countdown of counter 1, then DECFSZ and the jump back.
    constexpr std::int32_t NestedPassCycles() const { return freeLoopCycles + 3; }
    constexpr std::int32_t NestedLoopCycles(int count) const
    {
        return NestedPassCycles() * count + 1;
    }
};

constexpr PieceCosts PlainPieces{3, 767, 2, 4, 6};
constexpr PieceCosts ClearingPieces{4, 1023, 3, 5, 7};

const PieceCosts& PiecesOf(bool clearsWatchdog)
{
    return clearsWatchdog ? ClearingPieces : PlainPieces;
}

// How many free loops, and nested counts below the largest that fits, are tried: each one more
// costs at least two instructions, so a few cover every rest where one could still pay off.
constexpr int Alternatives = 5;

FillerPlan GotoFiller(std::int32_t cycles)
{
    FillerPlan plan;
    plan.twoCycles = cycles / 2;
    plan.oneCycle = cycles % 2 != 0;
    return plan;
}

/// Jumps in groups, each followed by a CLRWDT: the fewest groups that hold the cycles, one more
/// when their number and the cycles differ in parity (a CLRWDT is one cycle, a jump two).
FillerPlan ClearingJumps(std::int32_t cycles)
{
    FillerPlan plan;
    plan.clearsWatchdog = true;
    if (cycles == 0)
        return plan;
    constexpr std::int32_t group = 2 * MaxJumpsPerClear + 1;
    std::int32_t clears = (cycles + group - 1) / group;
    if ((cycles - clears) % 2 != 0)
        ++clears;
    plan.clears = clears;
    plan.twoCycles = (cycles - clears) / 2;
    return plan;
}

FillerPlan Jumps(std::int32_t cycles, bool clearsWatchdog)
{
    return clearsWatchdog ? ClearingJumps(cycles) : GotoFiller(cycles);
}

// Free loops, at most one counted loop, then jumps. A larger count never leaves more jumps, so
// the counted loop takes the largest count that fits.
FillerPlan RestFiller(std::int32_t cycles, bool clearsWatchdog)
{
    const PieceCosts& costs = PiecesOf(clearsWatchdog);
    FillerPlan best = Jumps(cycles, clearsWatchdog);
    for (int freeLoops = 0; freeLoops <= Alternatives && freeLoops * costs.freeLoopCycles <= cycles;
         ++freeLoops)
    {
        const std::int32_t rest = cycles - freeLoops * costs.freeLoopCycles;
        FillerPlan jumps = Jumps(rest, clearsWatchdog);
        jumps.freeLoops = freeLoops;
        if (jumps.Words() < best.Words())
            best = jumps;
        const int count = std::min(MaxCount, (rest - 1) / costs.countdownPass);
        if (count < 1)
            continue;
        FillerPlan counted = Jumps(rest - costs.CountedLoopCycles(count), clearsWatchdog);
        counted.freeLoops = freeLoops;
        counted.countedLoop = count;
        if (counted.Words() < best.Words())
            best = counted;
    }
    return best;
}

FillerPlan LoopFiller(std::int32_t cycles, bool clearsWatchdog)
{
    const PieceCosts& costs = PiecesOf(clearsWatchdog);
    FillerPlan best = RestFiller(cycles, clearsWatchdog);
    const int largest =
        cycles > 0 ? std::min(MaxCount, (cycles - 1) / costs.NestedPassCycles()) : 0;
    for (int count = largest; count >= 1 && count >= largest - Alternatives; --count)
    {
        FillerPlan plan = RestFiller(cycles - costs.NestedLoopCycles(count), clearsWatchdog);
        plan.nestedCount = count;
        if (plan.Words() < best.Words())
            best = plan;
    }
    return best;
}
} // namespace

std::int32_t FillerPlan::Words() const
{
    const PieceCosts& costs = PiecesOf(clearsWatchdog);
    return (nestedCount > 0 ? costs.nestedLoopWords : 0) + freeLoops * costs.freeLoopWords +
           (countedLoop > 0 ? costs.countedLoopWords : 0) + twoCycles + (oneCycle ? 1 : 0) + clears;
}

FillerPlan PlanFiller(std::int32_t cycles, FillerKind kind, bool clearsWatchdog)
{
    if (kind == FillerKind::Goto)
        return Jumps(cycles, clearsWatchdog);
    return LoopFiller(cycles, clearsWatchdog);
}
} // namespace kavrin
