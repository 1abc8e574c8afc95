#include "gui/settings.h"

#include <memory>

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/wfstream.h>

#include "delay/choices.h"

namespace kavrin::gui
{
namespace
{
const char* const Application = "kavrin";
const char* const LanguageKey = "language";

wxString Key(std::string_view key)
{
    return wxString::FromUTF8(key.data(), key.size());
}

std::string ReadString(const wxConfigBase& config, const wxString& key)
{
    wxString value;
    return config.Read(key, &value) ? value.utf8_string() : std::string();
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

/// The settings, opened without a word about what they hold that cannot be read: the file
/// configuration logs every line it cannot parse, the registry every value of the wrong type,
/// and the toolkit would show each in a message box.
std::unique_ptr<wxConfigBase> OpenQuietly()
{
    wxLogNull quiet;
    return OpenSettings();
}

/// The settings to read, quietly. The file is read through a stream, whose conversion takes
/// bytes that are not UTF-8 one by one: reading the file itself would drop all of it.
std::unique_ptr<wxConfigBase> OpenForReading()
{
#if !(defined(__WINDOWS__) && wxUSE_CONFIG_NATIVE)
    wxLogNull quiet;
    const wxString path = SettingsFile().GetFullPath();
    if (wxFileExists(path))
    {
        wxFileInputStream stream(path);
        if (stream.IsOk())
            return std::make_unique<wxFileConfig>(stream);
    }
#endif
    return OpenQuietly();
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
    const std::unique_ptr<wxConfigBase> config = OpenForReading();
    wxLogNull quiet; // the registry's values of the wrong type
    WindowChoices choices;
    // Each choice under its key, as its word; one the word does not name keeps its default.
    for (const Choice& choice : Choices)
        SetWord(choice, choices.format, ReadString(*config, Key(choice.key)));
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
    // Written afresh, so that nothing unreadable from before stays. (The registry's key is gone
    // after DeleteAll: a new configuration makes it again.)
    OpenQuietly()->DeleteAll();
    const std::unique_ptr<wxConfigBase> config = OpenSettings();
    for (const Choice& choice : Choices)
        config->Write(Key(choice.key), Key(WordIn(choice, choices.format)));
    config->Write(LanguageKey, wxString::FromUTF8(choices.language));
    config->Flush();
}
} // namespace kavrin::gui
