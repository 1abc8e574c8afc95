#include "filler.h"

#include <algorithm>

#include "shape.h"

namespace kavrin
{
namespace
{
constexpr int MaxCount = 255;

/// Cycles and instructions of the loop pieces, from their instructions (midrange timing; the
/// other cores keep it), plain or clearing the watchdog. The loops' cycles grow by a pass per
/// count: base + pass x count.
struct PieceCosts
{
    std::int32_t countedPass;
    std::int32_t countedBase;
    std::int32_t freeLoopCycles;
    std::int32_t nestedPass;
    std::int32_t nestedBase;
    std::int32_t freeLoopWords;
    std::int32_t countedLoopWords;
    std::int32_t nestedLoopWords;
    std::int32_t jumpWords;
    std::int32_t nopWords;
    std::int32_t clearWords;

    std::int32_t CountedLoopCycles(int count) const { return countedBase + countedPass * count; }
    std::int32_t NestedLoopCycles(int count) const { return nestedBase + nestedPass * count; }
};

PieceCosts CostsOf(bool clears)
{
    const auto cycles = [clears](const shape::Block& block, int count) {
        return static_cast<std::int32_t>(SpanOf(block, {0, 0, 0, count}, clears).length);
    };
    PieceCosts costs{};
    costs.countedPass = cycles(shape::CountedLoop, 2) - cycles(shape::CountedLoop, 1);
    costs.countedBase = cycles(shape::CountedLoop, 1) - costs.countedPass;
    costs.freeLoopCycles = cycles(shape::FreeLoop, 0);
    costs.nestedPass = cycles(shape::NestedLoop, 2) - cycles(shape::NestedLoop, 1);
    costs.nestedBase = cycles(shape::NestedLoop, 1) - costs.nestedPass;
    costs.freeLoopWords = Words(shape::FreeLoop, clears);
    costs.countedLoopWords = Words(shape::CountedLoop, clears);
    costs.nestedLoopWords = Words(shape::NestedLoop, clears);
    costs.jumpWords = Words(shape::JumpFiller, clears);
    costs.nopWords = Words(shape::NopFiller, clears);
    costs.clearWords = Words(shape::ClearFiller, clears);
    return costs;
}

const PieceCosts& PiecesOf(bool clearsWatchdog)
{
    static const PieceCosts plain = CostsOf(false);
    static const PieceCosts clearing = CostsOf(true);
    return clearsWatchdog ? clearing : plain;
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

// The loop filler's planners take the kind of filler as a template argument.

template <bool Clears> std::int32_t WordsOf(const FillerPlan& plan)
{
    const PieceCosts& costs = PiecesOf(Clears);
    return (plan.nestedCount > 0 ? costs.nestedLoopWords : 0) +
           plan.freeLoops * costs.freeLoopWords +
           (plan.countedLoop > 0 ? costs.countedLoopWords : 0) + plan.twoCycles * costs.jumpWords +
           (plan.oneCycle ? costs.nopWords : 0) + plan.clears * costs.clearWords;
}

// Free loops, at most one counted loop, then jumps. A larger count never leaves more jumps, so
// the counted loop takes the largest count that fits.
template <bool Clears> FillerPlan RestFiller(std::int32_t cycles)
{
    const PieceCosts& costs = PiecesOf(Clears);
    FillerPlan best = Jumps(cycles, Clears);
    for (int freeLoops = 0; freeLoops <= Alternatives && freeLoops * costs.freeLoopCycles <= cycles;
         ++freeLoops)
    {
        const std::int32_t rest = cycles - freeLoops * costs.freeLoopCycles;
        FillerPlan jumps = Jumps(rest, Clears);
        jumps.freeLoops = freeLoops;
        if (WordsOf<Clears>(jumps) < WordsOf<Clears>(best))
            best = jumps;
        const int count = std::min(MaxCount, (rest - costs.countedBase) / costs.countedPass);
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
    const PieceCosts& costs = PiecesOf(Clears);
    FillerPlan best = RestFiller<Clears>(cycles);
    const int largest = cycles >= costs.nestedBase
                            ? std::min(MaxCount, (cycles - costs.nestedBase) / costs.nestedPass)
                            : 0;
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
