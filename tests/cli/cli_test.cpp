// kavrin-cli as scripts use it: its output, its messages and its exit codes.

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <unistd.h>

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

/// Where kavrin-cli's stdout goes: by default a file the test reads back.
struct StdoutTarget
{
    std::string redirect;        // shell text such as ">/dev/full"; empty: the file
    std::string pipeTo;          // a reader at the other end of a pipe, such as "head -c 1"
    bool sigpipeIgnored = false; // the program starts with SIGPIPE ignored, as under some shells
};

RunResult RunCli(const std::vector<std::string>& args, const StdoutTarget& target = {})
{
    const auto dir = std::filesystem::temp_directory_path();
    const auto base = dir / ("kavrin-cli-test-" + std::to_string(::getpid()));
    const auto out = base.string() + ".out", err = base.string() + ".err",
               status = base.string() + ".status";
    std::string command = ShellQuote(KAVRIN_CLI_PATH);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    if (target.pipeTo.empty())
        command += target.redirect.empty() ? " >" + ShellQuote(out) : " " + target.redirect;
    command += " 2>" + ShellQuote(err) + " </dev/null; echo $? >" + ShellQuote(status);
    command = "{ " + std::string(target.sigpipeIgnored ? "trap '' PIPE; " : "") + command + "; }";
    if (!target.pipeTo.empty())
        command += " | " + target.pipeTo + " >/dev/null";
    if (std::system(command.c_str()) == -1)
        return {};
    const std::string code = ReadFile(status);
    RunResult result{code.empty() ? -1 : std::stoi(code), ReadFile(out), ReadFile(err)};
    for (const std::string& path : {out, err, status})
        std::filesystem::remove(path);
    return result;
}

std::string EngineText(const kavrin::ComputeInput& input, const kavrin::RoutineFormat& format)
{
    return std::get<kavrin::DelayRoutine>(kavrin::RunComputeCommand(input, format)).text;
}

