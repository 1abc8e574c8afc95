// How field texts become numbers and names.

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "delay/assembler_names.h"
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
    {"2.2250738585072012e-308", DBL_MIN},      // rounds up to the smallest normal double
    {"2.2250738585072011e-308", std::nullopt}, // rounds down to the largest subnormal
    {"4.9406564584124654e-324", std::nullopt}, // the smallest subnormal
    {"1.7976931348623158e308", DBL_MAX},       // rounds down to the largest double
    {"1.7976931348623159e308", std::nullopt},  // rounds up to infinity
    {"1e99999999999999999999", std::nullopt},  // an exponent beyond every integer type
    {"-1e-99999999999999999999", std::nullopt},
    {"0e-99999999999999999999", 0},
    {"-0.000e5", -0.0},
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

TEST(ParseFieldNumber, ReadsLongDigitStringsExactly)
{
    const struct
    {
        std::string text;
        std::optional<double> value;
    } cases[] = {
        {"0." + std::string(399, '0') + "1e400", 1},
        {"1" + std::string(999, '0') + "e-999", 1},
        {"3.2768" + std::string(500, '0'), 3.2768},
        {"1" + std::string(400, '0'), std::nullopt},        // 1e400
        {"0." + std::string(400, '0') + "1", std::nullopt}, // 1e-401
        {std::string(500, '0') + ".5", 0.5},
        // Halfway between 1 and the next double, then a 1 far beyond: rounds up, not to even.
        {"1.00000000000000011102230246251565404236316680908203125" + std::string(300, '0') + "1",
         1.0000000000000002},
        {"1.00000000000000011102230246251565404236316680908203125" + std::string(3000, '0') + "1",
         1.0000000000000002}, // beyond the digits a conversion may keep whole
        {"1.00000000000000011102230246251565404236316680908203125", 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("text of " + std::to_string(c.text.size()) + " characters");
        EXPECT_EQ(ParseFieldNumber(c.text), c.value);
    }
}

/// Decimal texts in the syntax the rule accepts: signs, points anywhere, long mantissas and
/// exponents across and beyond the range of a double, and the edges of that range.
std::vector<std::string> GeneratedDecimals()
{
    std::vector<std::string> texts = {
        // Exactly halfway between the largest double and 2^1024: rounds to infinity.
        "179769313486231580793728971405303415079934132710037826936173778980444968292764750946649017"
        "977587207096330286416692887910946555547851940402630657488671505820681908902000708383676273"
        "854845817711531764475730270069855571366959622842914819860834936475292719074168444365510704"
        "342711559699508093042880177904174497792",
        "1."
        "797693134862315807937289714053034150799341327100378269361737789804449682927647509466473681"
        "7e308",
        "2."
        "225073858507201136057409796709131975934819546351645648023426109724822222021076945516529523"
        "9e-308",
        "2."
        "470328229206232720882843964341106861825299013071623822127928412503377536351043759326499181"
        "8e-324",
        "2.4703282292062328e-324",
        "4.9406564584124654e-324",
    };
    std::mt19937_64 rng(20261207);
    auto pick = [&rng](int low, int high)
    { return std::uniform_int_distribution<int>(low, high)(rng); };
    const int digitCounts[] = {1, 2, 5, 17, 19, 20, 40, 800};
    for (int i = 0; i < 20000; ++i)
    {
        std::string text;
        if (pick(0, 3) == 0)
            text += pick(0, 1) ? "-" : "+";
        const int digits = digitCounts[pick(0, 7)];
        const int point = pick(-1, digits);
        for (int d = 0; d < digits; ++d)
        {
            if (d == point)
                text += '.';
            text += static_cast<char>('0' + pick(0, 9));
        }
        if (point == digits)
            text += '.';
        if (pick(0, 3) != 0)
        {
            text += pick(0, 1) ? 'e' : 'E';
            const int exponent = pick(0, 1) ? pick(-340, 320) : pick(-1200, 1200);
            text += std::to_string(exponent);
        }
        texts.push_back(text);
    }
    return texts;
}

bool SameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Both conversions lead the rule to the same answer: the same double, or a refusal (from_chars
// refuses what strtod turns into infinity or, from a non-zero text, into zero).
TEST(ParseFieldNumber, ConversionsAgree)
{
    if (!detail::DecimalByFromChars("1"))
        GTEST_SKIP() << "the library has no floating-point from_chars";
    for (const std::string& text : GeneratedDecimals())
    {
        const std::optional<double> a = detail::DecimalByFromChars(text);
        const std::optional<double> b = detail::DecimalByStrtod(text);
        ASSERT_TRUE(b) << text;
        if (a)
            ASSERT_TRUE(SameBits(*a, *b)) << text << ": " << *a << " and " << *b;
        else
            ASSERT_TRUE(std::isinf(*b) || *b == 0) << text << ": " << *b;
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

TEST(ParseFieldWholeNumber, TakesDigitsOnlyAndSaturates)
{
    const struct
    {
        std::string text;
        std::optional<std::int64_t> value;
    } cases[] = {
        {"10000", 10000},
        {"\t\n +007", 7},
        {"-0", 0},
        {"-50005246", -50005246},
        {"999999999999999", 999999999999999},
        {"1000000000000001", MaxWholeNumber},
        {std::string(400, '9'), MaxWholeNumber},
        {"-" + std::string(400, '9'), -MaxWholeNumber},
        {"1 ", std::nullopt},
        {"1.", std::nullopt},
        {".5", std::nullopt},
        {"1e3", std::nullopt},
        {"1,0", std::nullopt},
        {"", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"++1", std::nullopt},
        {"- 1", std::nullopt},
        {"0x10", std::nullopt},
        {"\xC2\xA0"
         "1",
         std::nullopt},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("text \"" + c.text.substr(0, 20) + "\"");
        EXPECT_EQ(ParseFieldWholeNumber(c.text), c.value);
    }
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
// Each assembler's rule, one row per kind of fault: gpasm's and pic-as's identifiers, reserved
// words in any case, counters and labels made of the names, and the assembler they are not.
TEST(AssemblerNames, RefuseWhatTheAssemblerCannotTake)
{
    using F = AssemblerNameFault;
    constexpr Assembler gpasm = Assembler::Gpasm, picAs = Assembler::PicAs;
    const struct
    {
        Assembler assembler;
        std::string counter, label;
        F counterFault, labelFault; // the label with the counter, or CNT if that is refused
    } cases[] = {
        {gpasm, "A?_1", "_w?9", F::Ok, F::Ok},
        {picAs, "?x$", "?WAIT$2", F::Ok, F::Ok},
        {gpasm, "?x", "a$b", F::NotIdentifier, F::NotIdentifier},
        {picAs, "$x", "a.b", F::NotIdentifier, F::NotIdentifier},
        {gpasm, "ČÍTAČ", "9WAIT", F::NotIdentifier, F::NotIdentifier},
        {gpasm, "tblRD", "Skpnz", F::Reserved, F::Reserved},
        {picAs, "tblRD", "psect", F::Reserved, F::Reserved},
        {gpasm, "psect", "udata_bank2", F::Ok, F::Ok},
        {picAs, "udata_bank", "UDATA_BANK12", F::MakesReserved, F::Reserved},
        {gpasm, "__x", "__16F628A", F::Reserved, F::Reserved},
        {picAs, "__x", "__16F628A", F::Ok, F::Ok},
        {gpasm, "W", "access", F::Reserved, F::Reserved}, // names every processor include defines
        {picAs, "b", "debug_source", F::Reserved, F::Reserved},
        {gpasm, "Retl", "WAIT", F::MakesReserved, F::Ok},
        {gpasm, "pageSel", "WAIT", F::Reserved, F::Ok},
        {gpasm, "dd", "WAIT", F::Ok, F::Ok},
        {picAs, "dd", "WAIT", F::MakesReserved, F::Ok},
        {gpasm, std::string(255, 'C'), std::string(GpasmMaxLabel + 1, 'L'), F::Ok, F::TooLong},
        {picAs, std::string(255, 'C'), std::string(255, 'L'), F::Ok, F::Ok},
        {gpasm, "WAIT_LOOP", "WAIT", F::Ok, F::SameAsCounter},
        {picAs, "X_PAD", "X", F::Ok, F::SameAsCounter},
        {gpasm, "X_PAD0", "X", F::Ok, F::Ok}, // X_PAD01 is no filler label
        {gpasm, "X_UNI", "X", F::Ok, F::Ok},
        {picAs, "Wait", "WAITW", F::Ok, F::Ok}, // names differ in case
        {Assembler::None, "nop", "a b", F::Ok, F::Ok},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("counter \"" + c.counter.substr(0, 20) + "\", label \"" +
                     c.label.substr(0, 20) + "\"");
        EXPECT_EQ(CheckCounterName(c.assembler, c.counter, true), c.counterFault);
        const std::string counter = c.counterFault == F::Ok ? c.counter : "CNT";
        EXPECT_EQ(CheckLabelName(c.assembler, c.label, counter), c.labelFault);
    }
    EXPECT_EQ(AssemblerOf(RoutineSyntax::Classic), Assembler::None);
    EXPECT_EQ(AssemblerOf(RoutineSyntax::Module), Assembler::Gpasm);
}
} // namespace
} // namespace kavrin
