#include "input_rules.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>
#include <system_error>

namespace kavrin
{
namespace
{
bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// Length of the decimal number at the start of `s` (sign, digits with at most one ".", optional
/// exponent), or 0 when it does not start with one. Sets `nonZero` when a mantissa digit is not 0.
std::size_t ScanDecimal(std::string_view s, bool& nonZero)
{
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < s.size(); ++i)
    {
        if (IsDigit(s[i]))
        {
            ++digits;
            nonZero = nonZero || s[i] != '0';
        }
        else if (s[i] == '.' && !point)
            point = true;
        else
            break;
    }
    if (digits == 0)
        return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E'))
    {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-'))
            ++j;
        std::size_t expStart = j;
        while (j < s.size() && IsDigit(s[j]))
            ++j;
        if (j > expStart)
            i = j; // an "e" without digits is not part of the number, and so it trails it
    }
    return i;
}
} // namespace

std::optional<double> ParseFieldNumber(std::string_view text)
{
    std::string s(text);
    for (char& c : s)
        if (c == ',')
            c = '.';

    std::size_t start = 0;
    while (start < s.size() && IsSpace(s[start]))
        ++start;
    std::string_view rest = std::string_view(s).substr(start);

    bool nonZero = false;
    std::size_t length = ScanDecimal(rest, nonZero);
    if (length == 0 || length != rest.size())
        return std::nullopt;

    // The syntax is checked, so only the value is left to judge.
    const std::optional<double> value = detail::DecimalToDouble(rest);
    if (!value || std::isinf(*value))
        return std::nullopt; // out of range, or overflow to infinity
    if (nonZero && std::fabs(*value) < DBL_MIN)
        return std::nullopt; // underflow to zero or into the subnormal range
    return value;
}

std::optional<std::int64_t> ParseFieldWholeNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && IsSpace(text[i]))
        ++i;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == text.size())
        return std::nullopt; // no digit
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i)
    {
        if (!IsDigit(text[i]))
            return std::nullopt;
        magnitude = std::min(MaxWholeNumber, magnitude * 10 + (text[i] - '0'));
    }
    return negative ? -magnitude : magnitude;
}

namespace detail
{
std::optional<double> DecimalByFromChars([[maybe_unused]] std::string_view number)
{
#if defined(__cpp_lib_to_chars)
    // from_chars takes no "+" sign.
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    double value = 0;
    auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size())
        return std::nullopt; // out of range: overflow or underflow to zero
    return value;
#else
    return std::nullopt;
#endif
}

std::optional<double> DecimalByStrtod(std::string_view number)
{
    // strtod rounds to nearest as from_chars does, and on a range error it still gives the
    // rounded value (infinity, zero or a subnormal), which the caller judges; errno is not
    // needed. It reads "." only in the "C" locale (musl: always).
    const std::string text(number);
    char* end = nullptr;
    const int savedErrno = errno;
    const double value = std::strtod(text.c_str(), &end);
    errno = savedErrno;
    if (end != text.c_str() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> DecimalToDouble(std::string_view number)
{
#if defined(__cpp_lib_to_chars)
    return DecimalByFromChars(number);
#elif defined(__EMSCRIPTEN__)
    // Emscripten's libc++ has no floating-point from_chars; its strtod (musl's) is correctly
    // rounded and ignores the locale's decimal point.
    return DecimalByStrtod(number);
#else
#error "no locale-independent, correctly rounded decimal conversion for this library"
#endif
}
} // namespace detail

bool IsValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size())
    {
        auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        char32_t minimum = 0;
        if (lead < 0x80)
        {
            ++i;
            continue;
        }
        else if ((lead & 0xE0) == 0xC0)
            extra = 1, cp = lead & 0x1F, minimum = 0x80;
        else if ((lead & 0xF0) == 0xE0)
            extra = 2, cp = lead & 0x0F, minimum = 0x800;
        else if ((lead & 0xF8) == 0xF0)
            extra = 3, cp = lead & 0x07, minimum = 0x10000;
        else
            return false;
        if (bytes.size() - i <= extra)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
        {
            auto b = static_cast<unsigned char>(bytes[i + k]);
            if ((b & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (b & 0x3F);
        }
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

NameProblem CheckName(std::string_view utf8)
{
    if (utf8.empty())
        return NameProblem::Empty;
    if (!IsValidUtf8(utf8))
        return NameProblem::InvalidUtf8;
    if (utf8.size() > MaxNameBytes)
        return NameProblem::TooLong;
    return NameProblem::Ok;
}
} // namespace kavrin