TEST(KavrinCli, PrintsTheEngineTextAndOneLineFeed)
{
    const struct
    {
        std::vector<std::string> args;
        kavrin::ComputeInput input;
        kavrin::RoutineFormat format;
    } cases[] = {
        {{}, {}, {}},
        {{"-f", "3,2768", "-d", "1000"}, {"3,2768", "1000"}, {}},
        {{"--frequency=-4", "--delay=-10"}, {"-4", "-10"}, {}},
        {{"-d", "10", "--count-call-return"}, {"3.2768", "10", "WAIT", "CNT", true}, {}},
        {{"-l", "ČEKEJ", "-c", " n "}, {"3.2768", "10", "ČEKEJ", " n "}, {}},
        {{"--syntax", "gputils", "-d", "1000"},
         {"3.2768", "1000"},
         {kavrin::RoutineSyntax::Gputils}},
        // Word-valued options in any letter case.
        {{"-f", "4", "-d", "50005.2455", "--filler", "LOOP", "--syntax=GPUtils"},
         {"4", "50005.2455"},
         {kavrin::RoutineSyntax::Gputils, kavrin::FillerKind::Loop}},
        {{"--core", "pic18", "--filler=loop", "-d", "1000"},
         {"3.2768", "1000"},
         {kavrin::RoutineSyntax::Classic, kavrin::FillerKind::Loop, kavrin::PicCore::Pic18}},
        {{"--core=Baseline", "--filler", "goto", "--syntax", "classic"},
         {},
         {kavrin::RoutineSyntax::Classic, kavrin::FillerKind::Goto, kavrin::PicCore::Baseline}},
        {{"--core", "midrange"}, {}, {}},
        {{"--syntax", "Module", "--core", "pic18", "--times-w"},
         {},
         {kavrin::RoutineSyntax::Module, kavrin::FillerKind::Goto, kavrin::PicCore::Pic18, true}},
        {{"-f", "4", "-d", "1", "--times-w", "--count-call-return", "--filler", "loop"},
         {"4", "1", "WAIT", "CNT", true},
         {kavrin::RoutineSyntax::Classic, kavrin::FillerKind::Loop, kavrin::PicCore::Midrange,
          true}},

        {{"-f", "4", "-d", "40", "--unit", "us"},
         {"4", "40"},
         {{}, {}, kavrin::PicCore::Midrange, false, false, kavrin::DelayUnit::Microseconds}},
        {{"-f", "4", "-d", "0.01", "--unit=S", "--count-call-return"},
         {"4", "0.01", "WAIT", "CNT", true},
         {{}, {}, kavrin::PicCore::Midrange, false, false, kavrin::DelayUnit::Seconds}},
        {{"-f", "4", "-d", "10000", "--unit", "cycles", "--times-w"},
         {"4", "10000"},
         {{}, {}, kavrin::PicCore::Midrange, true, false, kavrin::DelayUnit::Cycles}},
        {{"--unit", "ms"}, {}, {}},
    };
    for (const auto& c : cases)
    {
        const RunResult run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out, EngineText(c.input, c.format) + "\n");
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
        // Names gpasm cannot take, in the layouts made for it.
        {{"-l", "nop", "--syntax", "module"}, kavrin::msg::LabelReserved},
        {{"-c", "d", "--times-w", "--syntax", "gputils"}, kavrin::msg::CounterMakesReserved},
        {{"-l", "nop", "-c", "d", "--times-w"}, nullptr},
        {{"-f", "0"}, kavrin::msg::DelayTooSmall},
        {{"-f", "20", "-d", "1000000"}, kavrin::msg::DelayTooLarge},
        // 14 cycles: enough for one delay with CALL and RETURN counted, not for a unit loop.
        {{"-f", "4", "-d", "0.0141", "--count-call-return"}, nullptr},
        {{"-f", "4", "-d", "0.0141", "--count-call-return", "--times-w"},
         kavrin::msg::DelayTooSmall},

        {{"-d", "10000.5", "--unit", "cycles"}, kavrin::msg::CyclesNotWhole},
        {{"-f", "0", "-d", "10000", "--unit", "cycles"}, kavrin::msg::FrequencyNotPositive},
        {{"-d", "11", "--unit", "cycles", "--count-call-return"}, kavrin::msg::DelayTooSmall},
        {{"-d", "1e4", "--unit", "us"}, nullptr},
    };
    for (const auto& c : cases)
    {
        const RunResult run = RunCli(c.args);
        if (!c.message)
        {
            EXPECT_EQ(run.exitCode, 0);
            continue;
        }
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, std::string(c.message) + "\n");
    }
}

TEST(KavrinCli, RefusesUnknownUsageWithExitTwo)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--bogus"},
             {"extra"},
             {"--syntax", "mpasm"},
             {"-d"},
             // Only the words: not the numbers of the values behind them, nor parts of words.
             {"--syntax=1"},
             {"--syntax", "0"},
             {"--filler", "1"},
             {"--filler", "loops"},
             {"--core", "pic16"},
             {"--core", "2"},
             {"--core="},
             {"--unit", "µs"},
             {"--unit", "min"},
             {"--unit", "3"}})
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
    for (const char* shown :
         {"--count-call-return", "--syntax {classic,gputils,module,pic-as}=classic",
          "--filler {goto,loop}=goto", "--core {baseline,midrange,pic18}=midrange", "--times-w",
          "CNTW", "--watchdog", "--unit {us,ms,s,cycles}=ms", "3  the output could not be written"})
        EXPECT_NE(help.out.find(shown), std::string::npos) << shown;
    const RunResult version = RunCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kavrin-cli " KAVRIN_VERSION "\n");
}

