// The routine text: byte for byte where users have the figures, and its structure elsewhere.

#include <clocale>
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "delay/plan.h"
#include "delay/routine.h"

namespace kavrin
{
namespace
{
DelayPlan Plan(double frequency, double delay, bool callReturn = false)
{
    return std::get<DelayPlan>(PlanDelay(frequency, delay, callReturn));
}

std::string Routine(double frequency, double delay, bool callReturn = false,
                    RoutineSyntax syntax = RoutineSyntax::Classic)
{
    return WriteDelayRoutine(Plan(frequency, delay, callReturn), delay, "WAIT", "CNT", {syntax});
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

TEST(WriteDelayRoutine, GputilsLayoutMovesOnlyLabelsAndReturn)
{
    for (double delay : {10.0, 1000.0})
    {
        std::string classic = Routine(3.2768, delay);
        const std::string gputils = Routine(3.2768, delay, false, RoutineSyntax::Gputils);
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
} // namespace
} // namespace kavrin
