#pragma once
// The application object: opens the main window and lets the toolkit run.

#include <wx/app.h>

class KavrinApp : public wxApp
{
public:
    /// Installs the image handlers, then creates and shows the main window. Never fails. The
    /// base class's OnInit is not called, so the command line is not parsed: any argument is
    /// ignored.
    bool OnInit() override;
};
