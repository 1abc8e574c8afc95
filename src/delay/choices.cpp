#include "choices.h"

#include <cstdlib>

namespace kavrin
{
namespace
{
constexpr std::string_view FlagWords[] = {"0", "1"};
} // namespace

const char* DelayCaption(const RoutineFormat& format)
{
    switch (format.unit)
    {
    case DelayUnit::Microseconds:
        return N_("Doba zpoždění [µs]");
    case DelayUnit::Milliseconds:
        break;
    case DelayUnit::Seconds:
        return N_("Doba zpoždění [s]");
    case DelayUnit::Cycles:
        return N_("Počet cyklů");
    }
    return N_("Doba zpoždění [ms]");
}

const Choice* FindChoice(std::string_view key)
{
    for (const Choice& choice : Choices)
        if (choice.key == key)
            return &choice;
    return nullptr;
}

const Choice& ChoiceOf(std::string_view key)
{
    const Choice* choice = FindChoice(key);
    if (!choice)
        std::abort(); // a key the code names but the table lacks: a programming error
    return *choice;
}

std::optional<int> ValueOfWord(const Choice& choice, std::string_view word)
{
    for (int value = 0; value < choice.ValueCount(); ++value)
        if (WordOfValue(choice, value) == word)
            return value;
    return std::nullopt;
}

std::string_view WordOfValue(const Choice& choice, int value)
{
    if (value < 0 || value >= choice.ValueCount())
        return {};
    return choice.IsFlag() ? FlagWords[value] : choice.words[value].word;
}

std::string_view WordIn(const Choice& choice, const RoutineFormat& format)
{
    return WordOfValue(choice, choice.get(format));
}

bool SetWord(const Choice& choice, RoutineFormat& format, std::string_view word)
{
    const std::optional<int> value = ValueOfWord(choice, word);
    if (value)
        choice.set(format, *value);
    return value.has_value();
}
} // namespace kavrin
