// How field texts become numbers and names.

#include <clocale>
#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "delay/input_rules.h"

namespace kavrin
{
namespace
{
struct NumberCase
{
    const char* text;
    std::optional<double> value; ///< nothing: not a number
};

const NumberCase NumberCases[] = {
    {"3.2768", 3.2768},
    {"3,2768", 3.2768},        // the decimal comma is read as a point
    {"1,000.5", std::nullopt}, // ... so a grouping comma makes two points
    {" 4", 4},
    {"\t\n\v\f\r4", 4},
    {"4 ", std::nullopt},
    {"4MHz", std::nullopt},
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"1e1", 10},
    {"1E+1", 10},
    {"25e-1", 2.5},
    {".5", 0.5},
    {"4.", 4},
    {"+4", 4},
    {"-4", -4},
    {"0", 0},
    {"-0", -0.0},
    {"0e999999", 0},
    {".", std::nullopt},
    {"+", std::nullopt},
    {"-.e1", std::nullopt},
    {"4e", std::nullopt},
    {"4e+", std::nullopt},
    {"1.2.3", std::nullopt},
    {"++4", std::nullopt},
    {"- 4", std::nullopt},
    {"1e400", std::nullopt}, // overflow
    {"-1e400", std::nullopt},
    {"1e-400", std::nullopt}, // underflow to zero
    {"1e-310", std::nullopt}, // below the smallest normal double
    {"2.2250738585072014e-308", 2.2250738585072014e-308},
    {"1.7976931348623157e308", 1.7976931348623157e308},
    {"inf", std::nullopt},
    {"nan", std::nullopt},
    {"infinity", std::nullopt},
    {"0x10", std::nullopt},
    {"\xC2\xA0"
     "4",
     std::nullopt}, // a no-break space is not white space here
};

TEST(ParseFieldNumber, FollowsTheNumberRule)
{
    for (const NumberCase& c : NumberCases)
    {
        SCOPED_TRACE(std::string("text \"") + c.text + "\"");
        const std::optional<double> value = ParseFieldNumber(c.text);
        ASSERT_EQ(value.has_value(), c.value.has_value());
        if (value)
        {
            EXPECT_EQ(*value, *c.value);
            EXPECT_EQ(std::signbit(*value), std::signbit(*c.value));
        }
    }
}

TEST(ParseFieldNumber, IgnoresTheDecimalCommaOfTheLocale)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    ASSERT_NE(std::setlocale(LC_NUMERIC, "cs_CZ.UTF-8"), nullptr)
        << "the cs_CZ.UTF-8 locale is missing (scripts/install-deps generates it)";
    EXPECT_EQ(ParseFieldNumber("3.2768"), 3.2768);
    EXPECT_EQ(ParseFieldNumber("3,2768"), 3.2768);
    EXPECT_EQ(ParseFieldNumber("1,000.5"), std::nullopt);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(CheckName, AcceptsAnyWellFormedTextUpTo255Bytes)
{
    const struct
    {
        std::string name;
        NameProblem problem;
    } cases[] = {
        {"", NameProblem::Empty},
        {" ", NameProblem::Ok}, // nothing is trimmed
        {"WAIT", NameProblem::Ok},
        {"ČEKEJ", NameProblem::Ok},
        {std::string(255, 'A'), NameProblem::Ok},
        {std::string(256, 'A'), NameProblem::TooLong},
        {std::string(253, 'A') + "Ž", NameProblem::Ok},      // 255 bytes
        {std::string(254, 'A') + "Ž", NameProblem::TooLong}, // 256 bytes
        {"\xF0\x9F\x98\x80", NameProblem::Ok},               // U+1F600, four bytes
        {"\xFF", NameProblem::InvalidUtf8},
        {"A\xC5", NameProblem::InvalidUtf8},            // cut-off sequence
        {"\xC0\xAF", NameProblem::InvalidUtf8},         // overlong "/"
        {"\xED\xA0\x80", NameProblem::InvalidUtf8},     // a lone surrogate
        {"\xF4\x90\x80\x80", NameProblem::InvalidUtf8}, // beyond U+10FFFF
        {std::string(300, 'A') + "\xFF", NameProblem::InvalidUtf8},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("name of " + std::to_string(c.name.size()) + " bytes");
        EXPECT_EQ(CheckName(c.name), c.problem);
    }
}
} // namespace
} // namespace kavrin