TEST(KavrinCli, ReportsAnOutputItCannotWriteWithExitThree)
{
    const std::string noSpace = "kavrin-cli: cannot write the output: No space left on device\n";
    const std::string noFile = "kavrin-cli: cannot write the output: Bad file descriptor\n";
    // The longest routine fills the pipe, so the reader leaves while the program still writes.
    const std::vector<std::string> longest{"-f", "4", "-d", "50005.246"};
    const struct
    {
        std::vector<std::string> args;
        StdoutTarget target;
        int exitCode;
        std::string err;
    } cases[] = {
        {{}, {">/dev/full", "", false}, 3, noSpace},
        {longest, {">/dev/full", "", false}, 3, noSpace},
        {{"--json"}, {">/dev/full", "", false}, 3, noSpace},
        {{"--help"}, {">/dev/full", "", false}, 3, noSpace},
        {{"--version"}, {">/dev/full", "", false}, 3, noSpace},
        {{}, {">&-", "", false}, 3, noFile},
        // A refused input writes nothing to stdout.
        {{"-f", "0"}, {">/dev/full", "", false}, 1, std::string(kavrin::msg::DelayTooSmall) + "\n"},
        // A reader that has closed the pipe gets no message: SIGPIPE ends the program, or, where
        // it is ignored, the failed write gives exit code 3 alone.
        {longest, {"", "head -c 1", false}, 128 + SIGPIPE, ""},
        {longest, {"", "head -c 1", true}, 3, ""},
    };
    for (const auto& c : cases)
    {
        const RunResult run = RunCli(c.args, c.target);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.target.redirect << c.target.pipeTo;
        EXPECT_EQ(run.err, c.err) << c.target.redirect << c.target.pipeTo;
    }
}

