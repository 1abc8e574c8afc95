// Runs the window tests inside an initialised toolkit, without an event loop of its own: the
// tests process events with wxYield.
#include <string>

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/modalhook.h>

namespace
{
class TestApp : public wxApp
{
public:
    bool OnInit() override
    {
        // As the program does, so that the window can read its icon.
        wxInitAllImageHandlers();
        return true;
    }
};

/// Consulted after any wxTEST_DIALOG hook: a dialog nobody expected fails the test and is
/// cancelled at once instead of blocking the run.
class RefuseUnexpectedDialogs : public wxModalDialogHook
{
protected:
    int Enter(wxDialog* dialog) override
    {
        ADD_FAILURE() << "unexpected dialog \"" << dialog->GetTitle().utf8_string() << "\"";
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

bool ListsTestsOnly(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]) == "--gtest_list_tests")
            return true;
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    // Listing the tests (CMake does it at build time) needs no display.
    const bool listOnly = ListsTestsOnly(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (listOnly)
        return RUN_ALL_TESTS();

    wxApp::SetInstance(new TestApp());
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    RefuseUnexpectedDialogs refuseUnexpectedDialogs;
    refuseUnexpectedDialogs.Register();
    const int result = RUN_ALL_TESTS();
    refuseUnexpectedDialogs.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
