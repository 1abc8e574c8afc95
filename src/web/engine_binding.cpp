// The engine for the web page: the compute command behind one function that takes the four field
// texts and the choices and hands back a plain JavaScript object. engine_api.js wraps it as
// module.compute(request).

#include <cstddef>
#include <string>
#include <variant>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "delay/compute.h"
#include "delay/extended.h"
#include "delay/format_words.h"

namespace
{
using emscripten::val;

static_assert(kavrin::detail::UsesSoftExtended,
              "long double is not the x87 format in WebAssembly: the cycle budget must be "
              "computed with the software 80-bit float");

/// The message for a choice word that is none of `words` (the page never sends one).
template <typename Value, std::size_t N>
std::string UnknownChoice(const char* what, const kavrin::FormatWord<Value> (&words)[N],
                          const std::string& word)
{
    std::string message = std::string("unknown ") + what + " \"" + word + "\" (";
    for (std::size_t i = 0; i < N; ++i)
    {
        message += i == 0 ? "" : i + 1 == N ? " or " : ", ";
        message += words[i].word;
    }
    return message + ")";
}

val Failure(const std::string& message)
{
    val result = val::object();
    result.set("ok", false);
    result.set("message", message);
    return result;
}

/// The last routine's text, which the view handed back reads; it stays until the next call.
std::string routineText;

/// The compute command. The texts are UTF-8 bytes; the routine comes back as `routineBytes`, a
/// view on the module's memory, so that JavaScript decodes it in one step.
val Compute(std::string frequency, std::string delay, std::string label, std::string counter,
            bool countCallReturn, std::string core, std::string filler, std::string syntax,
            bool timesW)
{
    kavrin::RoutineFormat format;
    format.timesW = timesW;
    if (auto value = kavrin::ValueOfWord(kavrin::CoreWords, core))
        format.core = *value;
    else
        return Failure(UnknownChoice("core", kavrin::CoreWords, core));
    if (auto value = kavrin::ValueOfWord(kavrin::FillerWords, filler))
        format.filler = *value;
    else
        return Failure(UnknownChoice("filler", kavrin::FillerWords, filler));
    if (auto value = kavrin::ValueOfWord(kavrin::SyntaxWords, syntax))
        format.syntax = *value;
    else
        return Failure(UnknownChoice("syntax", kavrin::SyntaxWords, syntax));

    kavrin::ComputeInput input{std::move(frequency), std::move(delay), std::move(label),
                               std::move(counter), countCallReturn};
    kavrin::ComputeResult result = kavrin::RunComputeCommand(input, format);
    if (auto* error = std::get_if<kavrin::ComputeError>(&result))
        return Failure(error->message);

    auto& routine = std::get<kavrin::DelayRoutine>(result);
    routineText = std::move(routine.text);
    val out = val::object();
    out.set("ok", true);
    out.set("words", routine.words);
    out.set("fillerInstructions",
            kavrin::PlanFiller(routine.plan.PadCycles, format.filler).Words());
    // The same routine (waiting once or W times) with the loop filler.
    kavrin::RoutineFormat loopFormat = format;
    loopFormat.filler = kavrin::FillerKind::Loop;
    out.set("loopWords", kavrin::RoutineWords(routine.plan, loopFormat));
    // Last: a view is detached if the memory grows after it is made.
    out.set("routineBytes",
            val(emscripten::typed_memory_view(
                routineText.size(), reinterpret_cast<const unsigned char*>(routineText.data()))));
    return out;
}
} // namespace

EMSCRIPTEN_BINDINGS(kavrin_engine)
{
    emscripten::function("computeBytes", &Compute);
}
