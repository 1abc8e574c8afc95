// kavrin-cli: the compute command of the desktop program for scripts and build systems.
// Values go through exactly the rules of the window's fields; by default the routine printed is
// the text the window's output field would hold, followed by one line feed.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "delay/compute.h"
#include "delay/format_words.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace
{
constexpr int ExitComputeError = 1;
constexpr int ExitUsage = 2;
constexpr int ExitWriteError = 3;

struct Options
{
    kavrin::ComputeInput input;
    kavrin::RoutineFormat format;
    bool json = false;
};

/// An option that takes one of `words`, in any letter case, and nothing else (no numbers).
/// Help shows it as "--name {word,word}=default".
template <typename Value, std::size_t N>
void AddWordOption(CLI::App& app, const std::string& name, Value& target,
                   const kavrin::FormatWord<Value> (&words)[N], const std::string& help)
{
    std::vector<std::string> names;
    for (const auto& entry : words)
        names.emplace_back(entry.word);
    std::string typeName = "{";
    for (const std::string& word : names)
        typeName += (typeName.size() > 1 ? "," : "") + word;
    typeName += "}";
    const std::string defaultWord(kavrin::WordOfValue(words, target));
    app.add_option_function<std::string>(
           name,
           [&target, &words](const std::string& word)
           {
               // The check below has turned the word into its listed spelling.
               if (auto value = kavrin::ValueOfWord(words, word))
                   target = *value;
           },
           help)
        ->transform(CLI::IsMember(names, CLI::ignore_case).description(""))
        ->type_name(typeName)
        ->default_str(defaultWord);
}

void DefineOptions(CLI::App& app, Options& options)
{
    kavrin::ComputeInput& in = options.input;
    app.add_option("-f,--frequency", in.frequency, "Oscillator frequency in MHz")
        ->capture_default_str();
    app.add_option("-d,--delay", in.delay, "Wanted delay in ms")->capture_default_str();
    app.add_option("-l,--label", in.label, "Label of the delay routine")->capture_default_str();
    app.add_option("-c,--counter", in.counter, "Base name of the counter variables")
        ->capture_default_str();
    app.add_flag("--count-call-return", in.countCallReturn,
                 "Count the CALL that reaches the routine and its RETURN in the delay");
    AddWordOption(app, "--syntax", options.format.syntax, kavrin::SyntaxWords,
                  "Layout: classic (as the window shows it) or gputils (for gpasm)");
    AddWordOption(app, "--filler", options.format.filler, kavrin::FillerWords,
                  "Cycles the loops leave over: goto (two-cycle jumps, as the window shows them) "
                  "or loop (short loops on the routine's counters, at most 12 instructions)");
    AddWordOption(app, "--core", options.format.core, kavrin::CoreWords,
                  "PIC core: baseline (ends in RETLW 0), midrange (also enhanced midrange) or "
                  "pic18 (BRA for the jumps)");
    app.add_flag(
        "--times-w", options.format.timesW,
        "Wait W times the delay, W being the W register at the CALL (0 for 256); the units "
        "left are counted in COUNTER followed by W (CNTW)");
    app.add_flag("--json", options.json, "Print the plan and the routine as one JSON object");
    app.set_version_flag("--version", "kavrin-cli " KAVRIN_VERSION);
    app.footer("Exit codes:\n"
               "  0  the routine (or this text) on stdout\n"
               "  1  the input refused, its message on stderr\n"
               "  2  a usage error\n"
               "  3  the output could not be written, the cause on stderr");
}

std::string ToJson(const kavrin::DelayRoutine& routine, const kavrin::RoutineFormat& format)
{
    const kavrin::DelayPlan& plan = routine.plan;
    nlohmann::ordered_json json{
        {"cycle_count", plan.CycleCount},
        {"target_cycles", plan.TargetCycles},
        {"levels", plan.Levels},
        {"outer", plan.OuterCount},
        {"middle", plan.Levels == 3 ? nlohmann::ordered_json(plan.MiddleCount) : nullptr},
        {"inner", plan.InnerCount},
        {"pad_cycles", plan.PadCycles},
        {"approx_delay_ms", plan.ApproxDelayMs},
        {"error_percent", routine.errorPercent},
        {"filler", std::string(kavrin::WordOfValue(kavrin::FillerWords, format.filler))},
        {"core", std::string(kavrin::WordOfValue(kavrin::CoreWords, format.core))},
    };
    if (format.timesW)
    {
        // The call takes W x unit_cycles + fixed_cycles, from the CALL to the instruction after it.
        json["times_w"] = true;
        json["unit_cycles"] = plan.CycleCount;
        json["fixed_cycles"] = plan.CallReturnCounted ? 0 : kavrin::CallReturnCycles;
    }
    json["words"] = routine.words;
    json["routine"] = routine.text;
    return json.dump(2);
}

int CloseStdout()
{
#ifdef _WIN32
    return _close(_fileno(stdout));
#else
    return close(STDOUT_FILENO);
#endif
}

/// Writes `text` to stdout and closes it, so that a failure the system reports only at the flush
/// or at the close (a full disk, say) shows too. A reader that has closed the pipe gets no
/// message, as when SIGPIPE ends the program where it is not ignored.
int WriteOutput(const std::string& text)
{
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
        std::fflush(stdout) == 0 && CloseStdout() == 0)
        return 0;
    if (errno != EPIPE)
        std::cerr << "kavrin-cli: cannot write the output: "
                  << (errno ? std::strerror(errno) : "unknown error") << '\n';
    return ExitWriteError;
}

