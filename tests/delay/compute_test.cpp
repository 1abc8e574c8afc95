// The compute command: the order of its tests and the one message it gives.

#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "delay/assembler_names.h"
#include "delay/choices.h"
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

// The layouts made for gpasm refuse, after the input rules, a name gpasm cannot take; the counter
// is judged whole before the label, and the classic layout takes every name.
TEST(RunComputeCommand, RefusesNamesTheLayoutsAssemblerCannotTake)
{
    constexpr auto classic = RoutineSyntax::Classic, gputils = RoutineSyntax::Gputils,
                   module = RoutineSyntax::Module;
    const struct
    {
        RoutineSyntax syntax;
        const char* counter;
        std::string label;
        bool timesW;
        std::string outcome;
    } cases[] = {
        {module, "CNT", "nop", false, msg::LabelReserved},
        {gputils, "CNT", "list", false, msg::LabelReserved},
        {classic, "CNT", "END", false, "OK"},
        {module, "CNT", "a b", false, msg::LabelNotIdentifier},
        {gputils, "CNT", "a+b", false, msg::LabelNotIdentifier},
        {classic, "CNT", "a b", false, "OK"},
        {module, "CNT", "CNT1", false, msg::LabelSameAsCounter},
        {gputils, "WAIT_PAD", "WAIT", false, msg::LabelSameAsCounter},
        {module, "d", "WAIT", true, msg::CounterMakesReserved},
        {module, "d", "WAIT", false, "OK"}, // no dW without the units counter
        {classic, "d", "WAIT", true, "OK"},
        {gputils, "2CNT", "nop", false, msg::CounterNotIdentifier},
        {module, "Movlw", "WAIT", false, msg::CounterReserved},
        {module, "CNT", std::string(GpasmMaxLabel + 1, 'L'), false, msg::LabelTooLongForAssembler},
        {module, "CNT", std::string(GpasmMaxLabel, 'L'), true, "OK"},
        {module, "", "nop", false, msg::CounterEmpty},
        {gputils, "CNT", "", false, msg::LabelEmpty},
        {gputils, "Čítač", "", false, msg::CounterNotIdentifier},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string("counter \"") + c.counter + "\", label \"" + c.label + "\"");
        RoutineFormat format;
        format.syntax = c.syntax;
        format.timesW = c.timesW;
        const ComputeResult result =
            RunComputeCommand(Input("4", "10", c.counter, c.label), format);
        const auto* error = std::get_if<ComputeError>(&result);
        EXPECT_EQ(error ? error->message : "OK", c.outcome);
    }
    EXPECT_NE(std::string(msg::LabelTooLongForAssembler).find(std::to_string(GpasmMaxLabel)),
              std::string::npos);
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

