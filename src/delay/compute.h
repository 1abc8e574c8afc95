#pragma once
// The compute command: four field texts and the check box in, the routine or one message out.

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "fields.h"
#include "plan.h"
#include "routine.h"

namespace kavrin
{
/// What the user entered, as the window's fields hold it (names in UTF-8); what is left out is
/// the field's start value (see fields.h).
struct ComputeInput
{
    std::string frequency = TextFields[FrequencyRow].startValue; ///< MHz
    std::string delay = TextFields[DelayRow].startValue; ///< in the format's unit, ms by default
    std::string label = TextFields[LabelRow].startValue; ///< name of the routine and its loops
    std::string counter = TextFields[CounterRow].startValue; ///< base name of the counters
    bool countCallReturn = CountCallReturnField.startValue;  ///< CALL and RETURN count too

    /// The text of TextFields' row `row`.
    std::string& Text(std::size_t row)
    {
        std::string* const texts[] = {&frequency, &delay, &label, &counter};
        return *texts[row];
    }
};

/// A successful computation.
struct DelayRoutine
{
    DelayPlan plan;
    double delay = 0; ///< the wanted delay in the format's unit
    double errorPercent = 0;
    std::string text;                    ///< the routine, ending in its return without a line feed
    std::int32_t words = 0;              ///< instruction words of the routine
    std::int32_t fillerInstructions = 0; ///< instructions of its filler
    std::int32_t loopWords = 0;          ///< words of the same routine with the loop filler
    /// The goto filler takes more than LoopHintInstructions: the loop filler would be shorter,
    /// and the window and the page say so.
    bool offersLoopFiller = false;
};

/// The longest goto filler, in instructions, that the window and the page take without a hint.
inline constexpr std::int32_t LoopHintInstructions = 12;

/// The first failed test of a computation: the message to show, in Czech.
struct ComputeError
{
    std::string message;
};

using ComputeResult = std::variant<DelayRoutine, ComputeError>;

/// Runs the tests in the user's order (frequency, delay, counter name, label name, plan) and
/// stops at the first failure; with the delay in cycles, the frequency must also be positive and
/// the delay a whole number; each name must also suit the assembler of `format.syntax`
/// (`CheckCounterName`, `CheckLabelName`); otherwise plans and writes the routine in `format`. With
/// `format.timesW` the plan is one unit's body (`PlanUnitBody`), and a delay too short for the
/// unit loop is too small. With `format.watchdog` the plan is that of a routine that clears the
/// watchdog.
ComputeResult RunComputeCommand(const ComputeInput& input, const RoutineFormat& format = {});
} // namespace kavrin