TEST(KavrinCli, JsonCarriesThePlanAndTheRoutine)
{
    const struct
    {
        const char* delay;
        std::vector<std::string> options;
        kavrin::RoutineFormat format;
        const char* filler;
        const char* core;
        int words;
        int fixedCycles; // with --times-w: 4, or 0 with CALL and RETURN counted; else -1
    } cases[] = {
        // Loop block, filler, return.
        {"10", {}, {}, "goto", "midrange", 8 + 1 + 1, -1},
        {"1000",
         {"--core", "baseline"},
         {{}, {}, kavrin::PicCore::Baseline},
         "goto",
         "baseline",
         12 + 0 + 1,
         -1},
        // 195074 filler cycles: 97537 jumps, or a few loops.
        {"50005.2455", {}, {}, "goto", "midrange", 12 + 97537 + 1, -1},
        {"50005.2455",
         {"--filler", "loop", "--core", "pic18"},
         {{}, kavrin::FillerKind::Loop, kavrin::PicCore::Pic18},
         "loop",
         "pic18",
         12 + 11 + 1,
         -1},
        // W units: MOVWF, the unit's loop block, filler and the unit loop's DECFSZ and jump,
        // the return; with CALL and RETURN counted the tail's two words too.
        {"1",
         {"--times-w"},
         {{}, {}, kavrin::PicCore::Midrange, true},
         "goto",
         "midrange",
         1 + 8 + 0 + 2 + 1,
         4},
        {"50005.2505",
         {"--times-w", "--count-call-return", "--filler", "loop"},
         {{}, kavrin::FillerKind::Loop, kavrin::PicCore::Midrange, true},
         "loop",
         "midrange",
         1 + 12 + 11 + 2 + 1 + 2,
         0},
        // Clearing the watchdog: the innermost loop's CLRWDT, 2 filler cycles as two CLRWDTs.
        {"1000",
         {"--watchdog"},
         {{}, {}, kavrin::PicCore::Midrange, false, true},
         "goto",
         "midrange",
         12 + 1 + 2 + 1,
         -1},
        // 8 cycles: the filler alone, three jumps and two CLRWDTs.
        {"0.008",
         {"--watchdog"},
         {{}, {}, kavrin::PicCore::Midrange, false, true},
         "goto",
         "midrange",
         5 + 1,
         -1},
        // The tail's two cycles as CLRWDT and nop.
        {"1",
         {"--times-w", "--count-call-return", "--watchdog", "--filler", "loop"},
         {{}, kavrin::FillerKind::Loop, kavrin::PicCore::Midrange, true, true},
         "loop",
         "midrange",
         1 + 8 + 1 + 2 + 2 + 1 + 3,
         0},

        {"10",
         {"--syntax", "module"},
         {kavrin::RoutineSyntax::Module},
         "goto",
         "midrange",
         8 + 1 + 1,
         -1},
        // The reached delay in the unit too: 40 us, or N itself for cycles.
        {"40",
         {"--unit", "us"},
         {{}, {}, kavrin::PicCore::Midrange, false, false, kavrin::DelayUnit::Microseconds},
         "goto",
         "midrange",
         8 + 0 + 1,
         -1},
        {"10000",
         {"--count-call-return", "--unit", "cycles"},
         {{}, {}, kavrin::PicCore::Midrange, false, false, kavrin::DelayUnit::Cycles},
         "goto",
         "midrange",
         8 + 1 + 1,
         -1},
    };
    const char* const unitWords[] = {"us", "ms", "s", "cycles"};
    for (const auto& c : cases)
    {
        std::vector<std::string> args{"--json", "-f", "4", "-d", c.delay};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const RunResult run = RunCli(args);
        ASSERT_EQ(run.exitCode, 0);
        const auto json = nlohmann::json::parse(run.out);
        const bool callReturn =
            std::find(c.options.begin(), c.options.end(), "--count-call-return") != c.options.end();
        const auto result =
            kavrin::RunComputeCommand({"4", c.delay, "WAIT", "CNT", callReturn}, c.format);
        const auto& routine = std::get<kavrin::DelayRoutine>(result);
        EXPECT_EQ(json["cycle_count"], routine.plan.CycleCount);
        EXPECT_EQ(json["target_cycles"], routine.plan.TargetCycles);
        EXPECT_EQ(json["levels"], routine.plan.Levels);
        EXPECT_EQ(json["outer"], routine.plan.OuterCount);
        if (routine.plan.Levels != 3)
            EXPECT_TRUE(json["middle"].is_null());
        else
            EXPECT_EQ(json["middle"], routine.plan.MiddleCount);
        EXPECT_EQ(json["inner"], routine.plan.InnerCount);
        EXPECT_EQ(json["pad_cycles"], routine.plan.PadCycles);
        EXPECT_EQ(json["approx_delay_ms"], routine.plan.ApproxDelayMs);
        EXPECT_EQ(json["unit"], unitWords[static_cast<int>(c.format.unit)]);
        if (c.format.unit == kavrin::DelayUnit::Cycles)
        {
            EXPECT_TRUE(json["approx_delay"].is_number_integer());
            EXPECT_EQ(json["approx_delay"], routine.plan.CycleCount);
        }
        else
        {
            EXPECT_EQ(json["approx_delay"], routine.plan.ApproxDelay);
        }
        if (c.format.unit == kavrin::DelayUnit::Microseconds)
        {
            EXPECT_EQ(json["approx_delay"], 40.0);
        }
        EXPECT_EQ(json["error_percent"], routine.errorPercent);
        EXPECT_EQ(json["routine"], routine.text);
        EXPECT_EQ(json["filler"], c.filler);
        EXPECT_EQ(json["core"], c.core);
        EXPECT_EQ(json["words"], c.words);
        // Every choice of the table, the flags too when they are off.
        EXPECT_EQ(json["syntax"],
                  c.format.syntax == kavrin::RoutineSyntax::Module ? "module" : "classic");
        EXPECT_EQ(json["watchdog"], c.format.watchdog);
        EXPECT_EQ(json["times_w"], c.format.timesW);
        if (c.format.watchdog)
            EXPECT_EQ(json["watchdog_bound_cycles"], kavrin::WatchdogBound(routine.plan, c.format));
        else
            EXPECT_FALSE(json.contains("watchdog_bound_cycles"));
        if (c.fixedCycles < 0)
        {
            EXPECT_FALSE(json.contains("unit_cycles") || json.contains("fixed_cycles"));
            continue;
        }
        EXPECT_EQ(json["unit_cycles"], routine.plan.CycleCount);
        EXPECT_EQ(json["fixed_cycles"], c.fixedCycles);
    }
}
} // namespace