int Run(const Options& options)
{
    const kavrin::ComputeResult result = kavrin::RunComputeCommand(options.input, options.format);
    if (const auto* error = std::get_if<kavrin::ComputeError>(&result))
    {
        std::cerr << error->message << '\n';
        return ExitComputeError;
    }
    const auto& routine = std::get<kavrin::DelayRoutine>(result);
    return WriteOutput((options.json ? ToJson(routine, options.format) : routine.text) + '\n');
}

/// The command line as UTF-8. Windows hands main() its arguments in the ANSI code page, which
/// cannot hold every name a user may type, so there they are read again as UTF-16.
std::vector<std::string> Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv)
{
#ifdef _WIN32
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i)
    {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size > 0 ? size - 1 : 0, '\0');
        if (size > 1)
            WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        args.push_back(std::move(arg));
    }
    LocalFree(wide);
    return args;
#else
    return std::vector<std::string>(argv, argv + argc);
#endif
}

/// CLI11 reads "--label=" as "--label" waiting for a value, but an empty field is a value the
/// compute command must judge; "--label" followed by an empty argument says just that.
std::vector<std::string> SplitEmptyValues(const std::vector<std::string>& args)
{
    std::vector<std::string> out;
    for (const std::string& arg : args)
    {
        if (arg.size() > 3 && arg.compare(0, 2, "--") == 0 && arg.back() == '=' &&
            arg.find('=') == arg.size() - 1)
        {
            out.push_back(arg.substr(0, arg.size() - 1));
            out.emplace_back();
        }
        else
            out.push_back(arg);
    }
    return out;
}
} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Line feeds stay single bytes, so the text is the same as on every other system.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    std::vector<std::string> args = SplitEmptyValues(Arguments(argc, argv));
    std::vector<char*> argPointers;
    for (std::string& arg : args)
        argPointers.push_back(arg.data());

    CLI::App app{"Writes a busy-wait delay routine for 8-bit PIC microcontrollers.", "kavrin-cli"};
    Options options;
    DefineOptions(app, options);
    try
    {
        app.parse(static_cast<int>(argPointers.size()), argPointers.data());
    }
    catch (const CLI::Success& success)
    {
        std::ostringstream text; // --help or --version, for stdout
        const int code = app.exit(success, text);
        return code == 0 ? WriteOutput(text.str()) : code;
    }
    catch (const CLI::ParseError& error)
    {
        std::cerr << "kavrin-cli: " << error.what() << "\n"
                  << "Usage: kavrin-cli [-f MHZ] [-d MS] [-l LABEL] [-c COUNTER] "
                     "[--count-call-return] [--syntax classic|gputils] [--filler goto|loop]\n"
                     "                  [--core baseline|midrange|pic18] [--times-w] [--json]\n"
                  << "Run with --help for more information.\n";
        return ExitUsage;
    }
    return Run(options);
}
