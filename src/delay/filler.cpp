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

constexpr const PieceCosts& PiecesOf(bool clearsWatchdog)
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

// The loop filler's planners take the kind of filler as a template argument, so that each keeps
// its costs as constants.

template <bool Clears> std::int32_t WordsOf(const FillerPlan& plan)
{
    constexpr PieceCosts costs = PiecesOf(Clears);
    return (plan.nestedCount > 0 ? costs.nestedLoopWords : 0) +
           plan.freeLoops * costs.freeLoopWords +
           (plan.countedLoop > 0 ? costs.countedLoopWords : 0) + plan.twoCycles +
           (plan.oneCycle ? 1 : 0) + plan.clears;
}

// Free loops, at most one counted loop, then jumps. A larger count never leaves more jumps, so
// the counted loop takes the largest count that fits.
template <bool Clears> FillerPlan RestFiller(std::int32_t cycles)
{
    constexpr PieceCosts costs = PiecesOf(Clears);
    FillerPlan best = Jumps(cycles, Clears);
    for (int freeLoops = 0; freeLoops <= Alternatives && freeLoops * costs.freeLoopCycles <= cycles;
         ++freeLoops)
    {
        const std::int32_t rest = cycles - freeLoops * costs.freeLoopCycles;
        FillerPlan jumps = Jumps(rest, Clears);
        jumps.freeLoops = freeLoops;
        if (WordsOf<Clears>(jumps) < WordsOf<Clears>(best))
            best = jumps;
        const int count = std::min(MaxCount, (rest - 1) / costs.countdownPass);
        if (count < 1)
            continue;
        FillerPlan counted = Jumps(rest - costs.CountedLoopCycles(count), Clears);
        counted.freeLoops = freeLoops;
        counted.countedLoop = count;
        if (WordsOf<Clears>(counted) < WordsOf<Clears>(best))
            best = counted;
    }
    return best;
}

template <bool Clears> FillerPlan LoopFiller(std::int32_t cycles)
{
    constexpr PieceCosts costs = PiecesOf(Clears);
    FillerPlan best = RestFiller<Clears>(cycles);
    const int largest =
        cycles > 0 ? std::min(MaxCount, (cycles - 1) / costs.NestedPassCycles()) : 0;
    for (int count = largest; count >= 1 && count >= largest - Alternatives; --count)
    {
        FillerPlan plan = RestFiller<Clears>(cycles - costs.NestedLoopCycles(count));
        plan.nestedCount = count;
        if (WordsOf<Clears>(plan) < WordsOf<Clears>(best))
            best = plan;
    }
    return best;
}
} // namespace

std::int32_t FillerPlan::Words() const
{
    return clearsWatchdog ? WordsOf<true>(*this) : WordsOf<false>(*this);
}

std::int32_t FillerPlan::JumpsBeforeClear(std::int32_t clear) const
{
    return std::clamp(twoCycles - clear * MaxJumpsPerClear, 0, MaxJumpsPerClear);
}

FillerPlan PlanFiller(std::int32_t cycles, FillerKind kind, bool clearsWatchdog)
{
    if (kind == FillerKind::Goto)
        return Jumps(cycles, clearsWatchdog);
    return clearsWatchdog ? LoopFiller<true>(cycles) : LoopFiller<false>(cycles);
}
} // namespace kavrin
