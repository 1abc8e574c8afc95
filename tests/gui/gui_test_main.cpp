// Runs the window tests inside an initialised toolkit, without an event loop of its own: the
// tests process events with wxYield.
#include <string>

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/modalhook.h>
#include <wx/utils.h>

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

// scripts/test-windows runs the tests under Wine at several DPIs and gives the scale of each in
// KAVRIN_TEST_SCALE: the layout tests mean something only if the window sees that DPI. (Windows
// gives it only to a program that declared DPI awareness; Wine gives it to every program.)
TEST(WindowScale, IsTheOneOfTheScreen)
{
    wxString value;
    double expected = 0;
    if (!wxGetEnv("KAVRIN_TEST_SCALE", &value) || !value.ToCDouble(&expected))
        GTEST_SKIP() << "KAVRIN_TEST_SCALE is not set";
    auto* frame = new wxFrame(nullptr, wxID_ANY, "scale");
    EXPECT_DOUBLE_EQ(frame->GetDPIScaleFactor(), expected);
    frame->Destroy();
}

/// A new empty folder for the tests' home and configuration folders, so that the window keeps its
/// choices there and never in the user's. (On Windows it keeps them in the registry, which the
/// tests clear before and after each window.)
wxString UseTemporaryHome()
{
    wxFileName home = wxFileName::DirName(wxFileName::CreateTempFileName("kavrin-gui-tests"));
    // CreateTempFileName made a file of that name: a folder takes its place.
    wxRemoveFile(home.GetPath());
    home.Mkdir(0700);
    wxSetEnv("HOME", home.GetPath());
    wxSetEnv("XDG_CONFIG_HOME", home.GetPathWithSep() + ".config");
    return home.GetPath();
}

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

    const wxString home = UseTemporaryHome();
    wxApp::SetInstance(new TestApp());
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 1;
    RefuseUnexpectedDialogs refuseUnexpectedDialogs;
    refuseUnexpectedDialogs.Register();
    const int result = RUN_ALL_TESTS();
    refuseUnexpectedDialogs.Unregister();
    wxTheApp->OnExit();
    wxEntryCleanup();
    wxFileName::Rmdir(home, wxPATH_RMDIR_RECURSIVE);
    return result;
}
