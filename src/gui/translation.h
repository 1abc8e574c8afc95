#pragma once
// The window's languages: every user-visible text is looked up, keyed by the Czech text, in the
// gettext catalogue "kavrin" of the language in use.

#include <cstdint>
#include <string>

#include <wx/string.h>

namespace kavrin::gui
{
/// A language the window speaks: its catalogue's name and its name in itself, which the
/// Options menu shows untranslated.
struct Language
{
    const char* code;
    const char* name;
};

inline constexpr Language Languages[] = {{"cs", "Čeština"}, {"en", "English"}};

/// The language of a first start, whose catalogue repeats the message ids.
inline constexpr const char* DefaultLanguage = "cs";

/// Whether `code` names one of Languages.
bool IsLanguage(const std::string& code);

/// Looks every later text up in `code`'s catalogue, read from
/// <directory of the executable>/locale/CODE/LC_MESSAGES/kavrin.mo, else from
/// <directory of the executable>/../share/locale/.... Without a catalogue the texts stay the
/// Czech message ids.
void UseLanguage(const std::string& code);

/// The text `utf8` in the language in use.
wxString Tr(const char* utf8);

/// The form of `singular` (or its plural `plural`) for `count` in the language in use.
wxString TrPlural(const char* singular, const char* plural, std::int64_t count);

/// `count` with its digits grouped as `code` writes them: by three from four digits on, with a
/// no-break space in Czech and a comma in English.
std::string GroupedNumber(std::int64_t count, const std::string& code);
} // namespace kavrin::gui
