#include "filler.h"

#include <algorithm>

namespace kavrin
{
namespace
{
// Cycles and instructions of the pieces (midrange timing; the other cores keep it).
constexpr std::int32_t FreeLoopCycles = 767; // 255 passes of DECFSZ + jump (3), the last skips (2)
constexpr std::int32_t FreeLoopWords = 2;
constexpr std::int32_t CountedLoopWords = 4;
constexpr std::int32_t NestedLoopWords = 6;
constexpr int MaxCount = 255;

constexpr std::int32_t CountedLoopCycles(int count)
{
    return 3 * count + 1;
}
/// One pass of the nested loop: a full countdown of counter 1, then DECFSZ and the jump back.
constexpr std::int32_t NestedPassCycles = FreeLoopCycles + 3;
constexpr std::int32_t NestedLoopCycles(int count)
{
    return NestedPassCycles * count + 1;
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

// Free loops, at most one counted loop, then two-cycle jumps and a nop. A larger count never
// leaves more jumps, so the counted loop takes the largest count that fits.
FillerPlan RestFiller(std::int32_t cycles)
{
    FillerPlan best = GotoFiller(cycles);
    for (int freeLoops = 0; freeLoops <= Alternatives && freeLoops * FreeLoopCycles <= cycles;
         ++freeLoops)
    {
        const std::int32_t rest = cycles - freeLoops * FreeLoopCycles;
        FillerPlan jumps = GotoFiller(rest);
        jumps.freeLoops = freeLoops;
        if (jumps.Words() < best.Words())
            best = jumps;
        const int count = std::min(MaxCount, (rest - 1) / 3);
        if (count < 1)
            continue;
        FillerPlan counted = GotoFiller(rest - CountedLoopCycles(count));
        counted.freeLoops = freeLoops;
        counted.countedLoop = count;
        if (counted.Words() < best.Words())
            best = counted;
    }
    return best;
}

FillerPlan LoopFiller(std::int32_t cycles)
{
    FillerPlan best = RestFiller(cycles);
    const int largest = cycles > 0 ? std::min(MaxCount, (cycles - 1) / NestedPassCycles) : 0;
    for (int count = largest; count >= 1 && count >= largest - Alternatives; --count)
    {
        FillerPlan plan = RestFiller(cycles - NestedLoopCycles(count));
        plan.nestedCount = count;
        if (plan.Words() < best.Words())
            best = plan;
    }
    return best;
}
} // namespace

std::int32_t FillerPlan::Words() const
{
    return (nestedCount > 0 ? NestedLoopWords : 0) + freeLoops * FreeLoopWords +
           (countedLoop > 0 ? CountedLoopWords : 0) + twoCycles + (oneCycle ? 1 : 0);
}

FillerPlan PlanFiller(std::int32_t cycles, FillerKind kind)
{
    // One planner per kind, in the order of FillerKind.
    constexpr FillerPlan (*planners[])(std::int32_t) = {GotoFiller, LoopFiller};
    return planners[static_cast<int>(kind)](cycles);
}
} // namespace kavrin
