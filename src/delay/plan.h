#pragma once
// Turns an oscillator frequency and a wanted delay into nested DECFSZ loop counts.

#include <cstdint>
#include <variant>

namespace kavrin
{
/// Smallest target a two-level loop block can take (every count 1).
inline constexpr std::int32_t MinTargetCycles = 8;
/// Largest target searched with two levels; the two-level maximum itself (196096) goes to three.
inline constexpr std::int32_t MaxTwoLevelTarget = 196095;
/// Largest target of all: three levels with every count 255.
inline constexpr std::int32_t MaxTargetCycles = 50005246;

/// Cycles of the CALL that reaches the routine plus its RETURN.
inline constexpr std::int32_t CallReturnCycles = 4;

/// Cycles of one pass of the innermost loop (DECFSZ and the jump back); one more when the pass
/// also clears the watchdog (CLRWDT).
inline constexpr std::int64_t InnerPassCycles = 3;
inline constexpr std::int64_t WatchdogInnerPassCycles = 4;
/// The smallest loop block whose innermost loop clears the watchdog (every count 1): a target
/// below it (8 cycles) is spent by the filler alone, with no loop block (`Levels` 0).
inline constexpr std::int32_t MinWatchdogLoopCycles = 9;

/// The unit the wanted delay is given in. Each is the enumerator of its word in the choices
/// table, in the same order.
enum class DelayUnit
{
    Microseconds,
    Milliseconds,
    Seconds,
    /// Instruction cycles: the delay is N itself, a whole number.
    Cycles,
};

/// How many of `unit` make one second: 1000000, 1000 or 1; 0 for cycles, which are no time.
double UnitsPerSecond(DelayUnit unit);

/// The outcome of the loop search, written out by `WriteDelayRoutine`.
struct DelayPlan
{
    std::int32_t CycleCount = 0; ///< N: whole instruction cycles in the wanted delay
    double ApproxDelayMs = 0;    ///< N cycles in milliseconds
    /// N cycles in the unit of the wanted delay (N itself for cycles): what the header shows and
    /// the error figure compares with the wanted delay.
    double ApproxDelay = 0;
    /// Cycles for loops plus filler: N, or N - 4 with CALL/RETURN; for the body of one unit of a
    /// routine that waits W units, N - 3, or N - 7 with CALL/RETURN.
    std::int32_t TargetCycles = 0;
    /// 2 or 3 nested loops; 0 (every count 0) for a target the filler spends alone, which only
    /// a routine that clears the watchdog has.
    int Levels = 2;
    int OuterCount = 1;             ///< 1..255
    int MiddleCount = 0;            ///< 1..255 with three levels; 0 (unused) with two
    int InnerCount = 1;             ///< 1..255
    std::int32_t PadCycles = 0;     ///< filler cycles: TargetCycles minus the loop cost
    bool CallReturnCounted = false; ///< the CALL and RETURN count towards the delay
    /// The innermost loop clears the watchdog: each of its passes takes one cycle more.
    bool ClearsWatchdog = false;
};

enum class DelayFailure
{
    DelayTooSmall, ///< target below 8 cycles
    DelayTooLarge, ///< target above 50005246 cycles
};

using PlanResult = std::variant<DelayPlan, DelayFailure>;

/// Plans the delay routine for `frequencyMHz` and a wanted `delay` in `unit`; `countCallReturn`
/// makes the CALL and RETURN part of the delay; with `clearsWatchdog` the loops are those of a
/// routine that clears the watchdog. Inputs may be any finite doubles; only the target is judged.
/// In cycles the delay is N truncated toward zero (the compute command hands only whole numbers),
/// and the frequency gives only `ApproxDelayMs`.
PlanResult PlanDelay(double frequencyMHz, double delay, bool countCallReturn,
                     DelayUnit unit = DelayUnit::Milliseconds, bool clearsWatchdog = false);

/// Loop counts and filler for `targetCycles` (MinTargetCycles..MaxTargetCycles): the fields
/// from `TargetCycles` on; `CycleCount` and the reached delays are left for the caller. With
/// `clearsWatchdog` the innermost pass takes WatchdogInnerPassCycles, and a target below
/// MinWatchdogLoopCycles gets no loop block.
DelayPlan PlanLoops(std::int32_t targetCycles, bool clearsWatchdog = false);

/// A routine that waits W units of a delay of N cycles runs one body (loop block and filler) per
/// unit. Each unit spends this much outside its body: the DECFSZ of the units counter and the
/// jump back, or on the last unit the MOVWF that loads the counter on entry and the skip.
inline constexpr std::int32_t UnitLoopCycles = 3;
/// With CALL and RETURN counted, every unit but the last also jumps out of the unit loop, spends
/// two cycles and jumps back; the last unit spends those 4 cycles in the CALL and the RETURN.
inline constexpr std::int32_t UnitTailCycles = CallReturnCycles;

/// The body of one unit of a routine that waits W units of `unit` (a plan from PlanDelay): the
/// loop counts and filler for N - 3 cycles, N - 7 with CALL and RETURN counted. `CycleCount`,
/// the reached delays and `CallReturnCounted` stay the unit's. DelayTooSmall when the body would be
/// shorter than MinTargetCycles (N below 11, or 15 with CALL and RETURN counted). The body
/// clears the watchdog when the unit's plan does.
PlanResult PlanUnitBody(const DelayPlan& unit);

/// The user-visible text of a failure.
const char* FailureMessage(DelayFailure failure);

/// Cycles from entering a loop block to the instruction after it; `innerPass` is the cycles of
/// one pass of the innermost loop.
std::int64_t TwoLevelCost(std::int64_t outer, std::int64_t inner,
                          std::int64_t innerPass = InnerPassCycles);
std::int64_t ThreeLevelCost(std::int64_t outer, std::int64_t middle, std::int64_t inner,
                            std::int64_t innerPass = InnerPassCycles);

/// Cost of the loop block of `plan`.
std::int64_t LoopCost(const DelayPlan& plan);
} // namespace kavrin
