#include "filler.h"

#include <algorithm>
#include <array>

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
constexpr std::int32_t NestedLoopCycles(int count)
{
    return 770 * count + 1;
}

// Rests below this are planned without the nested loop; a nested loop of the largest count
// that fits leaves less than 770 cycles, and one or two counts fewer are tried as well.
constexpr std::int32_t RestTableSize = 3 * 770;

FillerPlan GotoFiller(std::int32_t cycles)
{
    FillerPlan plan;
    plan.twoCycles = cycles / 2;
    plan.oneCycle = cycles % 2 != 0;
    return plan;
}

// The fewest instructions for each rest: up to three free loops, at most one counted loop,
// then two-cycle jumps and a nop.
const std::array<FillerPlan, RestTableSize>& RestPlans()
{
    static const std::array<FillerPlan, RestTableSize> table = []
    {
        std::array<FillerPlan, RestTableSize> plans{};
        for (std::int32_t rest = 0; rest < RestTableSize; ++rest)
        {
            FillerPlan best = GotoFiller(rest);
            for (int freeLoops = 0; freeLoops <= 3; ++freeLoops)
                for (int count = 0; count <= MaxCount; ++count)
                {
                    const std::int32_t left = rest - freeLoops * FreeLoopCycles -
                                              (count > 0 ? CountedLoopCycles(count) : 0);
                    if (left < 0)
                        break;
                    FillerPlan plan = GotoFiller(left);
                    plan.freeLoops = freeLoops;
                    plan.countedLoop = count;
                    if (plan.Words() < best.Words())
                        best = plan;
                }
            plans[static_cast<std::size_t>(rest)] = best;
        }
        return plans;
    }();
    return table;
}

FillerPlan LoopFiller(std::int32_t cycles)
{
    const auto& rests = RestPlans();
    FillerPlan best =
        cycles < RestTableSize ? rests[static_cast<std::size_t>(cycles)] : GotoFiller(cycles);
    const int largest = cycles > 0 ? std::min(MaxCount, (cycles - 1) / 770) : 0;
    for (int count = largest; count >= 1 && count >= largest - 2; --count)
    {
        const std::int32_t rest = cycles - NestedLoopCycles(count);
        if (rest < 0 || rest >= RestTableSize)
            continue;
        FillerPlan plan = rests[static_cast<std::size_t>(rest)];
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
    return kind == FillerKind::Loop ? LoopFiller(cycles) : GotoFiller(cycles);
}
} // namespace kavrin
