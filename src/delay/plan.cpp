#include "plan.h"

#include <algorithm>
#include <limits>

#include "extended.h"
#include "messages.h"

namespace kavrin
{
namespace
{
constexpr std::int64_t MaxCount = 255;

/// Best loop block for a target: the first candidate in the search order (inner count slowest,
/// outer count fastest) that leaves the smallest non-negative remainder.
///
/// For fixed inner (and middle) counts the loop cost is outer * k + 1, so the remainder falls as
/// the outer count grows and the smallest one belongs to the largest outer count that fits:
/// (target - 1) / k, at most 255. Checking only that count per pair finds the same candidate as
/// trying every outer count, 255 times faster.
struct Choice
{
    int outer = 0;
    int middle = 0;
    int inner = 0;
    std::int64_t remainder = std::numeric_limits<std::int64_t>::max();
};

/// Takes the largest outer count for a per-pass cost `k`; false when not even one pass fits.
bool TryOuter(std::int64_t budget, std::int64_t k, int middle, int inner, Choice& best)
{
    std::int64_t outer = std::min(MaxCount, budget / k);
    if (outer < 1)
        return false;
    std::int64_t remainder = budget - outer * k;
    if (remainder < best.remainder)
        best = Choice{static_cast<int>(outer), middle, inner, remainder};
    return true;
}

// The innermost pass's cycles are a template argument, so that each search keeps its constant
// multiplications.
template <std::int64_t InnerPass> Choice SearchTwoLevels(std::int32_t target)
{
    const std::int64_t budget = std::int64_t{target} - 1;
    Choice best;
    for (int inner = 1; inner <= MaxCount && best.remainder != 0; ++inner)
        TryOuter(budget, InnerPass * inner + 4, 0, inner, best);
    return best;
}

template <std::int64_t InnerPass> Choice SearchThreeLevels(std::int32_t target)
{
    const std::int64_t budget = std::int64_t{target} - 1;
    Choice best;
    for (int inner = 1; inner <= MaxCount; ++inner)
    {
        const std::int64_t step = InnerPass * inner + 4; // added by one more middle pass
        // While 255 outer passes fit, the outer count stays 255 and the remainder falls as the
        // middle count grows: of those middle counts only the largest can win.
        const std::int64_t fullMiddle = std::min(MaxCount, (budget / MaxCount - 4) / step);
        int middle = 1;
        if (fullMiddle >= 1)
        {
            TryOuter(budget, fullMiddle * step + 4, static_cast<int>(fullMiddle), inner, best);
            if (best.remainder == 0)
                return best;
            middle = static_cast<int>(fullMiddle) + 1;
        }
        for (; middle <= MaxCount; ++middle)
        {
            // The per-pass cost grows with the middle count: once one pass no longer fits,
            // no larger middle count fits either.
            if (!TryOuter(budget, middle * step + 4, middle, inner, best))
                break;
            if (best.remainder == 0)
                return best;
        }
    }
    return best;
}
} // namespace

std::int64_t TwoLevelCost(std::int64_t outer, std::int64_t inner, std::int64_t innerPass)
{
    return innerPass * inner * outer + 4 * outer + 1;
}

std::int64_t ThreeLevelCost(std::int64_t outer, std::int64_t middle, std::int64_t inner,
                            std::int64_t innerPass)
{
    return innerPass * inner * middle * outer + 4 * middle * outer + 4 * outer + 1;
}

std::int64_t LoopCost(const DelayPlan& plan)
{
    const std::int64_t pass = plan.ClearsWatchdog ? WatchdogInnerPassCycles : InnerPassCycles;
    if (plan.Levels == 0)
        return 0;
    return plan.Levels == 3
               ? ThreeLevelCost(plan.OuterCount, plan.MiddleCount, plan.InnerCount, pass)
               : TwoLevelCost(plan.OuterCount, plan.InnerCount, pass);
}

DelayPlan PlanLoops(std::int32_t targetCycles, bool clearsWatchdog)
{
    DelayPlan plan;
    plan.TargetCycles = targetCycles;
    plan.ClearsWatchdog = clearsWatchdog;
    if (clearsWatchdog && targetCycles < MinWatchdogLoopCycles)
    {
        plan.Levels = plan.OuterCount = plan.InnerCount = 0;
        plan.PadCycles = targetCycles;
        return plan;
    }
    plan.Levels = targetCycles <= MaxTwoLevelTarget ? 2 : 3;
    Choice best;
    if (clearsWatchdog)
        best = plan.Levels == 2 ? SearchTwoLevels<WatchdogInnerPassCycles>(targetCycles)
                                : SearchThreeLevels<WatchdogInnerPassCycles>(targetCycles);
    else
        best = plan.Levels == 2 ? SearchTwoLevels<InnerPassCycles>(targetCycles)
                                : SearchThreeLevels<InnerPassCycles>(targetCycles);
    plan.OuterCount = best.outer;
    plan.MiddleCount = best.middle;
    plan.InnerCount = best.inner;
    plan.PadCycles = static_cast<std::int32_t>(best.remainder);
    return plan;
}

double UnitsPerSecond(DelayUnit unit)
{
    switch (unit)
    {
    case DelayUnit::Microseconds:
        return 1000000;
    case DelayUnit::Milliseconds:
        return 1000;
    case DelayUnit::Seconds:
        return 1;
    case DelayUnit::Cycles:
        break;
    }
    return 0;
}

namespace
{
/// N for a delay in `unit`: the extended-precision quotient for a time, the count itself (whole
/// numbers pass unchanged) for cycles.
detail::CycleBudget BudgetFor(double frequencyMHz, double delay, DelayUnit unit)
{
    using detail::Extended;
    if (unit == DelayUnit::Cycles)
        return detail::BudgetOf<Extended>(Extended(delay));
    return detail::ComputeCycleBudget<Extended>(frequencyMHz, delay, UnitsPerSecond(unit));
}
} // namespace

PlanResult PlanDelay(double frequencyMHz, double delay, bool countCallReturn, DelayUnit unit,
                     bool clearsWatchdog)
{
    using detail::CycleBudget;
    const CycleBudget budget = BudgetFor(frequencyMHz, delay, unit);
    if (budget.status == CycleBudget::Status::AboveRange)
        return DelayFailure::DelayTooLarge;
    if (budget.status == CycleBudget::Status::BelowRange)
        return DelayFailure::DelayTooSmall;

    // 64 bits, so that the deduction cannot wrap around for N near the 32-bit minimum.
    const std::int64_t target =
        std::int64_t{budget.cycles} - (countCallReturn ? CallReturnCycles : 0);
    if (target < MinTargetCycles)
        return DelayFailure::DelayTooSmall;
    if (target > MaxTargetCycles)
        return DelayFailure::DelayTooLarge;

    DelayPlan plan = PlanLoops(static_cast<std::int32_t>(target), clearsWatchdog);
    plan.CycleCount = budget.cycles;
    plan.CallReturnCounted = countCallReturn;
    plan.ApproxDelayMs =
        detail::ComputeApproxDelayMs<detail::Extended>(frequencyMHz, budget.cycles);
    plan.ApproxDelay = unit == DelayUnit::Cycles
                           ? budget.cycles
                           : detail::ComputeApproxDelay<detail::Extended>(
                                 frequencyMHz, budget.cycles, UnitsPerSecond(unit));
    return plan;
}

PlanResult PlanUnitBody(const DelayPlan& unit)
{
    const std::int32_t outside = UnitLoopCycles + (unit.CallReturnCounted ? UnitTailCycles : 0);
    // N is at most MaxTargetCycles + 4, so the body never exceeds the largest target.
    const std::int64_t target = std::int64_t{unit.CycleCount} - outside;
    if (target < MinTargetCycles)
        return DelayFailure::DelayTooSmall;
    DelayPlan body = PlanLoops(static_cast<std::int32_t>(target), unit.ClearsWatchdog);
    body.CycleCount = unit.CycleCount;
    body.ApproxDelayMs = unit.ApproxDelayMs;
    body.ApproxDelay = unit.ApproxDelay;
    body.CallReturnCounted = unit.CallReturnCounted;
    return body;
}

const char* FailureMessage(DelayFailure failure)
{
    return failure == DelayFailure::DelayTooSmall ? msg::DelayTooSmall : msg::DelayTooLarge;
}
} // namespace kavrin
