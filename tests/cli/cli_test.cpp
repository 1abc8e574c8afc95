// kavrin-cli as scripts use it: its output, its messages and its exit codes.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/wait.h>

#include "delay/compute.h"
#include "delay/messages.h"

namespace
{
struct RunResult
{
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ShellQuote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

RunResult RunCli(const std::vector<std::string>& args)
{
    const auto dir = std::filesystem::temp_directory_path();
    const auto out = dir / ("kavrin-cli-test-" + std::to_string(::getpid()) + ".out");
    const auto err = dir / ("kavrin-cli-test-" + std::to_string(::getpid()) + ".err");
    std::string command = ShellQuote(KAVRIN_CLI_PATH);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    command += " >" + ShellQuote(out.string()) + " 2>" + ShellQuote(err.string()) + " </dev/null";
    const int status = std::system(command.c_str());
    RunResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return result;
}

std::string EngineText(const kavrin::ComputeInput& input,
                       kavrin::RoutineSyntax syntax = kavrin::RoutineSyntax::Classic)
{
    return std::get<kavrin::DelayRoutine>(kavrin::RunComputeCommand(input, {syntax})).text;
}

TEST(KavrinCli, PrintsTheEngineTextAndOneLineFeed)
{
    const struct
    {
        std::vector<std::string> args;
        kavrin::ComputeInput input;
        kavrin::RoutineSyntax syntax;
    } cases[] = {
        {{}, {}, kavrin::RoutineSyntax::Classic},
        {{"-f", "3,2768", "-d", "1000"}, {"3,2768", "1000"}, kavrin::RoutineSyntax::Classic},
        {{"--frequency=-4", "--delay=-10"}, {"-4", "-10"}, kavrin::RoutineSyntax::Classic},
        {{"-d", "10", "--count-call-return"},
         {"3.2768", "10", "WAIT", "CNT", true},
         kavrin::RoutineSyntax::Classic},
        {{"-l", "ČEKEJ", "-c", " n "},
         {"3.2768", "10", "ČEKEJ", " n "},
         kavrin::RoutineSyntax::Classic},
        {{"--syntax", "gputils", "-d", "1000"}, {"3.2768", "1000"}, kavrin::RoutineSyntax::Gputils},
    };
    for (const auto& c : cases)
    {
        const RunResult run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, EngineText(c.input, c.syntax) + "\n");
        EXPECT_EQ(run.err, "");
    }
}

TEST(KavrinCli, ShowsTheOneMessageOnStderrAndExitsWithOne)
{
    const struct
    {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"-f", "4MHz", "-d", "x"}, kavrin::msg::FrequencyNotNumber},
        {{"--delay=1,000.5"}, kavrin::msg::DelayNotNumber},
        {{"--counter=", "--label="}, kavrin::msg::CounterEmpty},
        {{"--label="}, kavrin::msg::LabelEmpty},
        {{"-l", std::string(256, 'L')}, kavrin::msg::LabelTooLong},
        {{"-c", "\xFF"}, kavrin::msg::CounterInvalid},
        {{"-f", "0"}, kavrin::msg::DelayTooSmall},
        {{"-f", "20", "-d", "1000000"}, kavrin::msg::DelayTooLarge},
    };
    for (const auto& c : cases)
    {
        const RunResult run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, std::string(c.message) + "\n");
    }
}

TEST(KavrinCli, RefusesUnknownUsageWithExitTwo)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus"}, {"extra"}, {"--syntax", "mpasm"}, {"-d"}})
    {
        const RunResult run = RunCli(args);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Usage: kavrin-cli"), std::string::npos);
    }
}

TEST(KavrinCli, HelpAndVersionGoToStdout)
{
    const RunResult help = RunCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("--count-call-return"), std::string::npos);
    const RunResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kavrin-cli " KAVRIN_VERSION "\n");
}

TEST(KavrinCli, JsonCarriesThePlanAndTheRoutine)
{
    for (const char* delay : {"10", "1000"})
    {
        const RunResult run = RunCli({"--json", "-d", delay});
        ASSERT_EQ(run.exitCode, 0);
        const auto json = nlohmann::json::parse(run.out);
        const auto result = kavrin::RunComputeCommand({"3.2768", delay});
        const auto& routine = std::get<kavrin::DelayRoutine>(result);
        EXPECT_EQ(json["cycle_count"], routine.plan.CycleCount);
        EXPECT_EQ(json["target_cycles"], routine.plan.TargetCycles);
        EXPECT_EQ(json["levels"], routine.plan.Levels);
        EXPECT_EQ(json["outer"], routine.plan.OuterCount);
        if (routine.plan.Levels == 2)
            EXPECT_TRUE(json["middle"].is_null());
        else
            EXPECT_EQ(json["middle"], routine.plan.MiddleCount);
        EXPECT_EQ(json["inner"], routine.plan.InnerCount);
        EXPECT_EQ(json["pad_cycles"], routine.plan.PadCycles);
        EXPECT_EQ(json["approx_delay_ms"], routine.plan.ApproxDelayMs);
        EXPECT_EQ(json["error_percent"], routine.errorPercent);
        EXPECT_EQ(json["routine"], routine.text);
    }
}
} // namespace
