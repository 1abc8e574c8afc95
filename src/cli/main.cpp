// kavrin-cli: the compute command of the desktop program for scripts and build systems.
// Values go through exactly the rules of the window's fields; by default the routine printed is
// the text the window's output field would hold, followed by one line feed.

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include "delay/choices.h"
#include "delay/compute.h"
#include "delay/fields.h"

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

/// `parts` with `separator` between them.
std::string Joined(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : separator) + part;
    return text;
}

/// The usage lines of a usage error, made from the fields and the choices.
std::string Usage()
{
    std::vector<std::string> parts;
    for (const kavrin::TextField& field : kavrin::TextFields)
        parts.push_back("[-" + std::string(1, field.shortOption) + " " + field.valueName + "]");
    parts.push_back("[--" + std::string(kavrin::CountCallReturnField.key) + "]");
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        std::vector<std::string> words;
        for (const kavrin::ChoiceWord& entry : choice.words)
            words.emplace_back(entry.word);
        parts.push_back("[--" + std::string(choice.key) +
                        (words.empty() ? "" : " " + Joined(words, "|")) + "]");
    }
    parts.emplace_back("[--json]");
    // Wrapped before 100 columns, the later lines indented under the first option.
    const std::string start = "Usage: kavrin-cli ";
    std::string text = start;
    std::size_t column = start.size();
    for (const std::string& part : parts)
    {
        if (column > start.size() && column + 1 + part.size() > 99)
        {
            text += "\n" + std::string(start.size(), ' ');
            column = start.size();
        }
        else if (column > start.size())
        {
            text += ' ';
            ++column;
        }
        text += part;
        column += part.size();
    }
    return text + "\n";
}

struct Options
{
    kavrin::ComputeInput input;
    kavrin::RoutineFormat format;
    bool json = false;
};

/// The choice's option: a flag, or one of its words in any letter case and nothing else (no
/// numbers), which help shows as "--key {word,word}=default".
void AddChoiceOption(CLI::App& app, const kavrin::Choice& choice, kavrin::RoutineFormat& format)
{
    const std::string name = "--" + std::string(choice.key);
    if (choice.IsFlag())
    {
        app.add_flag_function(
            name, [&choice, &format](std::int64_t count) { choice.set(format, count > 0); },
            choice.cliHelp);
        return;
    }
    std::vector<std::string> names;
    for (const kavrin::ChoiceWord& entry : choice.words)
        names.emplace_back(entry.word);
    app.add_option_function<std::string>(
           name,
           [&choice, &format](const std::string& word)
           {
               // The check below has turned the word into its listed spelling.
               kavrin::SetWord(choice, format, word);
           },
           choice.cliHelp)
        ->transform(CLI::IsMember(names, CLI::ignore_case).description(""))
        ->type_name("{" + Joined(names, ",") + "}")
        ->default_str(std::string(kavrin::WordIn(choice, format)));
}

void DefineOptions(CLI::App& app, Options& options)
{
    for (std::size_t row = 0; row < std::size(kavrin::TextFields); ++row)
    {
        const kavrin::TextField& field = kavrin::TextFields[row];
        const std::string names =
            "-" + std::string(1, field.shortOption) + ",--" + std::string(field.key);
        app.add_option(names, options.input.Text(row), field.cliHelp)->capture_default_str();
    }
    const kavrin::FlagField& flag = kavrin::CountCallReturnField;
    app.add_flag("--" + std::string(flag.key), options.input.countCallReturn, flag.cliHelp);
    for (const kavrin::Choice& choice : kavrin::Choices)
        AddChoiceOption(app, choice, options.format);
    app.add_flag("--json", options.json, "Print the plan and the routine as one JSON object");
    app.set_version_flag("--version", "kavrin-cli " KAVRIN_VERSION);
    app.footer("Exit codes:\n"
               "  0  the routine (or this text) on stdout\n"
               "  1  the input refused, its message on stderr\n"
               "  2  a usage error\n"
               "  3  the output could not be written, the cause on stderr");
}

/// A choice's key in the JSON: its option with "_" for "-" ("times_w").
std::string JsonKey(const kavrin::Choice& choice)
{
    std::string key(choice.key);
    for (char& c : key)
        if (c == '-')
            c = '_';
    return key;
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
        // The reached delay in the unit of the wanted one: for cycles N itself.
        {"approx_delay", format.unit == kavrin::DelayUnit::Cycles
                             ? nlohmann::ordered_json(plan.CycleCount)
                             : nlohmann::ordered_json(plan.ApproxDelay)},
        {"error_percent", routine.errorPercent},
    };
    // Every choice of the table: a flag as true or false, any other as its word.
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        if (choice.IsFlag())
            json[JsonKey(choice)] = choice.get(format) != 0;
        else
            json[JsonKey(choice)] = std::string(kavrin::WordIn(choice, format));
    }
    if (format.timesW)
    {
        // The call takes W x unit_cycles + fixed_cycles, from the CALL to the instruction after it.
        json["unit_cycles"] = plan.CycleCount;
        json["fixed_cycles"] = plan.CallReturnCounted ? 0 : kavrin::CallReturnCycles;
    }
    if (format.watchdog)
    {
        // The longest run of cycles between two CLRWDTs, from the CALL to the RETURN.
        json["watchdog_bound_cycles"] = kavrin::WatchdogBound(plan, format);
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
                  << Usage() << "Run with --help for more information.\n";
        return ExitUsage;
    }
    return Run(options);
}
