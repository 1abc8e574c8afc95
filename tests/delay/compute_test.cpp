// The compute command: the order of its tests and the one message it gives.

#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "delay/compute.h"
#include "delay/messages.h"

namespace kavrin
{
namespace
{
ComputeInput Input(std::string frequency, std::string delay, std::string counter, std::string label,
                   bool callReturn = false)
{
    return ComputeInput{std::move(frequency), std::move(delay), std::move(label),
                        std::move(counter), callReturn};
}

std::string Outcome(const ComputeInput& input)
{
    const ComputeResult result = RunComputeCommand(input);
    if (const auto* error = std::get_if<ComputeError>(&result))
        return error->message;
    return "OK";
}

TEST(RunComputeCommand, StopsAtTheFirstFailedTest)
{
    const std::string tooLong(256, 'X');
    const struct
    {
        ComputeInput input;
        std::string outcome;
    } cases[] = {
        {Input("3.2768", "10", "CNT", "WAIT"), "OK"},
        {Input("3,2768", "10", "CNT", "WAIT"), "OK"},
        {Input("4MHz", "x", "", ""), msg::FrequencyNotNumber},
        {Input("1,000.5", "10", "CNT", "WAIT"), msg::FrequencyNotNumber},
        {Input("4", "10 ms", "", ""), msg::DelayNotNumber},
        {Input("4", "10", "", ""), msg::CounterEmpty},
        {Input("4", "10", "CNT", ""), msg::LabelEmpty},
        {Input("4", "10", "\xFF", ""), msg::CounterInvalid},
        {Input("4", "10", "CNT", "\xED\xA0\x80"), msg::LabelInvalid},
        {Input("4", "10", tooLong, ""), msg::CounterTooLong},
        {Input("4", "10", "CNT", tooLong), msg::LabelTooLong},
        {Input("0", "10", "CNT", "WAIT"), msg::DelayTooSmall},
        {Input("-4", "10", "CNT", "WAIT"), msg::DelayTooSmall},
        {Input("4", "0.0119", "CNT", "WAIT", true), msg::DelayTooSmall},
        {Input("4", "0.0119", "CNT", "WAIT", false), "OK"},
        {Input("20", "1000000", "CNT", "WAIT"), msg::DelayTooLarge},
        {Input("0", "10", "", ""), msg::CounterEmpty}, // names come before the plan
        {Input("4", "10", " ", " "), "OK"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("frequency \"" + c.input.frequency + "\", delay \"" + c.input.delay + "\"");
        EXPECT_EQ(Outcome(c.input), c.outcome);
    }
}

TEST(RunComputeCommand, ReturnsThePlanAndItsText)
{
    const ComputeResult result = RunComputeCommand(Input("4", "10", "ČÍTAČ", "ČEKEJ", true));
    const auto& routine = std::get<DelayRoutine>(result);
    EXPECT_EQ(routine.plan.TargetCycles, 9995);
    EXPECT_NEAR(routine.errorPercent, -0.0100010001, 1e-9);
    EXPECT_EQ(routine.text, WriteDelayRoutine(routine.plan, 10, "ČEKEJ", "ČÍTAČ"));
    EXPECT_NE(routine.text.find("\nČEKEJ\n\tMOVLW\tD'19'\n\tMOVWF\tČÍTAČ2\n"), std::string::npos);
}
// A routine that waits W units needs 3 cycles per unit for its unit loop and 4 more with CALL and
// RETURN counted; its largest unit is today's largest delay.
TEST(RunComputeCommand, TimesWRangeAndPlan)
{
    const RoutineFormat timesW{RoutineSyntax::Classic, FillerKind::Loop, PicCore::Midrange, true};
    const struct
    {
        const char* delay; // ms at 4 MHz: N cycles
        bool callReturn;
        std::string outcome;
        std::int32_t body; // the body's cycles: N - 3, or N - 7 with CALL and RETURN counted
    } cases[] = {
        {"0.0101", false, msg::DelayTooSmall, 0}, // N = 10
        {"0.0111", false, "OK", 8},
        {"0.0141", true, msg::DelayTooSmall, 0}, // N = 14: a routine without W would be 10
        {"0.0151", true, "OK", 8},
        {"1", true, "OK", 992},
        {"50005.2465", false, "OK", 50005243},
        {"50005.2475", false, msg::DelayTooLarge, 0},
        {"50005.2505", true, "OK", 50005243},
        {"50005.2515", true, msg::DelayTooLarge, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.delay);
        const ComputeResult result =
            RunComputeCommand(Input("4", c.delay, "CNT", "WAIT", c.callReturn), timesW);
        if (const auto* error = std::get_if<ComputeError>(&result))
        {
            EXPECT_EQ(error->message, c.outcome);
            continue;
        }
        ASSERT_EQ(c.outcome, "OK");
        const auto& routine = std::get<DelayRoutine>(result);
        EXPECT_EQ(routine.plan.TargetCycles, c.body);
        EXPECT_EQ(routine.plan.CallReturnCounted, c.callReturn);
        EXPECT_EQ(routine.words, RoutineWords(routine.plan, timesW));
        EXPECT_NE(routine.text.find("\tMOVWF\tCNTW\n"), std::string::npos);
    }
}
// Clearing the watchdog keeps the range of every form, and the words line counts the clearing
// filler: the delay of the largest plain filler leaves 380 cycles, 168 jumps and 44 CLRWDTs, or
// 7 instructions of loops.
TEST(RunComputeCommand, WatchdogKeepsTheRangeAndCountsItsWords)
{
    const struct
    {
        const char* delay; // ms at 4 MHz
        bool callReturn, timesW;
        std::string outcome;
    } cases[] = {
        {"0.0071", false, false, msg::DelayTooSmall},
        {"0.008", false, false, "OK"},
        {"0.0111", true, false, msg::DelayTooSmall},
        {"0.0121", true, false, "OK"},
        {"50005.2465", false, false, "OK"},
        {"50005.2475", false, false, msg::DelayTooLarge},
        {"0.0101", false, true, msg::DelayTooSmall},
        {"0.0111", false, true, "OK"},
        {"0.0141", true, true, msg::DelayTooSmall},
        {"0.0151", true, true, "OK"},
        {"50005.2505", true, true, "OK"},
        {"50005.2515", true, true, msg::DelayTooLarge},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.delay);
        RoutineFormat format;
        format.timesW = c.timesW;
        format.watchdog = true;
        const ComputeResult result =
            RunComputeCommand(Input("4", c.delay, "CNT", "WAIT", c.callReturn), format);
        if (const auto* error = std::get_if<ComputeError>(&result))
        {
            EXPECT_EQ(error->message, c.outcome);
            continue;
        }
        ASSERT_EQ(c.outcome, "OK");
        EXPECT_TRUE(std::get<DelayRoutine>(result).plan.ClearsWatchdog);
    }
    RoutineFormat format;
    format.watchdog = true;
    const ComputeResult largest =
        RunComputeCommand(Input("4", "50005.2455", "CNT", "WAIT"), format);
    const auto& routine = std::get<DelayRoutine>(largest);
    EXPECT_EQ(routine.plan.PadCycles, 380);
    EXPECT_EQ(routine.fillerInstructions, 168 + 44);
    EXPECT_EQ(routine.words, 12 + 1 + 168 + 44 + 1);
    EXPECT_EQ(routine.loopWords, 12 + 1 + 7 + 1);
    EXPECT_TRUE(routine.offersLoopFiller);
}
} // namespace
} // namespace kavrin
