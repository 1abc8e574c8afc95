#pragma once
// The loop search done the plain way: every candidate in order, inner count slowest and outer
// count fastest, the first smallest non-negative remainder winning, an exact hit ending it.
// The engine's faster search must agree with it on every target. `innerPass` is the cycles of one
// pass of the innermost loop: 3, or 4 in a routine that clears the watchdog.

#include <cstdint>

#include "delay/plan.h"

namespace kavrin::reference
{
inline DelayPlan ExhaustiveTwoLevels(std::int32_t target, std::int32_t innerPass = 3)
{
    DelayPlan plan;
    plan.TargetCycles = target;
    plan.Levels = 2;
    std::int32_t best = target; // larger than any remainder
    for (int inner = 1; inner <= 255; ++inner)
    {
        for (int outer = 1; outer <= 255; ++outer)
        {
            const std::int32_t r = target - innerPass * inner * outer - 4 * outer - 1;
            if (r >= 0 && r < best)
            {
                best = r;
                plan.OuterCount = outer;
                plan.InnerCount = inner;
                if (r == 0)
                    return plan.PadCycles = 0, plan;
            }
        }
    }
    plan.PadCycles = best;
    return plan;
}

inline DelayPlan ExhaustiveThreeLevels(std::int32_t target, std::int32_t innerPass = 3)
{
    DelayPlan plan;
    plan.TargetCycles = target;
    plan.Levels = 3;
    std::int32_t best = target;
    for (int inner = 1; inner <= 255; ++inner)
    {
        for (int middle = 1; middle <= 255; ++middle)
        {
            for (int outer = 1; outer <= 255; ++outer)
            {
                const std::int32_t r = target - innerPass * inner * middle * outer -
                                       4 * middle * outer - 4 * outer - 1;
                if (r >= 0 && r < best)
                {
                    best = r;
                    plan.OuterCount = outer;
                    plan.MiddleCount = middle;
                    plan.InnerCount = inner;
                    if (r == 0)
                        return plan.PadCycles = 0, plan;
                }
            }
        }
    }
    plan.PadCycles = best;
    return plan;
}

inline DelayPlan ExhaustiveSearch(std::int32_t target, std::int32_t innerPass = 3)
{
    return target <= MaxTwoLevelTarget ? ExhaustiveTwoLevels(target, innerPass)
                                       : ExhaustiveThreeLevels(target, innerPass);
}
} // namespace kavrin::reference