// The delay in every unit: µs and s take the steps of ms with their own divisor, so 10000 µs lose
// the cycle 10 ms lose; cycles are N itself, a whole number within the target's limits.
TEST(RunComputeCommand, DelayInEveryUnit)
{
    constexpr DelayUnit us = DelayUnit::Microseconds, ms = DelayUnit::Milliseconds,
                        s = DelayUnit::Seconds, cycles = DelayUnit::Cycles;
    const struct
    {
        const char* frequency;
        const char* delay;
        DelayUnit unit;
        bool callReturn;
        const char* message; // nullptr: a routine of N cycles with this header
        std::int32_t cycles, target;
        const char* header;
    } cases[] = {
        {"4", "40", us, false, nullptr, 40, 40, "40.00000 [us], Error: 0.00000%"},
        {"4", "10000", us, false, nullptr, 9999, 9999, "9999.00000 [us], Error: -0.01000%"},
        {"4", "10", ms, false, nullptr, 9999, 9999, "9.99900 [ms], Error: -0.01000%"},
        {"4", "0.01", s, false, nullptr, 10000, 10000, "0.01000000 [s], Error: 0.00000%"},
        {"4", "10000", cycles, false, nullptr, 10000, 10000,
         "10000 [cycles] (10.00000 [ms]), Error: 0.00000%"},
        {"1", "1000", us, false, nullptr, 249, 249, "996.00000 [us], Error: -0.40161%"},
        // No division in seconds: the quotient is not rounded below 250.
        {"1", "0.001", s, false, nullptr, 250, 250, "0.00100000 [s], Error: 0.00000%"},
        {"4", "0.5", s, false, nullptr, 499999, 499999, "0.49999900 [s], Error: -0.00020%"},
        {"3,2768", "10000", us, true, nullptr, 8192, 8188, "10000.00000 [us], Error: 0.00000%"},
        {"4", "40", us, true, nullptr, 40, 36, "40.00000 [us], Error: 0.00000%"},
        {"4", "0,01", s, true, nullptr, 10000, 9996, "0.01000000 [s], Error: 0.00000%"},
        {"4", "10000", cycles, true, nullptr, 10000, 9996,
         "10000 [cycles] (10.00000 [ms]), Error: 0.00000%"},
        {"3.2768", "8192", cycles, false, nullptr, 8192, 8192,
         "8192 [cycles] (10.00000 [ms]), Error: 0.00000%"},
        {"4", "7", us, false, msg::DelayTooSmall, 0, 0, nullptr},
        {"0", "40", us, false, msg::DelayTooSmall, 0, 0, nullptr},
        {"20", "1000", s, false, msg::DelayTooLarge, 0, 0, nullptr},
        // The limits of the target, after CALL and RETURN when they are counted.
        {"4", "8", cycles, false, nullptr, 8, 8, "8 [cycles] (0.00800 [ms]), Error: 0.00000%"},
        {"4", "7", cycles, false, msg::DelayTooSmall, 0, 0, nullptr},
        {"4", "12", cycles, true, nullptr, 12, 8, "12 [cycles] (0.01200 [ms]), Error: 0.00000%"},
        {"4", "11", cycles, true, msg::DelayTooSmall, 0, 0, nullptr},
        {"4", "50005246", cycles, false, nullptr, 50005246, 50005246,
         "50005246 [cycles] (50005.24600 [ms]), Error: 0.00000%"},
        {"4", "50005247", cycles, false, msg::DelayTooLarge, 0, 0, nullptr},
        {"4", "50005250", cycles, true, nullptr, 50005250, 50005246,
         "50005250 [cycles] (50005.25000 [ms]), Error: 0.00000%"},
        {"4", "50005251", cycles, true, msg::DelayTooLarge, 0, 0, nullptr},
        {"4", "0", cycles, false, msg::DelayTooSmall, 0, 0, nullptr},
        {"4", "-10000", cycles, false, msg::DelayTooSmall, 0, 0, nullptr},
        {"4", "99999999999999999999999", cycles, false, msg::DelayTooLarge, 0, 0, nullptr},
        {"4", "-99999999999999999999999", cycles, false, msg::DelayTooSmall, 0, 0, nullptr},
        // Blanks and signs as in the other fields; no fraction (the whole-number rule has the
        // rest).
        {"4", " \t+0010000", cycles, false, nullptr, 10000, 10000,
         "10000 [cycles] (10.00000 [ms]), Error: 0.00000%"},
        {"4", "10000 ", cycles, false, msg::CyclesNotWhole, 0, 0, nullptr},
        {"4", "10000.0", cycles, false, msg::CyclesNotWhole, 0, 0, nullptr},
        // The frequency is judged first, and with cycles it must be positive to give a time.
        {"4MHz", "8.5", cycles, false, msg::FrequencyNotNumber, 0, 0, nullptr},
        {"0", "8.5", cycles, false, msg::FrequencyNotPositive, 0, 0, nullptr},
        {"-4", "10000", cycles, false, msg::FrequencyNotPositive, 0, 0, nullptr},
        {"0.001", "10000", cycles, false, nullptr, 10000, 10000,
         "10000 [cycles] (40000.00000 [ms]), Error: 0.00000%"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message()
                     << c.frequency << " MHz, delay \"" << c.delay << "\", unit "
                     << static_cast<int>(c.unit) << (c.callReturn ? ", ticked" : ""));
        RoutineFormat format;
        format.unit = c.unit;
        const ComputeResult result =
            RunComputeCommand(Input(c.frequency, c.delay, "CNT", "WAIT", c.callReturn), format);
        if (c.message)
        {
            ASSERT_TRUE(std::holds_alternative<ComputeError>(result));
            EXPECT_EQ(std::get<ComputeError>(result).message, c.message);
            continue;
        }
        ASSERT_TRUE(std::holds_alternative<DelayRoutine>(result));
        const auto& routine = std::get<DelayRoutine>(result);
        EXPECT_EQ(routine.plan.CycleCount, c.cycles);
        EXPECT_EQ(routine.plan.TargetCycles, c.target);
        EXPECT_EQ(routine.text.substr(0, routine.text.find('\n')),
                  std::string("; Approximated delay: ") + c.header + " ");
    }
}

// With the delay in cycles the names are still judged before the limits, after the count.
TEST(RunComputeCommand, CyclesKeepTheOrderOfTheTests)
{
    RoutineFormat format;
    format.unit = DelayUnit::Cycles;
    const auto outcome = [&format](const ComputeInput& input)
    {
        const ComputeResult result = RunComputeCommand(input, format);
        const auto* error = std::get_if<ComputeError>(&result);
        return error ? error->message : std::string("OK");
    };
    EXPECT_EQ(outcome(Input("0", "8.5", "", "")), msg::FrequencyNotPositive);
    EXPECT_EQ(outcome(Input("4", "8.5", "", "")), msg::CyclesNotWhole);
    EXPECT_EQ(outcome(Input("4", "7", "", "")), msg::CounterEmpty);
    EXPECT_EQ(outcome(Input("4", "7", "CNT", "")), msg::LabelEmpty);
    // W units of N cycles: a body of N - 3.
    format.timesW = true;
    EXPECT_EQ(outcome(Input("4", "10", "CNT", "WAIT")), msg::DelayTooSmall);
    const ComputeResult result = RunComputeCommand(Input("4", "11", "CNT", "WAIT"), format);
    EXPECT_EQ(std::get<DelayRoutine>(result).plan.TargetCycles, 8);
}

TEST(DelayCaption, NamesTheUnit)
{
    const struct
    {
        DelayUnit unit;
        std::string caption;
    } cases[] = {
        {DelayUnit::Microseconds, "Doba zpoždění [µs]"},
        {DelayUnit::Milliseconds, "Doba zpoždění [ms]"},
        {DelayUnit::Seconds, "Doba zpoždění [s]"},
        {DelayUnit::Cycles, "Počet cyklů"},
    };
    for (const auto& c : cases)
    {
        RoutineFormat format;
        format.unit = c.unit;
        EXPECT_EQ(DelayCaption(format), c.caption);
        // The choice's word of each value is the unit of the same number.
        EXPECT_EQ(ChoiceOf("unit").get(format), static_cast<int>(c.unit));
    }
    EXPECT_EQ(WordIn(ChoiceOf("unit"), RoutineFormat{}), "ms");
}
} // namespace
} // namespace kavrin
