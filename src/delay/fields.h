#pragma once
// The compute command's inputs, each described once: the four text fields and the check box.
// kavrin-cli's options and their defaults, the window's fields and captions, and the page's
// fields, captions and address are all made from this table, as the choices are from choices.h.

#include <cstddef>
#include <string_view>

#include "choices.h"
#include "msgid.h"

namespace kavrin
{
/// One text field of the compute command.
struct TextField
{
    /// kavrin-cli's option ("--KEY"), the page's field id and the text's name in its request.
    std::string_view key;
    /// kavrin-cli's short option ("-X").
    char shortOption;
    /// The parameter in the page's address.
    std::string_view addressKey;
    /// The field's caption (a message id); none for the delay, whose caption names the unit
    /// chosen (see CaptionOf).
    const char* caption;
    /// kavrin-cli's name of the value in its usage line ("-f MHZ").
    const char* valueName;
    /// kavrin-cli's --help text (English, as the command line speaks).
    const char* cliHelp;
    /// The text a field holds at start, and kavrin-cli's default.
    const char* startValue;
};

/// The compute command's one flag: whether the CALL and the RETURN count towards the delay.
struct FlagField
{
    /// kavrin-cli's option ("--KEY") and the page's check box id.
    std::string_view key;
    /// The parameter in the page's address, written only when the flag is on ("1").
    std::string_view addressKey;
    /// The check box's text (a message id).
    const char* caption;
    /// kavrin-cli's --help text.
    const char* cliHelp;
    bool startValue;
};

/// The rows of TextFields, which are ComputeInput's texts in their order.
enum TextRow : std::size_t
{
    FrequencyRow,
    DelayRow,
    LabelRow,
    CounterRow,
};

/// The text fields, in the order of the window's rows and the page's fields.
inline constexpr TextField TextFields[] = {
    {"frequency", 'f', "f", N_("Frekvence OSC v [MHz]"), "MHZ", "Oscillator frequency in MHz",
     "3.2768"},
    {"delay", 'd', "d", nullptr, "DELAY", "Wanted delay in the unit of --unit (ms by default)",
     "10"},
    {"label", 'l', "l", N_("Název čekací smyčky"), "LABEL", "Label of the delay routine", "WAIT"},
    {"counter", 'c', "c", N_("Název proměné"), "COUNTER", "Base name of the counter variables",
     "CNT"},
};

inline constexpr FlagField CountCallReturnField = {
    "count-call-return", "cr", N_("Započítat CALL a RETURN"),
    "Count the CALL that reaches the routine and its RETURN in the delay", false};

/// The caption of `field` for the choices in `format` (a message id).
inline const char* CaptionOf(const TextField& field, const RoutineFormat& format)
{
    return field.caption ? field.caption : DelayCaption(format);
}
} // namespace kavrin
