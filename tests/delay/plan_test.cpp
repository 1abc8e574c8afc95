// The cycle budget and the loop search: the worked figures users check against, the range
// limits, and agreement with the plain exhaustive search.

#include <cfloat>
#include <cmath>
#include <random>
#include <type_traits>
#include <variant>

#include <gtest/gtest.h>

#include "delay/extended.h"
#include "delay/plan.h"
#include "support/exhaustive_search.h"

namespace kavrin
{
namespace
{
struct PlanCase
{
    double frequency;
    double delay;
    bool callReturn;
    std::int32_t cycles, target;
    int levels, outer, middle, inner;
    std::int32_t pad;
};

// Counts as outer / middle / inner; a middle of 0 means two levels.
const PlanCase PlanCases[] = {
    {3.2768, 10, false, 8192, 8192, 2, 117, 0, 22, 1},
    {3.2768, 10, true, 8192, 8188, 2, 93, 0, 28, 3},
    {1, 1, false, 249, 249, 2, 8, 0, 9, 0},
    {4, 10, false, 9999, 9999, 2, 13, 0, 255, 1},
    {4, 10, true, 9999, 9995, 2, 19, 0, 174, 0},
    {3.2768, 1, false, 819, 819, 2, 2, 0, 135, 0},
    {4, 0.008, false, 8, 8, 2, 1, 0, 1, 0},
    {4, 0.0121, true, 12, 8, 2, 1, 0, 1, 0},
    {4, 196.0955, false, 196095, 196095, 2, 255, 0, 254, 764},
    {4, 196.0965, false, 196096, 196096, 3, 85, 47, 15, 0},
    {3.2768, 1000, false, 819200, 819200, 3, 213, 113, 10, 1},
    {3.2768, 1000, true, 819200, 819196, 3, 13, 131, 159, 0},
    {4, 500, false, 499999, 499999, 3, 167, 230, 3, 0},
    {20, 1000, false, 5000000, 5000000, 3, 117, 173, 81, 4},
    {4, 50005.2455, false, 50005245, 50005245, 3, 255, 255, 254, 195074},
    {4, 50005.2465, false, 50005246, 50005246, 3, 255, 255, 255, 0},
    {-4, -10, false, 9999, 9999, 2, 13, 0, 255, 1},
};

TEST(PlanDelay, ReproducesWorkedExamples)
{
    for (const PlanCase& c : PlanCases)
    {
        SCOPED_TRACE(::testing::Message() << c.frequency << " MHz, " << c.delay << " ms, "
                                          << (c.callReturn ? "with" : "without") << " CALL/RETURN");
        const PlanResult result = PlanDelay(c.frequency, c.delay, c.callReturn);
        ASSERT_TRUE(std::holds_alternative<DelayPlan>(result));
        const DelayPlan& plan = std::get<DelayPlan>(result);
        EXPECT_EQ(plan.CycleCount, c.cycles);
        EXPECT_EQ(plan.TargetCycles, c.target);
        EXPECT_EQ(plan.Levels, c.levels);
        EXPECT_EQ(plan.OuterCount, c.outer);
        if (c.levels == 3)
        {
            EXPECT_EQ(plan.MiddleCount, c.middle);
        }
        EXPECT_EQ(plan.InnerCount, c.inner);
        EXPECT_EQ(plan.PadCycles, c.pad);
        EXPECT_EQ(LoopCost(plan) + plan.PadCycles, plan.TargetCycles);
    }
}

TEST(PlanDelay, ReachedDelayFollowsTheSignOfTheInputs)
{
    const DelayPlan plan = std::get<DelayPlan>(PlanDelay(-4, -10, false));
    EXPECT_DOUBLE_EQ(plan.ApproxDelayMs, -9.999);
    // The reached delay counts all N cycles, CALL and RETURN included when they are counted.
    EXPECT_EQ(std::get<DelayPlan>(PlanDelay(3.2768, 10, true)).ApproxDelayMs,
              std::get<DelayPlan>(PlanDelay(3.2768, 10, false)).ApproxDelayMs);
}

struct FailureCase
{
    double frequency;
    double delay;
    bool callReturn;
    DelayFailure failure;
};

TEST(PlanDelay, RefusesTargetsOutsideTheLoopRange)
{
    const FailureCase cases[] = {
        {4, 0.007, false, DelayFailure::DelayTooSmall},      // N = 7
        {4, 0.0119, true, DelayFailure::DelayTooSmall},      // N = 11, target 7
        {4, 0.0099, true, DelayFailure::DelayTooSmall},      // N = 9, target 5
        {4, 50005.2475, false, DelayFailure::DelayTooLarge}, // N = 50005247
        {0, 10, false, DelayFailure::DelayTooSmall},
        {-0.0, 10, false, DelayFailure::DelayTooSmall},
        {-4, 10, false, DelayFailure::DelayTooSmall},
        {4, 0, false, DelayFailure::DelayTooSmall},
        {20, 1000000, false, DelayFailure::DelayTooLarge}, // quotient beyond 32 bits
        {20, 1000000, true, DelayFailure::DelayTooLarge},
        {20, -1000000, false, DelayFailure::DelayTooSmall},
        {1e300, 1e300, false, DelayFailure::DelayTooLarge},
        {-1e300, 1e300, true, DelayFailure::DelayTooSmall},
        {1e-300, 1e-300, false, DelayFailure::DelayTooSmall},
    };
    for (const FailureCase& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.frequency << " MHz, " << c.delay << " ms");
        const PlanResult result = PlanDelay(c.frequency, c.delay, c.callReturn);
        ASSERT_TRUE(std::holds_alternative<DelayFailure>(result));
        EXPECT_EQ(std::get<DelayFailure>(result), c.failure);
    }
}

TEST(CycleBudget, ExtendedPrecisionLosesACycleWhereDoubleWouldNot)
{
    // The quotient lands a few units in the last place below the whole number.
    const struct
    {
        double frequency, delay;
        std::int32_t cycles;
    } cases[] = {{1, 1, 249}, {4, 10, 9999}, {4, 500, 499999}, {3.2768, 10, 8192}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(detail::ComputeCycleBudget<detail::Extended>(c.frequency, c.delay).cycles,
                  c.cycles);
        EXPECT_EQ(detail::ComputeCycleBudget<detail::SoftExtended>(c.frequency, c.delay).cycles,
                  c.cycles);
    }
}

// x86's 80-bit long double is used directly; everywhere else (AArch64's quad, WebAssembly's
// quad, MSVC's double) the software float must take its place, as it must when forced.
TEST(CycleBudget, SoftwarePathWhereLongDoubleIsNotX87)
{
#ifdef KAVRIN_SOFT_EXTENDED
    constexpr bool forced = true;
#else
    constexpr bool forced = false;
#endif
    constexpr bool soft = forced || LDBL_MANT_DIG != 64;
    EXPECT_EQ(detail::UsesSoftExtended, soft);
    EXPECT_EQ((std::is_same_v<detail::Extended, detail::SoftExtended>), soft);
}

// Log-uniform over the ranges users type: 0.001-100 MHz and 0.001 ms-100 s.
double LogUniform(std::mt19937_64& rng, double low, double high)
{
    std::uniform_real_distribution<double> exponent(std::log10(low), std::log10(high));
    return std::pow(10.0, exponent(rng));
}

TEST(CycleBudget, SoftwareAndHardwareExtendedAgreeBitForBit)
{
    if (LDBL_MANT_DIG != 64)
        GTEST_SKIP() << "long double is not the x87 format here";
    std::mt19937_64 rng(20261207);
    for (int i = 0; i < 100000; ++i)
    {
        const double f = LogUniform(rng, 0.001, 100);
        const double d = LogUniform(rng, 0.001, 100000);
        const auto hard = detail::ComputeCycleBudget<long double>(f, d);
        const auto soft = detail::ComputeCycleBudget<detail::SoftExtended>(f, d);
        ASSERT_EQ(hard.status, soft.status) << f << " MHz, " << d << " ms";
        ASSERT_EQ(hard.cycles, soft.cycles) << f << " MHz, " << d << " ms";
        if (hard.status != detail::CycleBudget::Status::Ok || hard.cycles == 0)
            continue;
        const double hardMs = detail::ComputeApproxDelayMs<long double>(f, hard.cycles);
        const double softMs = detail::ComputeApproxDelayMs<detail::SoftExtended>(f, soft.cycles);
        ASSERT_EQ(hardMs, softMs) << f << " MHz, " << d << " ms";
        ASSERT_EQ(detail::ComputeErrorPercent<long double>(d, hardMs),
                  detail::ComputeErrorPercent<detail::SoftExtended>(d, softMs))
            << f << " MHz, " << d << " ms";
        // The same delay in µs or s takes the same steps with another divisor.
        const double perSecond = i % 2 ? 1000000 : 1;
        const double other = d * perSecond / 1000;
        const auto hardOther = detail::ComputeCycleBudget<long double>(f, other, perSecond);
        const auto softOther =
            detail::ComputeCycleBudget<detail::SoftExtended>(f, other, perSecond);
        ASSERT_EQ(hardOther.status, softOther.status)
            << f << " MHz, " << other << " / " << perSecond;
        ASSERT_EQ(hardOther.cycles, softOther.cycles)
            << f << " MHz, " << other << " / " << perSecond;
        if (hardOther.status != detail::CycleBudget::Status::Ok)
            continue;
        ASSERT_EQ(detail::ComputeApproxDelay<long double>(f, hardOther.cycles, perSecond),
                  detail::ComputeApproxDelay<detail::SoftExtended>(f, softOther.cycles, perSecond))
            << f << " MHz, " << other << " / " << perSecond;
    }
}

/// With `watchdog`, the search of a routine that clears the watchdog: 4 cycles a pass.
void ExpectSameAsExhaustive(std::int32_t target, bool watchdog = false)
{
    const DelayPlan fast = PlanLoops(target, watchdog);
    const DelayPlan reference = reference::ExhaustiveSearch(target, watchdog ? 4 : 3);
    ASSERT_EQ(fast.ClearsWatchdog, watchdog);
    ASSERT_EQ(fast.Levels, reference.Levels) << "target " << target;
    ASSERT_EQ(fast.OuterCount, reference.OuterCount) << "target " << target;
    if (fast.Levels == 3)
    {
        ASSERT_EQ(fast.MiddleCount, reference.MiddleCount) << "target " << target;
    }
    ASSERT_EQ(fast.InnerCount, reference.InnerCount) << "target " << target;
    ASSERT_EQ(fast.PadCycles, reference.PadCycles) << "target " << target;
}

TEST(LoopSearch, MatchesExhaustiveSearchAtTheRangeBoundaries)
{
    for (std::int32_t target : {8, 9, 10, 11, 12, 196094, 196095, 196096, 196097, 50005240,
                                50005241, 50005242, 50005243, 50005244, 50005245, 50005246})
    {
        ExpectSameAsExhaustive(target);
        if (target >= MinWatchdogLoopCycles)
            ExpectSameAsExhaustive(target, true);
    }
}

// Clearing the watchdog, 8 cycles leave no room for a loop block: the filler takes them all.
TEST(LoopSearch, WatchdogTargetBelowTheSmallestLoopBlockGoesToTheFiller)
{
    const DelayPlan plan = PlanLoops(8, true);
    EXPECT_EQ(plan.Levels, 0);
    EXPECT_EQ(plan.PadCycles, 8);
    EXPECT_EQ(LoopCost(plan), 0);
    EXPECT_EQ(LoopCost(PlanLoops(9, true)), 9);
}

TEST(LoopSearch, MatchesExhaustiveSearchOnRandomTargets)
{
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int32_t> twoLevel(MinTargetCycles, MaxTwoLevelTarget);
    for (int i = 0; i < 3000; ++i)
        ExpectSameAsExhaustive(twoLevel(rng));
    std::uniform_int_distribution<std::int32_t> threeLevel(MaxTwoLevelTarget + 1, MaxTargetCycles);
    for (int i = 0; i < 2000; ++i)
        ExpectSameAsExhaustive(threeLevel(rng));
    std::uniform_int_distribution<std::int32_t> twoLevelClearing(MinWatchdogLoopCycles,
                                                                 MaxTwoLevelTarget);
    for (int i = 0; i < 1000; ++i)
        ExpectSameAsExhaustive(twoLevelClearing(rng), true);
    for (int i = 0; i < 100; ++i)
        ExpectSameAsExhaustive(threeLevel(rng), true);
}
} // namespace
} // namespace kavrin
