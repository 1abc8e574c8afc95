// Field texts on their way to the engine, including text with no UTF-8 form.
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include "delay/compute.h"
#include "delay/input_rules.h"
#include "delay/messages.h"
#include "gui/field_text.h"

namespace
{
using kavrin::gui::FieldUtf8;

TEST(FieldUtf8, GivesTheTextsUtf8Bytes)
{
    const struct
    {
        wxString text;
        std::string utf8;
    } cases[] = {
        {"CNT", "CNT"},
        {"", ""},
        {" ", " "},
        {"3,2768", "3,2768"},
        {wxString::FromUTF8("ČEKEJ"), "\xC4\x8C"
                                      "EKEJ"},
        {wxString(L"\U0001F600"), "\xF0\x9F\x98\x80"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FieldUtf8(c.text), c.utf8) << c.utf8;
}

TEST(FieldUtf8, TextWithoutUtf8FormBecomesInvalidUtf8)
{
    for (const wxString& text : {wxString(L"\xD800"), wxString(L"AB\xDC00"), wxString(L"\xDBFFx")})
    {
        const std::string bytes = FieldUtf8(text);
        EXPECT_FALSE(bytes.empty());
        EXPECT_FALSE(kavrin::IsValidUtf8(bytes));
    }
}

// A stray surrogate is refused in its name's place in the order of tests.
TEST(FieldUtf8, EngineRefusesSurrogateNamesInOrder)
{
    const wxString stray(L"A\xD800");
    const struct
    {
        wxString frequency, label, counter;
        const char* message;
    } cases[] = {
        {"3.2768", "WAIT", stray, kavrin::msg::CounterInvalid},
        {"3.2768", stray, "CNT", kavrin::msg::LabelInvalid},
        {"3.2768", stray, stray, kavrin::msg::CounterInvalid},
        {"3.2768", stray, "", kavrin::msg::CounterEmpty},
        {"x", stray, stray, kavrin::msg::FrequencyNotNumber},
        {stray, "WAIT", "CNT", kavrin::msg::FrequencyNotNumber},
    };
    for (const auto& c : cases)
    {
        const auto result = kavrin::RunComputeCommand(
            {FieldUtf8(c.frequency), "10", FieldUtf8(c.label), FieldUtf8(c.counter), false});
        const auto* error = std::get_if<kavrin::ComputeError>(&result);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->message, c.message);
    }
}
} // namespace
