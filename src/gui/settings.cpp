#include "gui/settings.h"

#include <memory>

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "delay/format_words.h"

namespace kavrin::gui
{
namespace
{
const char* const Application = "kavrin";
const char* const CoreKey = "core";
const char* const FillerKey = "filler";
const char* const SyntaxKey = "syntax";
const char* const TimesWKey = "timesW";
const char* const LanguageKey = "language";

std::string ReadString(const wxConfigBase& config, const char* key)
{
    wxString value;
    return config.Read(key, &value) ? value.utf8_string() : std::string();
}

/// The value the word kept under `key` names; `value` stays as it is when there is none.
template <typename Value, std::size_t N>
void ReadWord(const wxConfigBase& config, const char* key, const FormatWord<Value> (&words)[N],
              Value& value)
{
    if (auto kept = ValueOfWord(words, ReadString(config, key)))
        value = *kept;
}

#if !(defined(__WINDOWS__) && wxUSE_CONFIG_NATIVE)
/// kavrin/kavrin.conf in the user's configuration folder: $XDG_CONFIG_HOME, by default
/// ~/.config. (wxCONFIG_USE_SUBDIR would put the folder in the home folder instead.)
wxFileName SettingsFile()
{
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    wxFileName file(wxStandardPaths::Get().GetUserConfigDir(), "kavrin.conf");
    file.AppendDir(Application);
    return file;
}
#endif

template <typename Value, std::size_t N>
void WriteWord(wxConfigBase& config, const char* key, const FormatWord<Value> (&words)[N],
               Value value)
{
    config.Write(key, wxString::FromUTF8(std::string(WordOfValue(words, value))));
}
} // namespace

std::unique_ptr<wxConfigBase> OpenSettings()
{
#if defined(__WINDOWS__) && wxUSE_CONFIG_NATIVE
    // HKEY_CURRENT_USER\Software\kavrin
    return std::make_unique<wxConfig>(Application);
#else
    return std::make_unique<wxFileConfig>(Application, wxEmptyString, SettingsFile().GetFullPath(),
                                          wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
#endif
}

WindowChoices LoadChoices()
{
    const std::unique_ptr<wxConfigBase> config = OpenSettings();
    WindowChoices choices;
    ReadWord(*config, CoreKey, CoreWords, choices.format.core);
    ReadWord(*config, FillerKey, FillerWords, choices.format.filler);
    ReadWord(*config, SyntaxKey, SyntaxWords, choices.format.syntax);
    config->Read(TimesWKey, &choices.format.timesW, false);
    const std::string language = ReadString(*config, LanguageKey);
    if (IsLanguage(language))
        choices.language = language;
    return choices;
}

void SaveChoices(const WindowChoices& choices)
{
#if !(defined(__WINDOWS__) && wxUSE_CONFIG_NATIVE)
    // The file configuration writes into its folder but does not create it.
    const wxFileName file = SettingsFile();
    if (!file.DirExists())
        file.Mkdir(wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
#endif
    const std::unique_ptr<wxConfigBase> config = OpenSettings();
    WriteWord(*config, CoreKey, CoreWords, choices.format.core);
    WriteWord(*config, FillerKey, FillerWords, choices.format.filler);
    WriteWord(*config, SyntaxKey, SyntaxWords, choices.format.syntax);
    config->Write(TimesWKey, choices.format.timesW);
    config->Write(LanguageKey, wxString::FromUTF8(choices.language));
    config->Flush();
}
} // namespace kavrin::gui
