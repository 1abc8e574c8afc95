// How fast a click's work is: the loop search against the plain exhaustive search, the routine
// text for the longest filler, and kavrin-cli end to end on that input.

#include <cstdlib>
#include <string>
#include <variant>

#include <benchmark/benchmark.h>

#include "delay/compute.h"
#include "delay/plan.h"
#include "delay/routine.h"
#include "support/exhaustive_search.h"

namespace
{
// Three levels and no exact hit: the search cannot stop early.
constexpr double WorstFrequency = 4;
constexpr double WorstDelay = 50005.2455;

void BM_PlanDelayWorstCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::PlanDelay(WorstFrequency, WorstDelay, false));
}
BENCHMARK(BM_PlanDelayWorstCase)->Unit(benchmark::kMicrosecond);

void BM_ExhaustiveSearchWorstCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::reference::ExhaustiveSearch(50005245));
}
BENCHMARK(BM_ExhaustiveSearchWorstCase)->Unit(benchmark::kMicrosecond);

void BM_WriteRoutineLongestFiller(benchmark::State& state)
{
    const auto plan =
        std::get<kavrin::DelayPlan>(kavrin::PlanDelay(WorstFrequency, WorstDelay, false));
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        const std::string text = kavrin::WriteDelayRoutine(plan, WorstDelay, "WAIT", "CNT");
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_WriteRoutineLongestFiller)->Unit(benchmark::kMillisecond);

void BM_WriteRoutineLongestFillerAsLoops(benchmark::State& state)
{
    const auto plan =
        std::get<kavrin::DelayPlan>(kavrin::PlanDelay(WorstFrequency, WorstDelay, false));
    const kavrin::RoutineFormat format{kavrin::RoutineSyntax::Classic, kavrin::FillerKind::Loop};
    for (auto _ : state)
        benchmark::DoNotOptimize(
            kavrin::WriteDelayRoutine(plan, WorstDelay, "WAIT", "CNT", format).data());
}
BENCHMARK(BM_WriteRoutineLongestFillerAsLoops)->Unit(benchmark::kMicrosecond);

void BM_ComputeCommandWorstCase(benchmark::State& state)
{
    const kavrin::ComputeInput input{"4", "50005.2455"};
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::RunComputeCommand(input));
}
BENCHMARK(BM_ComputeCommandWorstCase)->Unit(benchmark::kMillisecond);

// The routine that waits W units of the largest delay: one more loop search, for its body.
void BM_ComputeCommandTimesWWorstCase(benchmark::State& state)
{
    const kavrin::ComputeInput input{"4", "50005.2465"};
    kavrin::RoutineFormat format;
    format.filler = kavrin::FillerKind::Loop;
    format.timesW = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::RunComputeCommand(input, format));
}
BENCHMARK(BM_ComputeCommandTimesWWorstCase)->Unit(benchmark::kMillisecond);

// The same delay in a routine that clears the watchdog: its own loop search and filler.
void BM_PlanDelayWatchdogWorstCase(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::PlanDelay(WorstFrequency, WorstDelay, false,
                                                   kavrin::DelayUnit::Milliseconds, true));
}
BENCHMARK(BM_PlanDelayWatchdogWorstCase)->Unit(benchmark::kMicrosecond);

void BM_ComputeCommandWatchdogWorstCase(benchmark::State& state)
{
    const kavrin::ComputeInput input{"4", "50005.2455"};
    kavrin::RoutineFormat format;
    format.watchdog = true;
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::RunComputeCommand(input, format));
}
BENCHMARK(BM_ComputeCommandWatchdogWorstCase)->Unit(benchmark::kMicrosecond);

void BM_CliEndToEndWorstCase(benchmark::State& state)
{
    const std::string command =
        std::string("'") + KAVRIN_CLI_PATH + "' -f 4 -d 50005.2455 >/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("kavrin-cli failed");
}
BENCHMARK(BM_CliEndToEndWorstCase)->Unit(benchmark::kMillisecond)->Iterations(20);
} // namespace

BENCHMARK_MAIN();
