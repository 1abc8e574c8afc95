#pragma once
// The window's languages: every user-visible text is looked up, keyed by the Czech text, in the
// gettext catalogue "kavrin" of the language in use.

#include <cstdint>
#include <string>

#include <wx/string.h>

#include "gui/languages.h" // Languages: the codes of po/LINGUAS, made by the build

namespace kavrin::gui
{
/// The language of a first start, whose catalogue repeats the message ids.
inline constexpr const char* DefaultLanguage = "cs";

/// Whether `code` names one of Languages.
bool IsLanguage(const std::string& code);

/// The language `code`'s name in itself, from its own catalogue, as the Options menu shows it.
wxString LanguageName(const std::string& code);

/// The help string of the language `code`'s menu item, in that language.
wxString LanguageHelp(const std::string& code);

/// Looks every later text up in `code`'s catalogue, read from
/// <directory of the executable>/locale/CODE/LC_MESSAGES/kavrin.mo, else from
/// <directory of the executable>/../share/locale/.... Without a catalogue the texts stay the
/// Czech message ids.
void UseLanguage(const std::string& code);

/// The text `utf8` in the language in use.
wxString Tr(const char* utf8);

/// `count` with its digits grouped as `code` writes them: by three from four digits on, with a
/// no-break space in Czech and a comma in English.
std::string GroupedNumber(std::int64_t count, const std::string& code);
} // namespace kavrin::gui
