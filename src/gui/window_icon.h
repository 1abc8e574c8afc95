#pragma once
// The main window's icon, built into the program.

#include <wx/icon.h>

namespace kavrin::gui
{
/// Reads the embedded ico2.ico (32 x 32, 32 bits per pixel) through the image handlers, which
/// must be installed first (wxInitAllImageHandlers). Gives an invalid icon if it cannot be
/// read; the toolkit has then logged why.
wxIcon LoadWindowIcon();
} // namespace kavrin::gui
