#pragma once
// How the compute command reads its four input texts.

#include <cstddef>
#include <optional>
#include <string_view>

namespace kavrin
{
/// Longest accepted name, in bytes of UTF-8.
inline constexpr std::size_t MaxNameBytes = 255;

/// Reads a number field: every "," becomes "." and the result must be a decimal number as a
/// whole (leading white space, optional sign, digits with at most one ".", optional exponent).
/// Gives nothing for anything else, including "inf", "nan", hexadecimal, trailing characters and
/// values that overflow or underflow a double. The decimal point never depends on the locale.
std::optional<double> ParseFieldNumber(std::string_view text);

/// Why a name is refused; `Ok` when it is accepted as it stands (nothing is trimmed).
enum class NameProblem
{
    Ok,
    Empty,
    InvalidUtf8,
    TooLong,
};

/// Judges a name given as UTF-8 bytes, in this order: empty, not well-formed UTF-8, longer
/// than `MaxNameBytes`.
NameProblem CheckName(std::string_view utf8);

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
} // namespace kavrin
