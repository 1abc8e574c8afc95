#include "routine.h"

#include <fmt/format.h>

#include "extended.h"

namespace kavrin
{
namespace
{
constexpr std::string_view GotoFiller = "\tgoto\t$+1\n"; // two cycles: a jump to the next line
constexpr std::string_view NopFiller = "\tnop\n";        // one cycle

// The loop blocks. {l1}..{l3} indent the loop labels: like the instructions before them in the
// classic layout, not at all for gpasm, which takes only column-1 labels. The outermost DECFSZ of
// the three-level block has no ",1": the assembler's default destination is the file register.
constexpr std::string_view TwoLevelBlock = "{label}\n"
                                           "\tMOVLW\tD'{outer}'\n"
                                           "\tMOVWF\t{counter}2\n"
                                           "{l1}{label}_LOOP1\n"
                                           "\t\tMOVLW\tD'{inner}'\n"
                                           "\t\tMOVWF\t{counter}1\n"
                                           "{l2}{label}_LOOP2\n"
                                           "\t\t\tDECFSZ\t{counter}1,1\n"
                                           "\t\tGOTO\t{label}_LOOP2\n"
                                           "\tDECFSZ\t{counter}2,1\n"
                                           "\tGOTO\t{label}_LOOP1\n";

constexpr std::string_view ThreeLevelBlock = "{label}\n"
                                             "\tMOVLW\tD'{outer}'\n"
                                             "\tMOVWF\t{counter}3\n"
                                             "{l1}{label}_LOOP1\n"
                                             "\t\tMOVLW\tD'{middle}'\n"
                                             "\t\tMOVWF\t{counter}2\n"
                                             "{l2}{label}_LOOP2\n"
                                             "\t\t\tMOVLW\tD'{inner}'\n"
                                             "\t\t\tMOVWF\t{counter}1\n"
                                             "{l3}{label}_LOOP3\n"
                                             "\t\t\t\tDECFSZ\t{counter}1,1\n"
                                             "\t\t\tGOTO\t{label}_LOOP3\n"
                                             "\t\tDECFSZ\t{counter}2,1\n"
                                             "\t\tGOTO\t{label}_LOOP2\n"
                                             "\tDECFSZ\t{counter}3\n"
                                             "\tGOTO\t{label}_LOOP1\n";

void AppendHeader(std::string& out, const DelayPlan& plan, double delayMs)
{
    // fmt never uses the locale's decimal separator, so the point stays "." everywhere.
    fmt::format_to(std::back_inserter(out),
                   "; Approximated delay: {:.5f} [ms], Error: {:.5f}% \n\n", plan.ApproxDelayMs,
                   ErrorPercent(plan, delayMs));
}

void AppendLoopBlock(std::string& out, const DelayPlan& plan, std::string_view label,
                     std::string_view counter, RoutineSyntax syntax)
{
    const bool classic = syntax == RoutineSyntax::Classic;
    fmt::format_to(std::back_inserter(out),
                   fmt::runtime(plan.Levels == 3 ? ThreeLevelBlock : TwoLevelBlock),
                   fmt::arg("label", label), fmt::arg("counter", counter),
                   fmt::arg("outer", plan.OuterCount), fmt::arg("middle", plan.MiddleCount),
                   fmt::arg("inner", plan.InnerCount), fmt::arg("l1", classic ? "\t" : ""),
                   fmt::arg("l2", classic ? "\t\t" : ""), fmt::arg("l3", classic ? "\t\t\t" : ""));
}

void AppendFiller(std::string& out, std::int32_t padCycles)
{
    for (std::int32_t i = 0; i < padCycles / 2; ++i)
        out += GotoFiller;
    if (padCycles % 2 != 0)
        out += NopFiller;
}
} // namespace

double ErrorPercent(const DelayPlan& plan, double delayMs)
{
    return detail::ComputeErrorPercent<detail::Extended>(delayMs, plan.ApproxDelayMs);
}

std::string WriteDelayRoutine(const DelayPlan& plan, double delayMs, std::string_view label,
                              std::string_view counter, RoutineSyntax syntax)
{
    std::string out;
    out.reserve(512 + 8 * (label.size() + counter.size()) +
                static_cast<std::size_t>(plan.PadCycles / 2) * GotoFiller.size());
    AppendHeader(out, plan, delayMs);
    AppendLoopBlock(out, plan, label, counter, syntax);
    AppendFiller(out, plan.PadCycles);
    out += syntax == RoutineSyntax::Classic ? "RETURN" : "\tRETURN";
    return out;
}
} // namespace kavrin
