#pragma once
// The main window's menu bar: File with Quit, Options, and Help with About. The Options menu is
// made from the engine's table of choices (kavrin::Choices): for each row in its order, one radio
// item per word or a flag's check item, a separator after each choice, then one radio item per
// language of Languages, each under its own name. A new row or word of the table is a new item
// here with no other edit.

#include <functional>
#include <string_view>

#include "gui/settings.h"

class wxEvtHandler;
class wxMenuBar;

namespace kavrin::gui
{
/// The Options item that chooses `word` of the choice `key`; a flag's check item for "1".
/// wxID_NONE when there is none. The items' window identifiers are taken at the first call of
/// any function here.
long ChoiceMenuId(std::string_view key, std::string_view word = "1");
/// The Options item of the language `code`, or wxID_NONE.
long LanguageMenuId(std::string_view code);

/// A new menu bar with all the menus and items, their texts in the language in use, and the
/// Options items checked as `choices` has them.
wxMenuBar* NewMenuBar(const WindowChoices& choices);

/// Binds every Options item's click on `handler`: it calls `chosen` with what the item makes of
/// `choices` (its word set in the format, its flag as the check item shows after the click, or
/// its language). `choices` must outlive the binding.
void BindOptionsMenu(wxEvtHandler& handler, const WindowChoices& choices,
                     std::function<void(const WindowChoices&)> chosen);

/// Checks the Options items in `bar` as `choices` has them.
void CheckOptionsMenu(wxMenuBar& bar, const WindowChoices& choices);

/// Sets every title, item text and help string of `bar` in the language in use.
void RetranslateMenuBar(wxMenuBar& bar);
} // namespace kavrin::gui
