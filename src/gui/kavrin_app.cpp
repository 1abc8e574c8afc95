#include "gui/kavrin_app.h"

#include <wx/image.h>

#include "gui/kavrin_frame.h"

bool KavrinApp::OnInit()
{
    // The main window reads its icon through the image handlers.
    wxInitAllImageHandlers();
    KavrinFrame* frame = new KavrinFrame(nullptr, wxID_ANY);
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
