#include "gui/menus.h"

#include <utility>
#include <vector>

#include <wx/event.h>
#include <wx/menu.h>

#include "delay/choices.h"
#include "gui/kavrin_frame.h"
#include "gui/translation.h"

namespace kavrin::gui
{
namespace
{
/// The menu bar's titles, in order (message ids; wxTRANSLATE marks them for xgettext).
const char* const MenuTitles[] = {wxTRANSLATE("&File"), wxTRANSLATE("&Volby"), wxTRANSLATE("Help")};

/// The one item of the File menu or of the Help menu.
struct PlainItem
{
    const long* id;
    const char* text;
    const char* help;
};
const PlainItem QuitItem = {&KavrinFrame::ID_MENU_QUIT, wxTRANSLATE("Quit\tAlt-F4"),
                            wxTRANSLATE("Quit the application")};
const PlainItem AboutItem = {&KavrinFrame::ID_MENU_ABOUT, wxTRANSLATE("About\tF1"),
                             wxTRANSLATE("Show info about this application")};

wxMenu* NewPlainMenu(const PlainItem& item)
{
    auto* menu = new wxMenu();
    menu->Append(*item.id, Tr(item.text), Tr(item.help));
    return menu;
}

/// One radio or check item of the Options menu.
struct OptionItem
{
    const Choice* choice; ///< the choice it sets; none for a language's item
    int value;            ///< the value it sets (a flag's sets what it shows), or the language's
                          ///< place in Languages
    long id;

    /// The language it chooses; only for a language's item.
    const char* Language() const { return Languages[value]; }
    /// Whether a separator follows it: it is the last of its choice's items.
    bool EndsGroup() const { return choice && value + 1 == choice->ValueCount(); }
};

/// The Options menu's items in its order: each choice's values (a flag's check item sets 1),
/// then the languages. Their window identifiers are taken at the first call.
const std::vector<OptionItem>& OptionItems()
{
    static const std::vector<OptionItem> items = []
    {
        std::vector<OptionItem> made;
        for (const Choice& choice : Choices)
            for (int value = choice.IsFlag() ? 1 : 0; value < choice.ValueCount(); ++value)
                made.push_back({&choice, value, wxNewId()});
        for (std::size_t i = 0; i < std::size(Languages); ++i)
            made.push_back({nullptr, static_cast<int>(i), wxNewId()});
        return made;
    }();
    return items;
}

/// The item's text and help string in the language in use; a language's are in that language.
std::pair<wxString, wxString> TextsOf(const OptionItem& item)
{
    if (!item.choice)
        return {LanguageName(item.Language()), LanguageHelp(item.Language())};
    const Choice& choice = *item.choice;
    return {Tr(choice.IsFlag() ? choice.caption : choice.words[item.value].caption),
            Tr(choice.help)};
}
} // namespace

long ChoiceMenuId(std::string_view key, std::string_view word)
{
    for (const OptionItem& item : OptionItems())
        if (item.choice && item.choice->key == key && WordOfValue(*item.choice, item.value) == word)
            return item.id;
    return wxID_NONE;
}

long LanguageMenuId(std::string_view code)
{
    for (const OptionItem& item : OptionItems())
        if (!item.choice && code == item.Language())
            return item.id;
    return wxID_NONE;
}

wxMenuBar* NewMenuBar(const WindowChoices& choices)
{
    auto* options = new wxMenu();
    for (const OptionItem& item : OptionItems())
    {
        const auto [text, help] = TextsOf(item);
        options->Append(item.id, text, help,
                        item.choice && item.choice->IsFlag() ? wxITEM_CHECK : wxITEM_RADIO);
        if (item.EndsGroup())
            options->AppendSeparator();
    }
    auto* bar = new wxMenuBar();
    wxMenu* const menus[] = {NewPlainMenu(QuitItem), options, NewPlainMenu(AboutItem)};
    for (std::size_t i = 0; i < std::size(menus); ++i)
        bar->Append(menus[i], Tr(MenuTitles[i]));
    CheckOptionsMenu(*bar, choices);
    return bar;
}

void BindOptionsMenu(wxEvtHandler& handler, const WindowChoices& choices,
                     std::function<void(const WindowChoices&)> chosen)
{
    for (const OptionItem& item : OptionItems())
        handler.Bind(
            wxEVT_MENU,
            [&choices, chosen, item](wxCommandEvent& event)
            {
                WindowChoices made = choices;
                if (!item.choice)
                    made.language = item.Language();
                else // a flag's check item sets what it shows after the click
                    item.choice->set(made.format, item.choice->IsFlag()
                                                      ? static_cast<int>(event.IsChecked())
                                                      : item.value);
                chosen(made);
            },
            item.id);
}

void CheckOptionsMenu(wxMenuBar& bar, const WindowChoices& choices)
{
    for (const OptionItem& item : OptionItems())
        bar.Check(item.id, item.choice ? item.choice->get(choices.format) == item.value
                                       : choices.language == item.Language());
}

void RetranslateMenuBar(wxMenuBar& bar)
{
    for (std::size_t i = 0; i < std::size(MenuTitles); ++i)
        bar.SetMenuLabel(i, Tr(MenuTitles[i]));
    for (const PlainItem& item : {QuitItem, AboutItem})
    {
        bar.SetLabel(*item.id, Tr(item.text));
        bar.SetHelpString(*item.id, Tr(item.help));
    }
    for (const OptionItem& item : OptionItems())
    {
        const auto [text, help] = TextsOf(item);
        bar.SetLabel(item.id, text);
        bar.SetHelpString(item.id, help);
    }
}
} // namespace kavrin::gui
