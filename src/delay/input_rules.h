#pragma once
// How the compute command reads its four input texts.

#include <cstddef>
#include <cstdint>
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

/// Largest value `ParseFieldWholeNumber` gives: a longer number saturates here, far beyond every
/// count the loops can take.
inline constexpr std::int64_t MaxWholeNumber = 1000000000000000; // 10^15

/// Reads a whole-number field: leading white space, an optional sign and decimal digits, as the
/// number field takes them but without a decimal point or comma and without an exponent.
/// Magnitudes above `MaxWholeNumber` give `MaxWholeNumber` with their sign.
std::optional<std::int64_t> ParseFieldWholeNumber(std::string_view text);

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

namespace detail
{
/// The double nearest to a decimal number whose syntax `ParseFieldNumber` has checked (optional
/// sign, digits with at most one ".", optional exponent), or nothing when the conversion refuses
/// it. Overflow may give nothing or infinity, underflow nothing, zero or a subnormal: the caller
/// refuses all of them. Uses `DecimalByFromChars` where the library has a floating-point
/// `std::from_chars`, `DecimalByStrtod` where it has none (Emscripten's libc++).
std::optional<double> DecimalToDouble(std::string_view number);

/// `std::from_chars`: nothing on a range error; nothing at all without the library's support.
std::optional<double> DecimalByFromChars(std::string_view number);

/// `std::strtod`: the rounded value even on a range error. Reads "." as the decimal point only
/// in the "C" locale (with glibc; musl always does).
std::optional<double> DecimalByStrtod(std::string_view number);
} // namespace detail
} // namespace kavrin
