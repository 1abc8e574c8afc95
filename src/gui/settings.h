#pragma once
// The window's choices, kept between starts in the platform's usual place: the registry on
// Windows, $XDG_CONFIG_HOME/kavrin/kavrin.conf (~/.config/kavrin/kavrin.conf) elsewhere.

#include <memory>
#include <string>

#include "delay/routine.h"
#include "gui/translation.h"

class wxConfigBase;

namespace kavrin::gui
{
/// What the Options menu chooses. The defaults are a first start's: the window's routine, in
/// Czech.
struct WindowChoices
{
    RoutineFormat format;
    std::string language = DefaultLanguage;
};

/// The program's settings: the registry key HKEY_CURRENT_USER\Software\kavrin on Windows,
/// the file kavrin/kavrin.conf in the user's configuration folder elsewhere.
std::unique_ptr<wxConfigBase> OpenSettings();

/// The choices kept by the last SaveChoices, each choice under its key as its word; the default
/// for each one not kept or not valid. Settings it cannot read cost only their defaults: no
/// message, no box.
WindowChoices LoadChoices();

/// Keeps `choices` for the next start, replacing whatever the settings held.
void SaveChoices(const WindowChoices& choices);
} // namespace kavrin::gui
