#pragma once
// The cycle budget in extended precision: a 64-bit significand, every operation rounded to
// nearest-even. The figures users compare against were produced that way, and a double
// computation differs (1 MHz and 1 ms give 249 cycles here, not 250).
//
// Where long double is the x87 80-bit format (x86, MinGW) it is used directly; elsewhere
// (AArch64's and WebAssembly's quad, MSVC's double) Boost's software 80-bit float gives the same
// results.

#include <cfloat>
#include <cmath>
#include <cstdint>

#include <boost/multiprecision/cpp_bin_float.hpp>

namespace kavrin::detail
{
using SoftExtended = boost::multiprecision::cpp_bin_float_double_extended;

#if LDBL_MANT_DIG == 64 && !defined(KAVRIN_SOFT_EXTENDED)
using Extended = long double;
inline constexpr bool UsesSoftExtended = false;
#else
using Extended = SoftExtended;
inline constexpr bool UsesSoftExtended = true;
#endif

/// Whole instruction cycles in a delay, or why there is no such count.
struct CycleBudget
{
    enum class Status
    {
        Ok,
        BelowRange, ///< quotient at or below -2^31 - 1
        AboveRange, ///< quotient at or above 2^31
    };
    Status status = Status::Ok;
    std::int32_t cycles = 0;
};

template <class X> double ToDouble(const X& x)
{
    return static_cast<double>(x);
}

/// Cycle time in seconds for a frequency in MHz: 1 / (1000000 * f * 0.25).
template <class X> X CycleSeconds(double frequencyMHz)
{
    X hz = X(1000000) * X(frequencyMHz);
    X cyclesPerSecond = hz * X(0.25);
    return X(1) / cyclesPerSecond; // infinite for a zero frequency; the quotient is then 0
}

/// The budget for a quotient of cycles: N truncated toward zero, or the side of the 32-bit range
/// it leaves.
template <class X> CycleBudget BudgetOf(const X& quotient)
{
    CycleBudget budget;
    if (quotient >= X(2147483648.0))
        budget.status = CycleBudget::Status::AboveRange;
    else if (quotient <= X(-2147483649.0))
        budget.status = CycleBudget::Status::BelowRange;
    else
    {
        using std::trunc;
        budget.cycles = static_cast<std::int32_t>(static_cast<long long>(trunc(quotient)));
    }
    return budget;
}

/// N = trunc((d / u) / T) for a delay d given in units of which u make one second (1000 for ms,
/// 1000000 for us, 1 for s), step by step in the order the figures were first computed.
template <class X>
CycleBudget ComputeCycleBudget(double frequencyMHz, double delay, double unitsPerSecond = 1000)
{
    // Each step is rounded on its own, so computing the delay in seconds after the cycle time
    // gives the same quotient as computing it in between. Dividing by 1 is exact: a delay in
    // seconds is taken as it is.
    return BudgetOf<X>((X(delay) / X(unitsPerSecond)) / CycleSeconds<X>(frequencyMHz));
}

/// N cycles in units of which `unitsPerSecond` make one second: (T * N) * u, rounded to double
/// once at the end.
template <class X>
double ComputeApproxDelay(double frequencyMHz, std::int32_t cycles, double unitsPerSecond)
{
    X cycleTime = CycleSeconds<X>(frequencyMHz);
    return ToDouble((cycleTime * X(cycles)) * X(unitsPerSecond));
}

/// N cycles in milliseconds: (T * N) * 1000, rounded to double once at the end.
template <class X> double ComputeApproxDelayMs(double frequencyMHz, std::int32_t cycles)
{
    return ComputeApproxDelay<X>(frequencyMHz, cycles, 1000);
}

/// Error of the reached delay in per cent, relative to the reached delay: (1 - d / a) * 100,
/// both in the same unit.
template <class X> double ComputeErrorPercent(double delay, double approxDelay)
{
    return ToDouble((X(1) - X(delay) / X(approxDelay)) * X(100));
}
} // namespace kavrin::detail
