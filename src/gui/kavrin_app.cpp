#include "gui/kavrin_app.h"

#include <wx/image.h>

#include "gui/kavrin_frame.h"
#include "gui/settings.h"
#include "gui/translation.h"

bool KavrinApp::OnInit()
{
    // The main window reads its icon through the image handlers.
    wxInitAllImageHandlers();
    // The language first: the window is made with its texts.
    const kavrin::gui::WindowChoices choices = kavrin::gui::LoadChoices();
    kavrin::gui::UseLanguage(choices.language);
    KavrinFrame* frame = new KavrinFrame(nullptr, choices);
    frame->Show(true);
    SetTopWindow(frame);
    return true;
}
