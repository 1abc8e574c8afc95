#pragma once
// The words that name a routine's form: kavrin-cli's option values and the web page's choices.

#include <cstddef>
#include <optional>
#include <string_view>

#include "filler.h"
#include "routine.h"

namespace kavrin
{
/// One word and the value it stands for.
template <typename Value> struct FormatWord
{
    std::string_view word;
    Value value;
};

inline constexpr FormatWord<RoutineSyntax> SyntaxWords[] = {{"classic", RoutineSyntax::Classic},
                                                            {"gputils", RoutineSyntax::Gputils}};
inline constexpr FormatWord<FillerKind> FillerWords[] = {{"goto", FillerKind::Goto},
                                                         {"loop", FillerKind::Loop}};
inline constexpr FormatWord<PicCore> CoreWords[] = {
    {"baseline", PicCore::Baseline}, {"midrange", PicCore::Midrange}, {"pic18", PicCore::Pic18}};

/// The value that `word` names exactly, or nothing.
template <typename Value, std::size_t N>
constexpr std::optional<Value> ValueOfWord(const FormatWord<Value> (&words)[N],
                                           std::string_view word)
{
    for (const auto& entry : words)
        if (entry.word == word)
            return entry.value;
    return std::nullopt;
}

/// The word that names `value`.
template <typename Value, std::size_t N>
constexpr std::string_view WordOfValue(const FormatWord<Value> (&words)[N], Value value)
{
    for (const auto& entry : words)
        if (entry.value == value)
            return entry.word;
    return {};
}
} // namespace kavrin
