#include "gui/window_icon.h"

#include <cstddef>

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/mstream.h>

namespace kavrin::gui
{
// Generated at build time from res/ico2.ico.
extern const unsigned char WindowIconBytes[];
extern const std::size_t WindowIconBytesSize;

wxIcon LoadWindowIcon()
{
    wxMemoryInputStream stream(WindowIconBytes, WindowIconBytesSize);
    const wxImage image(stream, wxBITMAP_TYPE_ANY);
    wxIcon icon;
    if (image.IsOk())
        icon.CopyFromBitmap(wxBitmap(image));
    return icon;
}
} // namespace kavrin::gui
