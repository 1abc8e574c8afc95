#pragma once
// The application object: opens the main window and lets the toolkit run.

#include <wx/app.h>

class KavrinApp : public wxApp
{
public:
    /// Installs the image handlers, loads the choices kept from the last start and switches to
    /// their language, then creates and shows the main window with them. Never fails. The
    /// base class's OnInit is not called, so the command line is not parsed: any argument is
    /// ignored.
    bool OnInit() override;
};
