// The routine text: byte for byte where users have the figures, and its structure elsewhere.

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>

#include "delay/plan.h"
#include "delay/routine.h"
#include "support/cycle_counter.h"

namespace kavrin
{
namespace
{
DelayPlan Plan(double frequency, double delay, bool callReturn = false)
{
    return std::get<DelayPlan>(PlanDelay(frequency, delay, callReturn));
}

/// The plan the routine of `format` is written from: with `timesW`, one unit's body.
DelayPlan Plan(double frequency, double delay, bool callReturn, const RoutineFormat& format)
{
    const DelayPlan unit =
        std::get<DelayPlan>(PlanDelay(frequency, delay, callReturn, format.unit, format.watchdog));
    return format.timesW ? std::get<DelayPlan>(PlanUnitBody(unit)) : unit;
}

std::string Routine(double frequency, double delay, bool callReturn = false,
                    const RoutineFormat& format = {})
{
    return WriteDelayRoutine(Plan(frequency, delay, callReturn, format), delay, "WAIT", "CNT",
                             format);
}

std::size_t Count(const std::string& text, const std::string& piece)
{
    std::size_t n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++n;
    return n;
}

const char* const DefaultRoutine = "; Approximated delay: 10.00000 [ms], Error: 0.00000% \n"
                                   "\n"
                                   "WAIT\n"
                                   "\tMOVLW\tD'117'\n"
                                   "\tMOVWF\tCNT2\n"
                                   "\tWAIT_LOOP1\n"
                                   "\t\tMOVLW\tD'22'\n"
                                   "\t\tMOVWF\tCNT1\n"
                                   "\t\tWAIT_LOOP2\n"
                                   "\t\t\tDECFSZ\tCNT1,1\n"
                                   "\t\tGOTO\tWAIT_LOOP2\n"
                                   "\tDECFSZ\tCNT2,1\n"
                                   "\tGOTO\tWAIT_LOOP1\n"
                                   "\tnop\n"
                                   "RETURN";

TEST(WriteDelayRoutine, DefaultInputGivesTheFifteenLineRoutine)
{
    EXPECT_EQ(Routine(3.2768, 10), DefaultRoutine);
}

TEST(WriteDelayRoutine, ThreeLevelBlockLoadsOuterMiddleInner)
{
    EXPECT_EQ(Routine(3.2768, 1000), "; Approximated delay: 1000.00000 [ms], Error: 0.00000% \n"
                                     "\n"
                                     "WAIT\n"
                                     "\tMOVLW\tD'213'\n"
                                     "\tMOVWF\tCNT3\n"
                                     "\tWAIT_LOOP1\n"
                                     "\t\tMOVLW\tD'113'\n"
                                     "\t\tMOVWF\tCNT2\n"
                                     "\t\tWAIT_LOOP2\n"
                                     "\t\t\tMOVLW\tD'10'\n"
                                     "\t\t\tMOVWF\tCNT1\n"
                                     "\t\t\tWAIT_LOOP3\n"
                                     "\t\t\t\tDECFSZ\tCNT1,1\n"
                                     "\t\t\tGOTO\tWAIT_LOOP3\n"
                                     "\t\tDECFSZ\tCNT2,1\n"
                                     "\t\tGOTO\tWAIT_LOOP2\n"
                                     "\tDECFSZ\tCNT3\n"
                                     "\tGOTO\tWAIT_LOOP1\n"
                                     "\tnop\n"
                                     "RETURN");
}

TEST(WriteDelayRoutine, HeaderAndFillerMatchTheWorkedFigures)
{
    const struct
    {
        double frequency, delay;
        bool callReturn;
        const char* header;
        std::size_t gotos, nops;
    } cases[] = {
        {3.2768, 10, false, "10.00000 [ms], Error: 0.00000%", 0, 1},
        {3.2768, 10, true, "10.00000 [ms], Error: 0.00000%", 1, 1},
        {1, 1, false, "0.99600 [ms], Error: -0.40161%", 0, 0},
        {4, 10, false, "9.99900 [ms], Error: -0.01000%", 0, 1},
        {4, 10, true, "9.99900 [ms], Error: -0.01000%", 0, 0},
        {3.2768, 1, false, "0.99976 [ms], Error: -0.02442%", 0, 0},
        {4, 0.0121, true, "0.01200 [ms], Error: -0.83333%", 0, 0},
        {4, 196.0955, false, "196.09500 [ms], Error: -0.00025%", 382, 0},
        {3.2768, 1000, false, "1000.00000 [ms], Error: 0.00000%", 0, 1},
        {20, 1000, false, "1000.00000 [ms], Error: 0.00000%", 2, 0},
        {4, 500, false, "499.99900 [ms], Error: -0.00020%", 0, 0},
        {4, 50005.2455, false, "50005.24500 [ms], Error: -0.00000%", 97537, 0},
        {-4, -10, false, "-9.99900 [ms], Error: -0.01000%", 0, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.frequency << " MHz, " << c.delay << " ms");
        const std::string text = Routine(c.frequency, c.delay, c.callReturn);
        EXPECT_EQ(text.substr(0, text.find('\n')),
                  std::string("; Approximated delay: ") + c.header + " ");
        EXPECT_EQ(Count(text, "\tgoto\t$+1\n"), c.gotos);
        EXPECT_EQ(Count(text, "\tnop\n"), c.nops);
        EXPECT_EQ(text.substr(text.size() - 7), "\nRETURN");
    }
}

TEST(WriteDelayRoutine, LongestFillerGivesTheFullText)
{
    EXPECT_EQ(Routine(4, 50005.2455).size(), 975664u);
}

TEST(WriteDelayRoutine, DecimalPointDoesNotFollowTheLocale)
{
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "cs_CZ.UTF-8"), nullptr);
    EXPECT_EQ(Routine(3.2768, 10), DefaultRoutine);
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(WriteDelayRoutine, GputilsLayoutMovesLabelsAndReturnAndNamesTheDestination)
{
    for (double delay : {10.0, 1000.0})
    {
        std::string classic = Routine(3.2768, delay);
        const std::string gputils = Routine(3.2768, delay, false, {RoutineSyntax::Gputils});
        for (const char* label : {"WAIT_LOOP1\n", "WAIT_LOOP2\n", "WAIT_LOOP3\n"})
        {
            const auto at = classic.find(label);
            if (at == std::string::npos)
                continue;
            auto lineStart = classic.rfind('\n', at) + 1;
            if (classic.compare(lineStart, at - lineStart, std::string(at - lineStart, '\t')) == 0)
                classic.erase(lineStart, at - lineStart); // label line: drop its indent
        }
        classic.insert(classic.size() - 6, "\t");
        // gpasm is told the destination of the three-level block's outermost DECFSZ too.
        if (const auto at = classic.find("\tDECFSZ\tCNT3\n"); at != std::string::npos)
            classic.insert(at + 12, ",1");
        EXPECT_EQ(classic, gputils);
    }
}

TEST(WriteDelayRoutine, NamesAreInsertedVerbatimWhateverTheirLength)
{
    const std::string label(255, 'L');
    const std::string counter = "počet ";
    for (double delay : {10.0, 1000.0})
    {
        const DelayPlan plan = Plan(3.2768, delay);
        const std::string text = WriteDelayRoutine(plan, delay, label, counter);
        const std::size_t levels = static_cast<std::size_t>(plan.Levels);
        // Label: the routine, one label per loop and one jump back per loop.
        EXPECT_EQ(Count(text, label), 1 + 2 * levels);
        // Counter: one store and one decrement per loop.
        EXPECT_EQ(Count(text, counter), 2 * levels);
        EXPECT_NE(text.find("\tMOVWF\tpočet 1\n"), std::string::npos);
        EXPECT_EQ(text.substr(text.size() - 6), "RETURN");
    }
}

// A module is assembled on its own and declares exactly the counters its text uses.
TEST(WriteDelayRoutine, ModuleIsAnAsmFileDeclaringTheCountersItUses)
{
    EXPECT_EQ(RoutineFileExtension({RoutineSyntax::Module}), ".asm");
    EXPECT_EQ(RoutineFileExtension({RoutineSyntax::PicAs}), ".S");
    EXPECT_EQ(RoutineFileExtension({RoutineSyntax::Gputils}), ".inc");
    EXPECT_EQ(RoutineFileExtension({}), ".inc");
    const struct
    {
        double delay;
        bool timesW;
        std::vector<std::string> counters;
        bool watchdog = false;
    } cases[] = {
        {10, false, {"c1", "c2"}},
        {1000, false, {"c1", "c2", "c3"}},
        {1000, true, {"c1", "c2", "c3", "cW"}},
        {50005.2455, false, {"c1", "c2", "c3"}}, // a nested filler loop on counters 2 and 1
        // Clearing the watchdog: 8 cycles are the filler alone, with no loop block.
        {0.0098, false, {}, true},
        {0.0146, true, {"cW"}, true},
        {1000, false, {"c1", "c2", "c3"}, true},
        {50005.2455, true, {"c1", "c2", "c3", "cW"}, true},
    };
    for (const auto& c : cases)
        for (FillerKind filler : {FillerKind::Goto, FillerKind::Loop})
        {
            SCOPED_TRACE(::testing::Message() << c.delay << " ms, times W " << c.timesW);
            const RoutineFormat format{RoutineSyntax::Module, filler, PicCore::Midrange, c.timesW,
                                       c.watchdog};
            const DelayPlan plan = Plan(3.2768, c.delay, false, format);
            EXPECT_EQ(plan.Levels == 0, c.counters.size() == (c.timesW ? 1u : 0u));
            EXPECT_EQ(RoutineCounters(plan, "c", format), c.counters);
            const std::string text = WriteDelayRoutine(plan, c.delay, "L", "c", format);
            // The watchdog's bound with the header's other lines, before the call comment.
            const std::size_t bound = text.find("; Clears the watchdog at least every ");
            EXPECT_EQ(bound != std::string::npos, c.watchdog);
            if (c.watchdog)
            {
                EXPECT_LT(bound, text.find("; A module for gplink"));
            }
            for (const std::string counter : {"c1", "c2", "c3", "cW"})
            {
                const bool declared = text.find("\n" + counter + "\tRES\t1\n") != std::string::npos;
                const bool used = text.find("\t" + counter + ",") != std::string::npos;
                EXPECT_EQ(declared, used) << counter;
            }
        }
}

// Each core's text: only the jumps, the two-cycle filler and the return differ.
TEST(WriteDelayRoutine, EveryCoreFillerAndLayoutByteForByte)
{
    constexpr auto Classic = RoutineSyntax::Classic;
    constexpr auto Gputils = RoutineSyntax::Gputils;
    constexpr auto Module = RoutineSyntax::Module;
    constexpr auto PicAs = RoutineSyntax::PicAs;
    constexpr auto Goto = FillerKind::Goto;
    constexpr auto Loop = FillerKind::Loop;
    const char* const twoLevelHead = "; Approximated delay: 10.00000 [ms], Error: 0.00000% \n"
                                     "\n"
                                     "WAIT\n"
                                     "\tMOVLW\tD'93'\n"
                                     "\tMOVWF\tCNT2\n"
                                     "\tWAIT_LOOP1\n"
                                     "\t\tMOVLW\tD'28'\n"
                                     "\t\tMOVWF\tCNT1\n"
                                     "\t\tWAIT_LOOP2\n"
                                     "\t\t\tDECFSZ\tCNT1,1\n";
    // gpasm is told every destination, and on PIC18 the access bank.
    const auto threeLevelHead = [](const std::string& access)
    {
        return "; Approximated delay: 50005.24500 [ms], Error: -0.00000% \n"
               "\n"
               "WAIT\n"
               "\tMOVLW\tD'255'\n"
               "\tMOVWF\tCNT3" +
               access +
               "\n"
               "WAIT_LOOP1\n"
               "\t\tMOVLW\tD'255'\n"
               "\t\tMOVWF\tCNT2" +
               access +
               "\n"
               "WAIT_LOOP2\n"
               "\t\t\tMOVLW\tD'254'\n"
               "\t\t\tMOVWF\tCNT1" +
               access +
               "\n"
               "WAIT_LOOP3\n"
               "\t\t\t\tDECFSZ\tCNT1,1" +
               access + "\n";
    };
    const struct
    {
        double frequency, delay;
        bool callReturn;
        RoutineFormat format;
        std::string text;
    } cases[] = {
        {3.2768,
         10,
         true,
         {Classic, Goto, PicCore::Baseline},
         std::string(twoLevelHead) + "\t\tGOTO\tWAIT_LOOP2\n"
                                     "\tDECFSZ\tCNT2,1\n"
                                     "\tGOTO\tWAIT_LOOP1\n"
                                     "\tgoto\t$+1\n"
                                     "\tnop\n"
                                     "RETLW\t0"},
        {3.2768,
         10,
         true,
         {Classic, Goto, PicCore::Midrange},
         std::string(twoLevelHead) + "\t\tGOTO\tWAIT_LOOP2\n"
                                     "\tDECFSZ\tCNT2,1\n"
                                     "\tGOTO\tWAIT_LOOP1\n"
                                     "\tgoto\t$+1\n"
                                     "\tnop\n"
                                     "RETURN"},
        {3.2768,
         10,
         true,
         {Classic, Goto, PicCore::Pic18},
         std::string(twoLevelHead) + "\t\tBRA\tWAIT_LOOP2\n"
                                     "\tDECFSZ\tCNT2,1\n"
                                     "\tBRA\tWAIT_LOOP1\n"
                                     "\tbra\t$+2\n"
                                     "\tnop\n"
                                     "RETURN"},
        {4,
         50005.2455,
         false,
         {Gputils, Loop, PicCore::Baseline},
         threeLevelHead("") + "\t\t\tGOTO\tWAIT_LOOP3\n"
                              "\t\tDECFSZ\tCNT2,1\n"
                              "\t\tGOTO\tWAIT_LOOP2\n"
                              "\tDECFSZ\tCNT3,1\n"
                              "\tGOTO\tWAIT_LOOP1\n"
                              "\tMOVLW\tD'253'\n"
                              "\tMOVWF\tCNT2\n"
                              "WAIT_PAD1\n"
                              "WAIT_PAD2\n"
                              "\t\t\tDECFSZ\tCNT1,1\n"
                              "\t\tGOTO\tWAIT_PAD2\n"
                              "\tDECFSZ\tCNT2,1\n"
                              "\tGOTO\tWAIT_PAD1\n"
                              "\tMOVLW\tD'87'\n"
                              "\tMOVWF\tCNT1\n"
                              "WAIT_PAD3\n"
                              "\t\tDECFSZ\tCNT1,1\n"
                              "\tGOTO\tWAIT_PAD3\n"
                              "\tnop\n"
                              "\tRETLW\t0"},
        {4,
         50005.2455,
         false,
         {Gputils, Loop, PicCore::Midrange},
         threeLevelHead("") + "\t\t\tGOTO\tWAIT_LOOP3\n"
                              "\t\tDECFSZ\tCNT2,1\n"
                              "\t\tGOTO\tWAIT_LOOP2\n"
                              "\tDECFSZ\tCNT3,1\n"
                              "\tGOTO\tWAIT_LOOP1\n"
                              "\tMOVLW\tD'253'\n"
                              "\tMOVWF\tCNT2\n"
                              "WAIT_PAD1\n"
                              "WAIT_PAD2\n"
                              "\t\t\tDECFSZ\tCNT1,1\n"
                              "\t\tGOTO\tWAIT_PAD2\n"
                              "\tDECFSZ\tCNT2,1\n"
                              "\tGOTO\tWAIT_PAD1\n"
                              "\tMOVLW\tD'87'\n"
                              "\tMOVWF\tCNT1\n"
                              "WAIT_PAD3\n"
                              "\t\tDECFSZ\tCNT1,1\n"
                              "\tGOTO\tWAIT_PAD3\n"
                              "\tnop\n"
                              "\tRETURN"},
        {4,
         50005.2455,
         false,
         {Gputils, Loop, PicCore::Pic18},
         threeLevelHead(",0") + "\t\t\tBRA\tWAIT_LOOP3\n"
                                "\t\tDECFSZ\tCNT2,1,0\n"
                                "\t\tBRA\tWAIT_LOOP2\n"
                                "\tDECFSZ\tCNT3,1,0\n"
                                "\tBRA\tWAIT_LOOP1\n"
                                "\tMOVLW\tD'253'\n"
                                "\tMOVWF\tCNT2,0\n"
                                "WAIT_PAD1\n"
                                "WAIT_PAD2\n"
                                "\t\t\tDECFSZ\tCNT1,1,0\n"
                                "\t\tBRA\tWAIT_PAD2\n"
                                "\tDECFSZ\tCNT2,1,0\n"
                                "\tBRA\tWAIT_PAD1\n"
                                "\tMOVLW\tD'87'\n"
                                "\tMOVWF\tCNT1,0\n"
                                "WAIT_PAD3\n"
                                "\t\tDECFSZ\tCNT1,1,0\n"
                                "\tBRA\tWAIT_PAD3\n"
                                "\tnop\n"
                                "\tRETURN"},
        // The classic layout indents the filler's loop labels like the loop block's.
        {4,
         196.0955,
         false,
         {Classic, Loop, PicCore::Pic18},
         "; Approximated delay: 196.09500 [ms], Error: -0.00025% \n"
         "\n"
         "WAIT\n"
         "\tMOVLW\tD'255'\n"
         "\tMOVWF\tCNT2\n"
         "\tWAIT_LOOP1\n"
         "\t\tMOVLW\tD'254'\n"
         "\t\tMOVWF\tCNT1\n"
         "\t\tWAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tBRA\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tBRA\tWAIT_LOOP1\n"
         "\tMOVLW\tD'254'\n"
         "\tMOVWF\tCNT1\n"
         "\tWAIT_PAD1\n"
         "\t\tDECFSZ\tCNT1,1\n"
         "\tBRA\tWAIT_PAD1\n"
         "\tnop\n"
         "RETURN"},
        // A nested filler loop in the classic layout: its inner label two tabs deep.
        {4,
         50005.2455,
         false,
         {Classic, Loop, PicCore::Midrange},
         "; Approximated delay: 50005.24500 [ms], Error: -0.00000% \n"
         "\n"
         "WAIT\n"
         "\tMOVLW\tD'255'\n"
         "\tMOVWF\tCNT3\n"
         "\tWAIT_LOOP1\n"
         "\t\tMOVLW\tD'255'\n"
         "\t\tMOVWF\tCNT2\n"
         "\t\tWAIT_LOOP2\n"
         "\t\t\tMOVLW\tD'254'\n"
         "\t\t\tMOVWF\tCNT1\n"
         "\t\t\tWAIT_LOOP3\n"
         "\t\t\t\tDECFSZ\tCNT1,1\n"
         "\t\t\tGOTO\tWAIT_LOOP3\n"
         "\t\tDECFSZ\tCNT2,1\n"
         "\t\tGOTO\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT3\n"
         "\tGOTO\tWAIT_LOOP1\n"
         "\tMOVLW\tD'253'\n"
         "\tMOVWF\tCNT2\n"
         "\tWAIT_PAD1\n"
         "\t\tWAIT_PAD2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tGOTO\tWAIT_PAD2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tGOTO\tWAIT_PAD1\n"
         "\tMOVLW\tD'87'\n"
         "\tMOVWF\tCNT1\n"
         "\tWAIT_PAD3\n"
         "\t\tDECFSZ\tCNT1,1\n"
         "\tGOTO\tWAIT_PAD3\n"
         "\tnop\n"
         "RETURN"},
        // W units: the count stored on entry, one body of N - 3 cycles per unit (996 = 5 x 199
        // + 1), the units counter's DECFSZ and jump back.
        {4,
         1,
         false,
         {Gputils, Goto, PicCore::Baseline, true},
         "; Approximated delay: 0.99900 [ms], Error: -0.10010% \n"
         "; Waits W times that (W = 0: 256 times), plus 4 cycles for CALL and RETURN\n"
         "\n"
         "WAIT\n"
         "\tMOVWF\tCNTW\n"
         "WAIT_UNIT\n"
         "\tMOVLW\tD'5'\n"
         "\tMOVWF\tCNT2\n"
         "WAIT_LOOP1\n"
         "\t\tMOVLW\tD'65'\n"
         "\t\tMOVWF\tCNT1\n"
         "WAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tGOTO\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tGOTO\tWAIT_LOOP1\n"
         "\tDECFSZ\tCNTW,1\n"
         "\tGOTO\tWAIT_UNIT\n"
         "\tRETLW\t0"},
        // CALL and RETURN counted: a body of N - 7 cycles (992 = 99 x 10 + 1 + a nop); every unit
        // but the last leaves through the tail after the return.
        {4,
         1,
         true,
         {Classic, Loop, PicCore::Midrange, true},
         "; Approximated delay: 0.99900 [ms], Error: -0.10010% \n"
         "; Waits W times that (W = 0: 256 times), CALL and RETURN included\n"
         "\n"
         "WAIT\n"
         "\tMOVWF\tCNTW\n"
         "\tWAIT_UNIT\n"
         "\tMOVLW\tD'99'\n"
         "\tMOVWF\tCNT2\n"
         "\tWAIT_LOOP1\n"
         "\t\tMOVLW\tD'2'\n"
         "\t\tMOVWF\tCNT1\n"
         "\t\tWAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tGOTO\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tGOTO\tWAIT_LOOP1\n"
         "\tnop\n"
         "\tDECFSZ\tCNTW,1\n"
         "\tGOTO\tWAIT_NEXT\n"
         "RETURN\n"
         "\tWAIT_NEXT\n"
         "\tgoto\t$+1\n"
         "\tGOTO\tWAIT_UNIT"},
        {4,
         1,
         true,
         {Gputils, Loop, PicCore::Pic18, true},
         "; Approximated delay: 0.99900 [ms], Error: -0.10010% \n"
         "; Waits W times that (W = 0: 256 times), CALL and RETURN included\n"
         "\n"
         "WAIT\n"
         "\tMOVWF\tCNTW,0\n"
         "WAIT_UNIT\n"
         "\tMOVLW\tD'99'\n"
         "\tMOVWF\tCNT2,0\n"
         "WAIT_LOOP1\n"
         "\t\tMOVLW\tD'2'\n"
         "\t\tMOVWF\tCNT1,0\n"
         "WAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1,0\n"
         "\t\tBRA\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1,0\n"
         "\tBRA\tWAIT_LOOP1\n"
         "\tnop\n"
         "\tDECFSZ\tCNTW,1,0\n"
         "\tBRA\tWAIT_NEXT\n"
         "\tRETURN\n"
         "WAIT_NEXT\n"
         "\tbra\t$+2\n"
         "\tBRA\tWAIT_UNIT"},
        // A module: how a program calls it, the label exported, the counters declared in the
        // core's data section, the gputils text in a code section, END.
        {3.2768,
         10,
         true,
         {Module, Goto, PicCore::Baseline},
         "; Approximated delay: 10.00000 [ms], Error: 0.00000% \n"
         "; A module for gplink: gpasm -c -p PART FILE.asm. A CALL reaches only the first\n"
         "; 256 words of a page: on a larger part, link it with this script (gplink -s):\n"
         ";\tINCLUDE\tPART_g.lkr\n"
         ";\tCODEPAGE\tNAME=calls START=0x0 END=0xFF\n"
         ";\tSECTION\tNAME=WAIT_CODE ROM=calls\n"
         "; A program calls it so (PAGESEL where the part has more than one page of program "
         "memory):\n"
         ";\tEXTERN\tWAIT\n"
         ";\tPAGESEL\tWAIT\n"
         ";\tCALL\tWAIT\n"
         ";\tPAGESEL\t$\n"
         "\n"
         "\tGLOBAL\tWAIT\n"
         "\n"
         "WAIT_DATA\tUDATA\n"
         "CNT1\tRES\t1\n"
         "CNT2\tRES\t1\n"
         "\n"
         "WAIT_CODE\tCODE\n"
         "WAIT\n"
         "\tMOVLW\tD'93'\n"
         "\tMOVWF\tCNT2\n"
         "WAIT_LOOP1\n"
         "\t\tMOVLW\tD'28'\n"
         "\t\tMOVWF\tCNT1\n"
         "WAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tGOTO\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tGOTO\tWAIT_LOOP1\n"
         "\tgoto\t$+1\n"
         "\tnop\n"
         "\tRETLW\t0\n"
         "\n"
         "\tEND"},
        // pic-as: the module's instructions in psects, labels with colons, decimal numbers, the
        // bank and page bits masked; a called baseline routine in class ENTRY.
        {3.2768,
         10,
         true,
         {PicAs, Goto, PicCore::Baseline},
         "; Approximated delay: 10.00000 [ms], Error: 0.00000% \n"
         "; A module for pic-as (MPLAB X), for every part of its core: pic-as -mcpu=PART -c "
         "FILE.S\n"
         "; A program calls it so (PAGESEL where the part has more than one page of program "
         "memory):\n"
         ";\tGLOBAL\tWAIT\n"
         ";\tPAGESEL\tWAIT\n"
         ";\tCALL\tPAGEMASK(WAIT)\n"
         ";\tPAGESEL\t$\n"
         "\n"
         "#include <xc.inc>\n"
         "\n"
         "\tGLOBAL\tWAIT\n"
         "\n"
         "\tPSECT\tudata_shr\n"
         "CNT1:\tDS\t1\n"
         "CNT2:\tDS\t1\n"
         "\n"
         "\tPSECT\tWAIT,class=ENTRY,delta=2\n"
         "WAIT:\n"
         "\tMOVLW\t93\n"
         "\tMOVWF\tBANKMASK(CNT2)\n"
         "WAIT_LOOP1:\n"
         "\t\tMOVLW\t28\n"
         "\t\tMOVWF\tBANKMASK(CNT1)\n"
         "WAIT_LOOP2:\n"
         "\t\t\tDECFSZ\tBANKMASK(CNT1),f\n"
         "\t\tGOTO\tPAGEMASK(WAIT_LOOP2)\n"
         "\tDECFSZ\tBANKMASK(CNT2),f\n"
         "\tGOTO\tPAGEMASK(WAIT_LOOP1)\n"
         "\tgoto\tPAGEMASK($+1)\n"
         "\tnop\n"
         "\tRETLW\t0\n"
         "\n"
         "\tEND"},
        // W units: the program loads W before the CALL, and the units counter is declared too.
        {4,
         1,
         true,
         {Module, Loop, PicCore::Midrange, true},
         "; Approximated delay: 0.99900 [ms], Error: -0.10010% \n"
         "; Waits W times that (W = 0: 256 times), CALL and RETURN included\n"
         "; A module for gplink, for every part of its core: gpasm -c -p PART FILE.asm\n"
         "; A program calls it so (PAGESEL where the part has more than one page of program "
         "memory):\n"
         ";\tEXTERN\tWAIT\n"
         ";\tPAGESEL\tWAIT\n"
         ";\tMOVLW\tunits\n"
         ";\tCALL\tWAIT\n"
         ";\tPAGESEL\t$\n"
         "\n"
         "\tGLOBAL\tWAIT\n"
         "\n"
         "WAIT_DATA\tUDATA_SHR\n"
         "CNT1\tRES\t1\n"
         "CNT2\tRES\t1\n"
         "CNTW\tRES\t1\n"
         "\n"
         "WAIT_CODE\tCODE\n"
         "WAIT\n"
         "\tMOVWF\tCNTW\n"
         "WAIT_UNIT\n"
         "\tMOVLW\tD'99'\n"
         "\tMOVWF\tCNT2\n"
         "WAIT_LOOP1\n"
         "\t\tMOVLW\tD'2'\n"
         "\t\tMOVWF\tCNT1\n"
         "WAIT_LOOP2\n"
         "\t\t\tDECFSZ\tCNT1,1\n"
         "\t\tGOTO\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT2,1\n"
         "\tGOTO\tWAIT_LOOP1\n"
         "\tnop\n"
         "\tDECFSZ\tCNTW,1\n"
         "\tGOTO\tWAIT_NEXT\n"
         "\tRETURN\n"
         "WAIT_NEXT\n"
         "\tgoto\t$+1\n"
         "\tGOTO\tWAIT_UNIT\n"
         "\n"
         "\tEND"},
        // PIC18: CALL reaches every address, so no PAGESEL; three counters in access RAM.
        {4,
         500,
         false,
         {Module, Goto, PicCore::Pic18},
         "; Approximated delay: 499.99900 [ms], Error: -0.00020% \n"
         "; A module for gplink, for every part of its core: gpasm -c -p PART FILE.asm\n"
         "; A program calls it so:\n"
         ";\tEXTERN\tWAIT\n"
         ";\tCALL\tWAIT\n"
         "\n"
         "\tGLOBAL\tWAIT\n"
         "\n"
         "WAIT_DATA\tUDATA_ACS\n"
         "CNT1\tRES\t1\n"
         "CNT2\tRES\t1\n"
         "CNT3\tRES\t1\n"
         "\n"
         "WAIT_CODE\tCODE\n"
         "WAIT\n"
         "\tMOVLW\tD'167'\n"
         "\tMOVWF\tCNT3,0\n"
         "WAIT_LOOP1\n"
         "\t\tMOVLW\tD'230'\n"
         "\t\tMOVWF\tCNT2,0\n"
         "WAIT_LOOP2\n"
         "\t\t\tMOVLW\tD'3'\n"
         "\t\t\tMOVWF\tCNT1,0\n"
         "WAIT_LOOP3\n"
         "\t\t\t\tDECFSZ\tCNT1,1,0\n"
         "\t\t\tBRA\tWAIT_LOOP3\n"
         "\t\tDECFSZ\tCNT2,1,0\n"
         "\t\tBRA\tWAIT_LOOP2\n"
         "\tDECFSZ\tCNT3,1,0\n"
         "\tBRA\tWAIT_LOOP1\n"
         "\tRETURN\n"
         "\n"
         "\tEND"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << c.delay << " ms, core " << int(c.format.core));
        EXPECT_EQ(Routine(c.frequency, c.delay, c.callReturn, c.format), c.text);
    }
}

// The filler of every size the loop search can leave, read back by the cycle counter.
TEST(WriteDelayRoutine, LoopFillerSpendsEverySizeExactlyInAtMostTwelveInstructions)
{
    DelayPlan plan; // two levels, every count 1: a short loop block to cut off
    const std::string blockEnd = "\tGOTO\tWAIT_LOOP1\n";
    std::int32_t largest = 0;
    std::int32_t largestAt = 0;
    for (std::int32_t pad = 0; pad <= 195074; ++pad)
    {
        plan.PadCycles = pad;
        const std::string text =
            WriteDelayRoutine(plan, 1, "WAIT", "CNT", {RoutineSyntax::Gputils, FillerKind::Loop});
        const std::size_t start = text.find(blockEnd) + blockEnd.size();
        const std::string filler = text.substr(start, text.size() - start - 7); // "\tRETURN"
        // The loop block leaves its counters at zero.
        const reference::CycleCount count = reference::CountCycles(filler, PicCore::Midrange);
        if (count.cycles != pad || count.instructions > 12 || !count.error.empty())
        {
            ADD_FAILURE() << pad << " cycles: counted " << count.cycles << " in "
                          << count.instructions << " instructions " << count.error << "\n"
                          << filler;
            break;
        }
        for (int loaded : count.loaded)
            ASSERT_TRUE(loaded >= 1 && loaded <= 255) << pad;
        for (const auto& [name, value] : count.registers)
            ASSERT_TRUE((name == "CNT1" || name == "CNT2") && value == 0) << pad << " " << name;
        ASSERT_EQ(count.instructions, PlanFiller(pad, FillerKind::Loop).Words()) << pad;
        if (count.instructions > largest)
            largest = count.instructions, largestAt = pad;
    }
    RecordProperty("largest_filler_instructions", largest);
    std::printf("largest loop filler: %d instructions (first at %d cycles)\n", largest, largestAt);
    EXPECT_LE(largest, 12);
}

// No mix of the filler's pieces (one nested loop, any number of 256-pass countdowns, one counted
// loop, two-cycle jumps, one nop) spends a size in fewer instructions than the one written.
TEST(PlanFiller, LoopFillerHasTheFewestInstructionsOfAnyMixOfItsPieces)
{
    constexpr int Sizes = 195075;
    const auto jumps = [](int cycles) { return cycles / 2 + cycles % 2; };
    std::vector<int> counted(Sizes), countdowns(Sizes);
    for (int x = 0; x < Sizes; ++x)
    {
        counted[x] = jumps(x);
        for (int k = 1; k <= 255 && 3 * k + 1 <= x; ++k)
            counted[x] = std::min(counted[x], 4 + jumps(x - 3 * k - 1));
    }
    for (int x = 0; x < Sizes; ++x)
    {
        countdowns[x] = counted[x];
        for (int m = 1; 767 * m <= x; ++m)
            countdowns[x] = std::min(countdowns[x], 2 * m + counted[x - 767 * m]);
    }
    for (int size = 0; size < Sizes; ++size)
    {
        int fewest = countdowns[size];
        for (int a = 1; a <= 255 && 770 * a + 1 <= size; ++a)
            fewest = std::min(fewest, 6 + countdowns[size - 770 * a - 1]);
        ASSERT_EQ(PlanFiller(size, FillerKind::Loop).Words(), fewest) << size;
    }
}

// Whole routines, from the label to the end of the return: loops, filler and return take
// target + 2 cycles on each core, in each layout, stepped pass by pass as well.
TEST(WriteDelayRoutine, CycleCounterAgreesWithTheTargetOnEveryForm)
{
    const double delays[] = {0.008, 10, 196.0955, 196.0965, 1000, 50005.2455, 50005.2465};
    for (double delay : delays)
        for (PicCore core : {PicCore::Baseline, PicCore::Midrange, PicCore::Pic18})
            for (FillerKind filler : {FillerKind::Goto, FillerKind::Loop})
                for (RoutineSyntax syntax : {RoutineSyntax::Classic, RoutineSyntax::Gputils})
                {
                    SCOPED_TRACE(::testing::Message() << delay << " ms, core " << int(core)
                                                      << ", filler " << int(filler));
                    const DelayPlan plan = Plan(4, delay);
                    const std::string text = Routine(4, delay, false, {syntax, filler, core});
                    const reference::CycleCount count = reference::CountCycles(text, core);
                    EXPECT_EQ(count.error, "");
                    EXPECT_EQ(count.cycles, plan.TargetCycles + 2);
                    EXPECT_EQ(count.instructions, RoutineWords(plan, {syntax, filler, core}));
                    if (plan.TargetCycles < 2'000'000)
                    {
                        EXPECT_EQ(reference::CountCycles(text, core, false).cycles, count.cycles);
                    }
                }
}

// A routine that waits W units, run by the cycle counter with every W loaded: from the CALL to
// the instruction after it, W x N cycles with CALL and RETURN counted, W x N + 4 without, W = 0
// counting 256 units. The counter starts at the label, after the CALL's two cycles.
TEST(WriteDelayRoutine, TimesWTakesExactlyUnitsTimesNForEveryW)
{
    const struct
    {
        double delay; // ms at 4 MHz
        bool callReturn;
    } units[] = {
        {0.0111, false},                    // N = 11, the smallest that works: a body of 8 cycles
        {0.0151, true},                     // N = 15, the same with CALL and RETURN counted
        {0.032, false},      {0.032, true}, // N = 32
        {1, false},          {1, true},     // N = 999, two levels
        {500, false},        {500, true},   // three levels
        {50005.2465, false}, {50005.2505, true}, // the largest
    };
    std::int32_t largestLoopWords = 0;
    for (const auto& u : units)
        for (PicCore core : {PicCore::Baseline, PicCore::Midrange, PicCore::Pic18})
            for (FillerKind filler : {FillerKind::Goto, FillerKind::Loop})
                for (RoutineSyntax syntax : {RoutineSyntax::Classic, RoutineSyntax::Gputils})
                {
                    SCOPED_TRACE(::testing::Message() << u.delay << " ms, ticked " << u.callReturn
                                                      << ", core " << int(core) << ", filler "
                                                      << int(filler) << ", syntax " << int(syntax));
                    const RoutineFormat format{syntax, filler, core, true};
                    const DelayPlan plan = Plan(4, u.delay, u.callReturn, format);
                    const std::int64_t n = plan.CycleCount;
                    const std::string text = Routine(4, u.delay, u.callReturn, format);
                    const reference::detail::Program program = reference::detail::Parse(text, core);
                    ASSERT_EQ(program.error, "");
                    ASSERT_EQ(static_cast<std::int32_t>(program.instructions.size()),
                              RoutineWords(plan, format));
                    if (filler == FillerKind::Loop)
                        largestLoopWords = std::max(largestLoopWords, RoutineWords(plan, format));
                    for (int w = 0; w <= 255; ++w)
                    {
                        const std::int64_t count = w == 0 ? 256 : w;
                        const std::int64_t expected =
                            count * n + (u.callReturn ? 0 : CallReturnCycles) - 2;
                        const reference::CycleCount run =
                            reference::detail::Run(program, {{"W", w}});
                        ASSERT_EQ(run.error, "") << "W = " << w;
                        ASSERT_EQ(run.cycles, expected) << "W = " << w;
                        // Stepped pass by pass where that is quick.
                        if (n * count <= 10'000)
                        {
                            ASSERT_EQ(reference::detail::Run(program, {{"W", w}}, false).cycles,
                                      expected)
                                << "W = " << w;
                        }
                    }
                }
    std::printf("largest times-W routine with the loop filler: %d words\n", largestLoopWords);
}

// Routines that clear the watchdog on every core, filler, layout and W, counted by running the
// text: exactly the cycles asked for, and no run between two CLRWDTs (from the CALL's first cycle
// to the RETURN's last) longer than the bound the header states, which is at most 16 and, with
// two units or more, met.
TEST(WriteDelayRoutine, WatchdogRoutinesClearOftenAndTakeExactlyTheTarget)
{
    const struct
    {
        double delay; // ms at 4 MHz
        bool callReturn;
        bool timesW;
    } cases[] = {
        {0.008, false, false}, // T = 8: the filler alone, no loop block
        {0.0121, true, false}, // T = 8 ticked
        {0.009, false, false}, // T = 9: the smallest loop block with a CLRWDT
        {0.0131, true, false}, // T = 9 ticked
        {10, false, false},
        {10, true, false},
        {196.0955, false, false}, // the largest two-level target
        {196.0965, false, false}, // the smallest three-level one
        {1000, false, false},
        {3000, true, false},
        {50005.2455, false, false}, // the plain routine's longest filler
        {50005.2465, false, false}, // the largest target
        {50005.2505, true, false},  // the largest ticked
        {0.0111, false, true},      // the smallest unit: a body of 8 cycles, filler alone
        {0.0151, true, true},       // the same ticked
        {0.032, false, true},
        {0.032, true, true},
        {1, true, true},
        {500, false, true},
        {50005.2465, false, true},
        {50005.2505, true, true},
    };
    std::int64_t largestBound = 0;
    for (const auto& c : cases)
        for (PicCore core : {PicCore::Baseline, PicCore::Midrange, PicCore::Pic18})
            for (FillerKind filler : {FillerKind::Goto, FillerKind::Loop})
                for (RoutineSyntax syntax : {RoutineSyntax::Classic, RoutineSyntax::Gputils})
                {
                    SCOPED_TRACE(::testing::Message()
                                 << c.delay << " ms, ticked " << c.callReturn << ", W units "
                                 << c.timesW << ", core " << int(core) << ", filler " << int(filler)
                                 << ", syntax " << int(syntax));
                    const RoutineFormat format{syntax, filler, core, c.timesW, true};
                    const DelayPlan plan = Plan(4, c.delay, c.callReturn, format);
                    ASSERT_TRUE(plan.ClearsWatchdog);
                    const std::string text = Routine(4, c.delay, c.callReturn, format);
                    const std::int64_t bound = WatchdogBound(plan, format);
                    largestBound = std::max(largestBound, bound);
                    ASSERT_LE(bound, MaxWatchdogBound);
                    ASSERT_NE(text.find("; Clears the watchdog at least every " +
                                        std::to_string(bound) + " cycles (" +
                                        std::to_string(bound) + ".00000 [us])\n\n"),
                              std::string::npos);
                    const reference::detail::Program program = reference::detail::Parse(text, core);
                    ASSERT_EQ(program.error, "");
                    ASSERT_EQ(static_cast<std::int32_t>(program.instructions.size()),
                              RoutineWords(plan, format));
                    const std::int64_t fixed = c.callReturn ? 0 : CallReturnCycles;
                    for (int w : c.timesW ? std::vector<int>{1, 2, 255, 0} : std::vector<int>{0})
                    {
                        const std::int64_t units = c.timesW ? (w == 0 ? 256 : w) : 1;
                        const std::int64_t expected = units * plan.CycleCount + fixed - 2;
                        const reference::CycleCount run =
                            reference::detail::Run(program, {{"W", w}});
                        ASSERT_EQ(run.error, "") << "W = " << w;
                        ASSERT_EQ(run.cycles, expected) << "W = " << w;
                        const std::int64_t gap = reference::LongestUncleared(run, 2);
                        ASSERT_LE(gap, bound) << "W = " << w;
                        if (units >= 2 || !c.timesW)
                        {
                            ASSERT_EQ(gap, bound) << "W = " << w;
                        }
                        if (expected <= 20'000)
                        {
                            const reference::CycleCount stepped =
                                reference::detail::Run(program, {{"W", w}}, false);
                            ASSERT_EQ(stepped.cycles, expected) << "W = " << w;
                            ASSERT_EQ(reference::LongestUncleared(stepped, 2), gap) << "W = " << w;
                        }
                    }
                }
    std::printf("largest watchdog bound: %lld cycles\n", static_cast<long long>(largestBound));
}

// Every filler size up to past the longest the watchdog's loop search leaves, after a
// three-level block (the longest way out of the loops) and before the way to the next unit (the
// longest way back in): exact, in at most 14 instructions with the loop filler, with no run
// between two clears longer than the bound, which is at most 16.
TEST(WriteDelayRoutine, WatchdogFillerOfEverySizeClearsOftenAndExactly)
{
    std::int32_t largestLoopFiller = 0;
    for (std::int32_t pad = 0; pad <= 200'000; ++pad)
        largestLoopFiller =
            std::max(largestLoopFiller, PlanFiller(pad, FillerKind::Loop, true).Words());
    EXPECT_EQ(largestLoopFiller, 14);
    for (std::int32_t pad = 0; pad <= 4'200; ++pad)
        for (FillerKind filler : {FillerKind::Goto, FillerKind::Loop})
            for (int form = 0; form < 3; ++form) // once, W units, W units ticked
            {
                const bool timesW = form > 0;
                const bool ticked = form == 2;
                DelayPlan plan;
                plan.Levels = 3;
                plan.OuterCount = plan.MiddleCount = plan.InnerCount = 1;
                plan.ClearsWatchdog = true;
                plan.CallReturnCounted = ticked;
                plan.PadCycles = pad;
                plan.TargetCycles = static_cast<std::int32_t>(LoopCost(plan)) + pad;
                plan.CycleCount = plan.TargetCycles + (timesW ? (ticked ? 7 : 3) : 0);
                plan.ApproxDelayMs = plan.CycleCount / 1000.0;
                const RoutineFormat format{RoutineSyntax::Gputils, filler, PicCore::Midrange,
                                           timesW, true};
                const std::string text = WriteDelayRoutine(plan, 1, "WAIT", "CNT", format);
                const reference::CycleCount run =
                    reference::CountCycles(text, PicCore::Midrange, true, {{"W", 2}});
                const std::int64_t expected =
                    (timesW ? 2 * plan.CycleCount : plan.TargetCycles) + (ticked ? 0 : 4) - 2;
                const std::int64_t bound = WatchdogBound(plan, format);
                if (run.cycles != expected || bound > MaxWatchdogBound ||
                    reference::LongestUncleared(run, 2) != bound || !run.error.empty())
                {
                    ADD_FAILURE() << pad << " cycles, form " << form << ": counted " << run.cycles
                                  << " for " << expected << ", longest run "
                                  << reference::LongestUncleared(run, 2) << " for " << bound << " "
                                  << run.error << "\n"
                                  << text;
                    return;
                }
            }
}

// Without the choice no routine clears the watchdog: its text has no CLRWDT and the bound is the
// whole call.
// The bound's time follows the header's unit: µs for µs and ms, seconds for seconds, and the
// milliseconds that follow a count of cycles for cycles.
TEST(WriteDelayRoutine, WatchdogBoundTakesTheHeadersUnitOfTime)
{
    const struct
    {
        DelayUnit unit;
        double delay; // 1000 cycles at 4 MHz
        std::string line;
    } cases[] = {
        {DelayUnit::Microseconds, 1000, "every 8 cycles (8.00000 [us])"},
        {DelayUnit::Milliseconds, 1, "every 8 cycles (8.00000 [us])"},
        {DelayUnit::Seconds, 0.001, "every 8 cycles (0.00000800 [s])"},
        {DelayUnit::Cycles, 1000, "every 8 cycles (0.00800 [ms])"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(static_cast<int>(c.unit));
        RoutineFormat format;
        format.unit = c.unit;
        format.watchdog = true;
        const DelayPlan plan = Plan(4, c.delay, false, format);
        ASSERT_EQ(WatchdogBound(plan, format), 8);
        const std::string text = WriteDelayRoutine(plan, c.delay, "L", "c", format);
        EXPECT_NE(text.find("\n; Clears the watchdog at least " + c.line + "\n\n"),
                  std::string::npos)
            << text.substr(0, 200);
    }
}

TEST(WriteDelayRoutine, PlainRoutinesNeverClearTheWatchdog)
{
    for (double delay : {0.008, 10.0, 50005.2455})
    {
        const std::string text =
            Routine(4, delay, false, {RoutineSyntax::Gputils, FillerKind::Loop});
        EXPECT_EQ(text.find("CLRWDT"), std::string::npos);
        EXPECT_EQ(text.find("watchdog"), std::string::npos);
        EXPECT_EQ(WatchdogBound(Plan(4, delay), {}), Plan(4, delay).CycleCount + 4);
    }
}

// The counter itself: the costs of the instruction table, and text it must refuse.
TEST(CycleCounter, CountsTheTimingTableAndRefusesWhatTheCoreCannotRun)
{
    const struct
    {
        const char* text;
        PicCore core;
        std::int64_t cycles;
        const char* error;
    } cases[] = {
        {"\tnop\n\tgoto\t$+1\n\tRETURN", PicCore::Midrange, 5, ""},
        {"\tbra\t$+2\n\tRETURN", PicCore::Pic18, 4, ""},
        {"\tgoto\t$+1\n\tnop", PicCore::Pic18, 0, "jump into the middle of an instruction"},
        {"\tbra\t$+1", PicCore::Midrange, 0, "BRA is not a baseline or midrange instruction"},
        {"\tRETURN", PicCore::Baseline, 0, "RETURN on this core"},
        {"\tRETLW\t0", PicCore::Baseline, 2, ""},
        // 5 passes of DECFSZ + GOTO, the last one skipping: 4 x 3 + 2.
        {"\tMOVLW\tD'5'\n\tMOVWF\tC\nL\n\tDECFSZ\tC,1\n\tGOTO\tL", PicCore::Midrange, 16, ""},
        // From zero the countdown runs 256 passes.
        {"L\n\tDECFSZ\tC,1\n\tGOTO\tL", PicCore::Midrange, 767, ""},
        // On PIC18 a skipped GOTO is two words: three cycles for the skip.
        {"\tMOVLW\tD'2'\n\tMOVWF\tC\nL\n\tDECFSZ\tC,1\n\tGOTO\tL", PicCore::Pic18, 2 + 3 + 3, ""},
        // PIC18's access bit, and the destinations and banks the routines never use.
        {"\tDECFSZ\tU,1,1", PicCore::Pic18, 0, "DECFSZ into W or a bank: DECFSZ\tU,1,1"},
        {"\tDECFSZ\tU,0", PicCore::Midrange, 0, "DECFSZ into W or a bank: DECFSZ\tU,0"},
        {"\tMOVWF\tU,0", PicCore::Midrange, 0, "bad operand: MOVWF\tU,0"},
    };
    for (const auto& c : cases)
        for (bool fastForward : {true, false})
        {
            SCOPED_TRACE(c.text);
            const reference::CycleCount count = reference::CountCycles(c.text, c.core, fastForward);
            EXPECT_EQ(count.error, c.error);
            if (count.error.empty())
            {
                EXPECT_EQ(count.cycles, c.cycles);
            }
        }
}
// The longest run without a CLRWDT, counted from 2 cycles ahead (the CALL): the same whether the
// passes of a loop are stepped or skipped.
TEST(CycleCounter, MeasuresTheLongestRunBetweenClears)
{
    const struct
    {
        const char* text;
        std::map<std::string, int> registers;
        std::int64_t clears, longest;
    } cases[] = {
        {"\tnop\n\tRETURN", {}, 0, 2 + 3},
        // 2 + 1 to the first, 3 between, the return's 2 after the last.
        {"\tCLRWDT\n\tgoto\t$+1\n\tCLRWDT\n\tRETURN", {}, 2, 3},
        // Passes of 4 cycles; before the loop 2 + 1 + 1, after it the skip and the return, 4.
        {"\tMOVWF\tU\nL\n\tCLRWDT\n\tDECFSZ\tU,1\n\tGOTO\tL\n\tRETURN", {{"W", 200}}, 200, 4},
        // A clear once in each 9-cycle pass, then 26 cycles with none: the rest of the last pass,
        // the skip, a countdown of 5 and the return.
        {"\tMOVWF\tU\nL\n\tCLRWDT\n\tgoto\t$+1\n\tgoto\t$+1\n\tgoto\t$+1\n\tDECFSZ\tU,1\n"
         "\tGOTO\tL\n\tMOVLW\tD'5'\n\tMOVWF\tV\nM\n\tDECFSZ\tV,1\n\tGOTO\tM\n\tRETURN",
         {{"W", 100}},
         100,
         6 + 2 + 2 + 14 + 2},
    };
    for (const auto& c : cases)
        for (bool fastForward : {true, false})
        {
            SCOPED_TRACE(c.text);
            const reference::CycleCount count =
                reference::CountCycles(c.text, PicCore::Midrange, fastForward, c.registers);
            EXPECT_EQ(count.error, "");
            EXPECT_EQ(count.clears, c.clears);
            EXPECT_EQ(reference::LongestUncleared(count, 2), c.longest);
        }
}

// Loops around a body, with W and registers given: stepped and fast-forwarded alike.
TEST(CycleCounter, RunsLoopsAroundABodyFromTheGivenRegisters)
{
    const struct
    {
        const char* text;
        PicCore core;
        std::map<std::string, int> registers;
        std::int64_t cycles;
    } cases[] = {
        // A count taken from W, 0 for 256 passes, around a body: every pass but the last of nop,
        // DECFSZ and GOTO (4), the last of nop and the skip (3).
        {"\tMOVWF\tU\nL\n\tnop\n\tDECFSZ\tU,1\n\tGOTO\tL",
         PicCore::Midrange,
         {{"W", 0}},
         1 + 255 * 4 + 3},
        {"\tMOVWF\tU\nL\n\tnop\n\tDECFSZ\tU,1\n\tGOTO\tL",
         PicCore::Midrange,
         {{"W", 5}},
         1 + 4 * 4 + 3},
        // Passes that change two registers do not repeat: A skips on the third pass only.
        {"L\n\tDECFSZ\tA,1\n\tGOTO\tM\n\tnop\nM\n\tDECFSZ\tB,1\n\tGOTO\tL",
         PicCore::Midrange,
         {{"A", 3}, {"B", 5}},
         5 * 3 + 4 * 3 + 2},
        // PIC18's access bit.
        {"\tMOVWF\tU,0\nL\n\tDECFSZ\tU,1,0\n\tBRA\tL", PicCore::Pic18, {{"W", 3}}, 1 + 2 * 3 + 2},
        // CLRWDT takes one cycle.
        {"\tMOVWF\tU\nL\n\tCLRWDT\n\tDECFSZ\tU,1\n\tGOTO\tL",
         PicCore::Midrange,
         {{"W", 4}},
         1 + 4 * 4 - 1},
    };
    for (const auto& c : cases)
        for (bool fastForward : {true, false})
        {
            SCOPED_TRACE(c.text);
            const reference::CycleCount count =
                reference::CountCycles(c.text, c.core, fastForward, c.registers);
            EXPECT_EQ(count.error, "");
            EXPECT_EQ(count.cycles, c.cycles);
        }
}
} // namespace
} // namespace kavrin
