#pragma once
// The routine's choices, each described once. kavrin-cli's options and --help, the window's
// Options menu and its settings, and the page's controls and address are all made from this
// table: a new choice is a new row (and a field of RoutineFormat).

#include <cstddef>
#include <optional>
#include <string_view>
#include <type_traits>

#include "msgid.h"
#include "routine.h"

namespace kavrin
{
/// One value of a choice that takes one of several words.
struct ChoiceWord
{
    std::string_view word; ///< kavrin-cli's value, the settings' and the address's
    const char* caption;   ///< the menu item's and the page option's text (a message id)
};

/// The words of a choice, in the order of its values (0, 1, ...).
struct ChoiceWords
{
    const ChoiceWord* first = nullptr;
    std::size_t count = 0;

    constexpr const ChoiceWord* begin() const { return first; }
    constexpr const ChoiceWord* end() const { return first + count; }
    constexpr std::size_t size() const { return count; }
    constexpr const ChoiceWord& operator[](std::size_t i) const { return first[i]; }
};

/// One choice of the routine's form: either one of its words, or, with no words, a flag that is
/// on or off (value 1 or 0).
struct Choice
{
    /// kavrin-cli's option ("--KEY"), the window's settings key and the page's control id.
    std::string_view key;
    /// The parameter in the page's address.
    std::string_view addressKey;
    /// The page's label of the choice, or the flag's text in the menu and on the page.
    const char* caption;
    /// What the choice does, in one line: the menu's help string.
    const char* help;
    /// kavrin-cli's --help text (English, as the command line speaks).
    const char* cliHelp;
    ChoiceWords words;
    /// The value of a first start: a word's index, or 0 / 1 for a flag.
    int defaultValue;
    int (*get)(const RoutineFormat&);
    void (*set)(RoutineFormat&, int);

    constexpr bool IsFlag() const { return words.size() == 0; }
    /// The number of values: the words, or 2 for a flag.
    constexpr int ValueCount() const { return IsFlag() ? 2 : static_cast<int>(words.size()); }
};

namespace detail
{
template <auto Member> int GetFormatField(const RoutineFormat& format)
{
    return static_cast<int>(format.*Member);
}

template <auto Member> void SetFormatField(RoutineFormat& format, int value)
{
    using Field = std::remove_reference_t<decltype(format.*Member)>;
    format.*Member = static_cast<Field>(value);
}

template <std::size_t N> constexpr ChoiceWords WordsOf(const ChoiceWord (&words)[N])
{
    return {words, N};
}

// Each word's index is its value: the enumerators are in the same order.
inline constexpr ChoiceWord CoreWords[] = {
    {"baseline", N_("baseline – PIC10F, PIC16F5x")},
    {"midrange", N_("midrange – PIC12F, PIC16F")},
    {"pic18", N_("pic18 – PIC18F")},
};
inline constexpr ChoiceWord FillerWords[] = {
    {"goto", N_("goto – goto $+1")},
    {"loop", N_("loop – krátké smyčky")},
};
inline constexpr ChoiceWord UnitWords[] = {
    {"us", N_("µs – mikrosekundy")},
    {"ms", N_("ms – milisekundy")},
    {"s", N_("s – sekundy")},
    {"cycles", N_("cycles – instrukční cykly")},
};
inline constexpr ChoiceWord SyntaxWords[] = {
    {"classic", N_("classic – jako okno")},
    {"gputils", N_("gputils – pro gpasm")},
    {"module", N_("module – pro gplink")},
    {"pic-as", N_("pic-as – pro MPLAB X")},
};
} // namespace detail

/// Every choice, in the order the menu and the page show them.
inline constexpr Choice Choices[] = {
    {"core", "core", N_("Jádro"), N_("Jádro PIC, pro které se podprogram píše"),
     "PIC core: baseline (ends in RETLW 0), midrange (also enhanced midrange) or pic18 (BRA for "
     "the jumps)",
     detail::WordsOf(detail::CoreWords), static_cast<int>(PicCore::Midrange),
     detail::GetFormatField<&RoutineFormat::core>, detail::SetFormatField<&RoutineFormat::core>},
    {"filler", "filler", N_("Výplň"), N_("Čím se vyplní cykly, které smyčky nechají"),
     "Cycles the loops leave over: goto (two-cycle jumps, as the window shows them) or loop "
     "(short loops on the routine's counters, at most 12 instructions, 14 with --watchdog)",
     detail::WordsOf(detail::FillerWords), static_cast<int>(FillerKind::Goto),
     detail::GetFormatField<&RoutineFormat::filler>,
     detail::SetFormatField<&RoutineFormat::filler>},
    {"syntax", "syntax", N_("Zápis"), N_("Zápis podprogramu pro assembler"),
     "Layout: classic (as the window shows it), gputils (for gpasm), module (a module of its "
     "own for gpasm -c and gplink: the label GLOBAL, the counters declared with RES) or pic-as "
     "(a module for MPLAB X's assembler pic-as: psects, the counters declared with DS)",
     detail::WordsOf(detail::SyntaxWords), static_cast<int>(RoutineSyntax::Classic),
     detail::GetFormatField<&RoutineFormat::syntax>,
     detail::SetFormatField<&RoutineFormat::syntax>},
    {"times-w",
     "w",
     N_("Čekat W-krát (počet ve W)"),
     N_("Podprogram čeká W-krát zadanou dobu"),
     "Wait W times the delay, W being the W register at the CALL (0 for 256); the units left "
     "are counted in COUNTER followed by W (CNTW)",
     {},
     0,
     detail::GetFormatField<&RoutineFormat::timesW>,
     detail::SetFormatField<&RoutineFormat::timesW>},
    {"watchdog",
     "wdt",
     N_("Nulovat watchdog (CLRWDT)"),
     N_("Podprogram nuluje watchdog alespoň každých 16 cyklů"),
     "Clear the watchdog (CLRWDT) at least every 16 cycles from the CALL to the RETURN, for a "
     "chip whose watchdog is on; the header gives the routine's own bound",
     {},
     0,
     detail::GetFormatField<&RoutineFormat::watchdog>,
     detail::SetFormatField<&RoutineFormat::watchdog>},
    {"unit", "unit", N_("Jednotka zpoždění"), N_("Jednotka, ve které se zadává zpoždění"),
     "Unit of --delay: us, ms (as the window), s, or cycles (the instruction cycles themselves, "
     "a whole number; the frequency then gives only the time in the header)",
     detail::WordsOf(detail::UnitWords), static_cast<int>(DelayUnit::Milliseconds),
     detail::GetFormatField<&RoutineFormat::unit>, detail::SetFormatField<&RoutineFormat::unit>},
};

/// The caption of the delay field for the choices in `format` (a message id).
const char* DelayCaption(const RoutineFormat& format);

/// The choice kavrin-cli calls "--KEY", or none.
const Choice* FindChoice(std::string_view key);
/// The choice called `key`, which must exist.
const Choice& ChoiceOf(std::string_view key);

/// The value `word` names exactly; for a flag "1" and "0" (the settings' spelling); or none.
std::optional<int> ValueOfWord(const Choice& choice, std::string_view word);
/// The word of `value`: a word, or "1" / "0" for a flag.
std::string_view WordOfValue(const Choice& choice, int value);

/// The word `format` has for `choice`.
std::string_view WordIn(const Choice& choice, const RoutineFormat& format);
/// Sets `choice` in `format` to the value `word` names; false (and `format` unchanged) when it
/// names none.
bool SetWord(const Choice& choice, RoutineFormat& format, std::string_view word);
} // namespace kavrin
