#include "gui/translation.h"

#include <memory>
#include <optional>

#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>

namespace kavrin::gui
{
namespace
{
const char* const Domain = "kavrin";

/// Adds the folders beside the executable where the catalogues lie: locale/ in the Windows zip,
/// the installer's folder and the build tree, ../share/locale/ in an installed prefix. The
/// loader keeps its prefixes for the whole process, so this runs once.
void AddCatalogueFolders()
{
    static const bool added = []
    {
        const wxFileName executable(wxStandardPaths::Get().GetExecutablePath());
        wxFileName beside = wxFileName::DirName(executable.GetPath());
        beside.AppendDir("locale");
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(beside.GetPath());
        wxFileName installed = wxFileName::DirName(executable.GetPath());
        installed.AppendDir("..");
        installed.AppendDir("share");
        installed.AppendDir("locale");
        installed.Normalize(wxPATH_NORM_DOTS);
        wxFileTranslationsLoader::AddCatalogLookupPathPrefix(installed.GetPath());
        return true;
    }();
    (void)added;
}

/// The translations of `code`'s catalogue.
std::unique_ptr<wxTranslations> TranslationsOf(const std::string& code)
{
    AddCatalogueFolders();
    auto translations = std::make_unique<wxTranslations>();
    translations->SetLanguage(code);
    // The message ids are Czech: without a Czech catalogue they show as they are. The Czech
    // catalogue is still read when present, for its plural forms.
    translations->AddCatalog(Domain, wxLANGUAGE_CZECH);
    return translations;
}

/// `utf8` as `code`'s own catalogue has it, whatever language is in use; none without one.
std::optional<wxString> TrIn(const std::string& code, const char* utf8)
{
    const std::unique_ptr<wxTranslations> translations = TranslationsOf(code);
    const wxString* text = translations->GetTranslatedString(wxString::FromUTF8(utf8), Domain);
    return text ? std::optional<wxString>(*text) : std::nullopt;
}

// Each catalogue translates these into its own language.
// TRANSLATORS: the name of this catalogue's language, in that language.
const char* const LanguageNameId = wxTRANSLATE("Čeština");
// TRANSLATORS: the help string of this catalogue's language in the Options menu, in that
// language.
const char* const LanguageHelpId = wxTRANSLATE("Texty okna v češtině");
} // namespace

bool IsLanguage(const std::string& code)
{
    for (const char* language : Languages)
        if (code == language)
            return true;
    return false;
}

wxString LanguageName(const std::string& code)
{
    if (const std::optional<wxString> name = TrIn(code, LanguageNameId))
        return *name;
    // Without its catalogue a language is known by its code; the message id is Czech's name.
    return code == DefaultLanguage ? wxString::FromUTF8(LanguageNameId) : wxString(code);
}

wxString LanguageHelp(const std::string& code)
{
    return TrIn(code, LanguageHelpId).value_or(wxString::FromUTF8(LanguageHelpId));
}

void UseLanguage(const std::string& code)
{
    wxTranslations::Set(TranslationsOf(code).release());
}

wxString Tr(const char* utf8)
{
    // Converted explicitly: the sources are UTF-8, whatever the C library's locale.
    return wxGetTranslation(wxString::FromUTF8(utf8));
}

std::string GroupedNumber(std::int64_t count, const std::string& code)
{
    const std::string separator = code == "cs" ? "\u00A0" : ",";
    std::string digits = std::to_string(count < 0 ? -count : count);
    if (digits.size() >= 4)
        for (auto pos = static_cast<std::ptrdiff_t>(digits.size()) - 3; pos > 0; pos -= 3)
            digits.insert(static_cast<std::size_t>(pos), separator);
    return (count < 0 ? "-" : "") + digits;
}
} // namespace kavrin::gui
