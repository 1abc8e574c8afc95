#include "compute.h"

#include <cstddef>
#include <optional>

#include "assembler_names.h"
#include "input_rules.h"
#include "messages.h"

namespace kavrin
{
namespace
{
struct NameMessages
{
    const char* empty;
    const char* invalid;
    const char* tooLong;
    /// What the layout's assembler has against the name, by AssemblerNameFault (none for Ok);
    /// a fault with no message here never befalls the name.
    const char* assembler[6];
};

constexpr NameMessages CounterMessages{msg::CounterEmpty,
                                       msg::CounterInvalid,
                                       msg::CounterTooLong,
                                       {nullptr, msg::CounterNotIdentifier, nullptr,
                                        msg::CounterReserved, msg::CounterMakesReserved, nullptr}};
constexpr NameMessages LabelMessages{msg::LabelEmpty,
                                     msg::LabelInvalid,
                                     msg::LabelTooLong,
                                     {nullptr, msg::LabelNotIdentifier,
                                      msg::LabelTooLongForAssembler, msg::LabelReserved,
                                      msg::LabelMakesReserved, msg::LabelSameAsCounter}};

/// The first of the input rules `name` fails, else what its layout's assembler has against it.
std::optional<ComputeError> NameError(const std::string& name, const NameMessages& messages,
                                      AssemblerNameFault fault)
{
    switch (CheckName(name))
    {
    case NameProblem::Ok:
        break;
    case NameProblem::Empty:
        return ComputeError{messages.empty};
    case NameProblem::InvalidUtf8:
        return ComputeError{messages.invalid};
    case NameProblem::TooLong:
        return ComputeError{messages.tooLong};
    }
    if (fault == AssemblerNameFault::Ok)
        return std::nullopt;
    const char* message = messages.assembler[static_cast<std::size_t>(fault)];
    return ComputeError{message ? message : messages.invalid};
}

/// The wanted delay read in `unit`: a number, or a whole number of cycles.
std::optional<double> ReadDelay(const std::string& text, DelayUnit unit)
{
    if (unit != DelayUnit::Cycles)
        return ParseFieldNumber(text);
    const std::optional<std::int64_t> count = ParseFieldWholeNumber(text);
    if (!count)
        return std::nullopt;
    return static_cast<double>(*count); // exact: at most MaxWholeNumber
}
} // namespace

ComputeResult RunComputeCommand(const ComputeInput& input, const RoutineFormat& format)
{
    const std::optional<double> frequency = ParseFieldNumber(input.frequency);
    if (!frequency)
        return ComputeError{msg::FrequencyNotNumber};
    // A count of cycles needs the frequency only for the time in its header, and no time comes
    // of a frequency that is not positive; a delay in time judges the frequency by its target.
    const bool cycles = format.unit == DelayUnit::Cycles;
    if (cycles && !(*frequency > 0))
        return ComputeError{msg::FrequencyNotPositive};
    const std::optional<double> delay = ReadDelay(input.delay, format.unit);
    if (!delay)
        return ComputeError{cycles ? msg::CyclesNotWhole : msg::DelayNotNumber};
    // Each name is judged whole, by the input rules and then by the layout's assembler.
    const Assembler assembler = AssemblerOf(format.syntax);
    if (auto error = NameError(input.counter, CounterMessages,
                               CheckCounterName(assembler, input.counter, format.timesW)))
        return *error;
    if (auto error = NameError(input.label, LabelMessages,
                               CheckLabelName(assembler, input.label, input.counter)))
        return *error;

    PlanResult planned =
        PlanDelay(*frequency, *delay, input.countCallReturn, format.unit, format.watchdog);
    if (format.timesW && std::holds_alternative<DelayPlan>(planned))
        planned = PlanUnitBody(std::get<DelayPlan>(planned));
    if (const auto* failure = std::get_if<DelayFailure>(&planned))
        return ComputeError{FailureMessage(*failure)};

    DelayRoutine routine;
    routine.plan = std::get<DelayPlan>(planned);
    routine.delay = *delay;
    routine.errorPercent = ErrorPercent(routine.plan, *delay);
    routine.text = WriteDelayRoutine(routine.plan, *delay, input.label, input.counter, format);
    routine.words = RoutineWords(routine.plan, format);
    routine.fillerInstructions =
        PlanFiller(routine.plan.PadCycles, format.filler, routine.plan.ClearsWatchdog).Words();
    RoutineFormat loopFormat = format;
    loopFormat.filler = FillerKind::Loop;
    routine.loopWords = RoutineWords(routine.plan, loopFormat);
    routine.offersLoopFiller =
        format.filler == FillerKind::Goto && routine.fillerInstructions > LoopHintInstructions;
    return routine;
}
} // namespace kavrin
