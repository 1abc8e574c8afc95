#pragma once
// The main window's layout as arithmetic: every control's rectangle from the base layout (the
// positions and sizes at the 12-point font and 96 DPI) and what the window measures in the
// controls' fonts. Needs no window, so it can be checked for any font and DPI.

#include <functional>

#include <wx/gdicmn.h>

namespace kavrin::gui
{
/// What the layout measures, each in the control's own font.
struct LayoutMetrics
{
    wxSize captions[4];      ///< the size each caption needs for its text
    int fieldLineHeight = 0; ///< the height of one line of the input fields' font
    int fieldValueWidth = 0; ///< the width a field needs for the widest of the default values
    wxSize checkBox;         ///< the check box's best size: its box and its caption
    wxSize button;           ///< the button's best size
};

/// Every rectangle of the window, on the panel, and the client size that holds them.
struct FrameLayout
{
    wxRect captions[4];
    wxRect fields[4];
    wxRect checkBox;
    wxRect button;
    wxRect output;
    wxSize client;
};

/// Converts a size in device-independent pixels to the window's pixels (wxWindow::FromDIP).
using DipToPixels = std::function<wxSize(const wxSize&)>;

/// The layout for the measured fonts: the base layout where the text fits into it, otherwise
/// each control as large as its text needs, pushed right or down by the ones before it, and
/// the window as large as all of them.
FrameLayout ComputeLayout(const LayoutMetrics& m, const DipToPixels& fromDip);
} // namespace kavrin::gui
