// Real key presses through the X server: Enter in a field, F1 and Alt+F4. Also checks that
// the toolkit prints no warnings while the window opens and computes.
#include <string>

#include <wx/uiaction.h>
#include <wx/utils.h>

#include "gui_test.h"

namespace
{
class KeyboardTest : public WindowTest
{
protected:
    /// Gives `control` the keyboard: the pointer goes over it, so that the X server (without a
    /// window manager, keys go to the window under the pointer) sends the keys to this window,
    /// and the control takes the focus.
    bool FocusOn(wxWindow* control)
    {
        const wxRect rect = control->GetScreenRect();
        sim.MouseMove(rect.GetLeft() + 8, rect.GetTop() + rect.GetHeight() / 2);
        control->SetFocus();
        return WaitFor([control] { return wxWindow::FindFocus() == control; });
    }

    /// Processes events until `done` holds, for at most two seconds: the X server delivers
    /// simulated input asynchronously.
    template <class Condition> static bool WaitFor(Condition done)
    {
        for (int i = 0; i < 200 && !done(); ++i)
        {
            wxYield();
            wxMilliSleep(10);
        }
        return done();
    }

    void Type(const char* text)
    {
        sim.Text(text);
        wxYield();
    }

    void Press(int key, int modifiers = wxMOD_NONE)
    {
        sim.Char(key, modifiers);
        wxYield();
    }

    wxUIActionSimulator sim;
};

// No default button and no field asks for Enter: only the button computes.
TEST_F(KeyboardTest, EnterInAFieldComputesNothing)
{
    int clicks = 0;
    frame->Bind(wxEVT_BUTTON,
                [&clicks](wxCommandEvent& event)
                {
                    ++clicks;
                    event.Skip();
                });
    for (const char* name : {"ID_TEXTCTRL1", "ID_TEXTCTRL2", "ID_TEXTCTRL3", "ID_TEXTCTRL4"})
    {
        SCOPED_TRACE(name);
        wxTextCtrl* field = Field(name);
        field->Clear();
        ASSERT_TRUE(FocusOn(field));
        Type("12"); // shows that the keys reach the field
        ASSERT_TRUE(WaitFor([field] { return field->GetValue() == "12"; }));
        Press(WXK_RETURN);
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(OutputText(), "");
        EXPECT_EQ(field->GetValue(), "12");
    }
}

TEST_F(KeyboardTest, F1DoesNothingAndAltF4Closes)
{
    ASSERT_TRUE(FocusOn(Field("ID_TEXTCTRL1")));
    Press(WXK_F1);
    // A dialog here would fail the test; give one time to appear.
    for (int i = 0; i < 20; ++i)
    {
        wxYield();
        wxMilliSleep(10);
    }
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsShown());
    Press(WXK_F4, wxMOD_ALT);
    EXPECT_TRUE(WaitFor(
        [this]
        {
            wxTheApp->ProcessIdle(); // deletes the closed frame
            return !frame;
        }));
}

TEST(ToolkitOutput, NothingOnStderrWhileOpeningAndComputing)
{
    ::testing::internal::CaptureStderr();
    {
        wxWeakRef<KavrinFrame> frame = new KavrinFrame(nullptr);
        frame->Show(true);
        wxYield();
        auto* delay = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL2", frame));
        ASSERT_NE(delay, nullptr);
        for (const char* value : {"10", "1000", "50005.2455"})
        {
            delay->SetValue(value);
            wxCommandEvent click(wxEVT_BUTTON, KavrinFrame::ID_BUTTON1);
            frame->ProcessWindowEvent(click);
            wxYield();
        }
        frame->Destroy();
        DeleteClosedWindows();
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
} // namespace
