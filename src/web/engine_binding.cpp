// The engine for the web page: module.choices(), the table of the routine's choices, and
// module.fields(), the table of the compute command's fields and its flag; the compute
// command behind one function that takes the four field texts and the choices and hands back a
// plain JavaScript object; and the delay field's caption for the choices. engine_api.js wraps the
// last two as module.compute(request) and module.delayCaption(choices).

#include <string>
#include <string_view>
#include <variant>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include "delay/choices.h"
#include "delay/compute.h"
#include "delay/extended.h"
#include "delay/fields.h"

namespace
{
using emscripten::val;

static_assert(kavrin::detail::UsesSoftExtended,
              "long double is not the x87 format in WebAssembly: the cycle budget must be "
              "computed with the software 80-bit float");

/// A JavaScript string of the UTF-8 `text`, decoded as embind decodes a std::string.
val Text(std::string_view text)
{
    return val(std::string(text));
}

/// The message for a word that is none of `choice`'s (the page never sends one).
std::string UnknownWord(const kavrin::Choice& choice, const std::string& word)
{
    std::string message = "unknown " + std::string(choice.key) + " \"" + word + "\" (";
    const int count = choice.ValueCount();
    for (int value = 0; value < count; ++value)
    {
        message += value == 0 ? "" : value + 1 == count ? " or " : ", ";
        message += kavrin::WordOfValue(choice, value);
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

/// Sets in `format` each choice `choices` names by its key (an object of words, checked to be
/// strings by engine_api.js); a choice it leaves out keeps its default. The message for the first
/// unknown key or word, or an empty one.
std::string SetChoices(const val& choices, kavrin::RoutineFormat& format)
{
    const val keys = val::global("Object").call<val>("keys", choices);
    const int count = keys["length"].as<int>();
    for (int i = 0; i < count; ++i)
    {
        const std::string key = keys[i].as<std::string>();
        const kavrin::Choice* choice = kavrin::FindChoice(key);
        if (!choice)
            return "unknown choice \"" + key + "\"";
        const std::string word = choices[key].as<std::string>();
        if (!kavrin::SetWord(*choice, format, word))
            return UnknownWord(*choice, word);
    }
    return {};
}

/// The table of the routine's choices, in its order: for each, its key, address key, caption and
/// help (message ids), whether it is a flag, its words with their captions, and its default word.
val ChoiceTable()
{
    val table = val::array();
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        val row = val::object();
        row.set("key", Text(choice.key));
        row.set("addressKey", Text(choice.addressKey));
        row.set("caption", Text(choice.caption));
        row.set("help", Text(choice.help));
        row.set("flag", choice.IsFlag());
        val words = val::array();
        for (const kavrin::ChoiceWord& word : choice.words)
        {
            val entry = val::object();
            entry.set("word", Text(word.word));
            entry.set("caption", Text(word.caption));
            words.call<void>("push", entry);
        }
        row.set("words", words);
        row.set("defaultWord", Text(kavrin::WordOfValue(choice, choice.defaultValue)));
        table.call<void>("push", row);
    }
    return table;
}

/// A row of the table of fields: its key, address key, caption (a message id) and start value.
val FieldRow(std::string_view key, std::string_view addressKey, const char* caption,
             const val& start)
{
    val row = val::object();
    row.set("key", Text(key));
    row.set("addressKey", Text(addressKey));
    row.set("caption", Text(caption));
    row.set("startValue", start);
    return row;
}

/// The compute command's inputs: `texts`, the text fields in their order (the delay's caption
/// the one for the default choices), and `countCallReturn`, the flag (its start value a boolean).
val FieldTable()
{
    val texts = val::array();
    for (const kavrin::TextField& field : kavrin::TextFields)
        texts.call<void>("push", FieldRow(field.key, field.addressKey,
                                          kavrin::CaptionOf(field, kavrin::RoutineFormat{}),
                                          Text(field.startValue)));
    const kavrin::FlagField& flag = kavrin::CountCallReturnField;
    val table = val::object();
    table.set("texts", texts);
    table.set("countCallReturn",
              FieldRow(flag.key, flag.addressKey, flag.caption, val(flag.startValue)));
    return table;
}

/// The delay field's caption (a message id) for `choices`, or the message that refuses them.
val DelayCaptionOf(val choices)
{
    kavrin::RoutineFormat format;
    const std::string refused = SetChoices(choices, format);
    if (!refused.empty())
        return Failure(refused);
    val result = val::object();
    result.set("ok", true);
    result.set("caption", Text(kavrin::DelayCaption(format)));
    return result;
}

/// The last routine's text, which the view handed back reads; it stays until the next call.
std::string routineText;

/// The compute command. The texts are UTF-8 bytes; the routine comes back as `routineBytes`, a
/// view on the module's memory, so that JavaScript decodes it in one step.
val Compute(std::string frequency, std::string delay, std::string label, std::string counter,
            bool countCallReturn, val choices)
{
    kavrin::RoutineFormat format;
    const std::string refused = SetChoices(choices, format);
    if (!refused.empty())
        return Failure(refused);

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
    out.set("fillerInstructions", routine.fillerInstructions);
    out.set("loopWords", routine.loopWords);
    out.set("offersLoopFiller", routine.offersLoopFiller);
    // The choice the loop hint's button makes, so that the page names no word itself.
    const kavrin::Choice& filler = kavrin::ChoiceOf("filler");
    val loopFiller = val::object();
    loopFiller.set("key", Text(filler.key));
    loopFiller.set("word",
                   Text(kavrin::WordOfValue(filler, static_cast<int>(kavrin::FillerKind::Loop))));
    out.set("loopFiller", loopFiller);
    // A module is assembled on its own (.asm); the other layouts are included (.inc).
    out.set("fileExtension", Text(kavrin::RoutineFileExtension(format)));
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
    emscripten::function("choices", &ChoiceTable);
    emscripten::function("fields", &FieldTable);
    emscripten::function("delayCaptionOf", &DelayCaptionOf);
}
