#pragma once
// Shared pieces of the window tests: waiting for a state of the window, modal dialogs checked
// through wxTEST_DIALOG, with every failure reported to GoogleTest.

#include <chrono>
#include <memory>
#include <string>
#include <variant>

#include <gtest/gtest.h>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/modalhook.h>
#include <wx/string.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/weakref.h>

#include "delay/compute.h"
#include "gui/kavrin_frame.h"
#include "gui/settings.h"
#include "gui/translation.h"

// wxTEST_DIALOG names its hook class through this macro when it expands, so the class can
// follow the header.
#define wxTEST_DIALOG_HOOK_CLASS GTestModalHook
#include <wx/testing.h>

/// The hook wxTEST_DIALOG installs: a missed or unexpected dialog fails the running test.
class GTestModalHook : public wxTestingModalHook
{
public:
    using wxTestingModalHook::wxTestingModalHook;

protected:
    void ReportFailure(const wxString& message) override { ADD_FAILURE() << message.utf8_string(); }
};

/// Expects the compute command's error report: a message box with the given message, the
/// caption "Error" and the error icon. Answers it with OK.
class ExpectErrorBox : public wxExpectModalBase<wxMessageDialog, ExpectErrorBox>
{
public:
    explicit ExpectErrorBox(const char* utf8Message) : m_message(wxString::FromUTF8(utf8Message)) {}

protected:
    int OnInvoked(wxMessageDialog* box) const override
    {
        EXPECT_EQ(box->GetMessage(), m_message);
        EXPECT_EQ(box->GetTitle(), "Error");
        EXPECT_TRUE(box->GetMessageDialogStyle() & wxICON_ERROR);
        return wxID_OK;
    }

private:
    wxString m_message;
};

inline wxString U(const char* utf8)
{
    return wxString::FromUTF8(utf8);
}

/// The engine's routine for these inputs: what kavrin-cli prints for them, without its final
/// line feed.
inline std::string EngineText(const kavrin::ComputeInput& input,
                              const kavrin::RoutineFormat& format = {})
{
    const kavrin::ComputeResult result = kavrin::RunComputeCommand(input, format);
    return std::get<kavrin::DelayRoutine>(result).text;
}

/// Processes events until `done` holds, for at most `timeout`; returns whether it holds. The
/// display server delivers focus changes, drawing and simulated input asynchronously, and on a
/// busy machine arbitrarily late: tests wait for the state they expect, never for a number of
/// event rounds.
template <class Condition>
bool WaitUntil(Condition done, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done())
    {
        if (std::chrono::steady_clock::now() > end)
            return done();
        wxYield();
        wxMilliSleep(2);
    }
    return true;
}

/// Asks `window` (one the program draws itself, such as a panel) to redraw and waits until it
/// has: the window is on screen and the toolkit has laid it out.
inline bool WaitUntilPainted(wxWindow* window)
{
    bool painted = false;
    auto onPaint = [&painted](wxPaintEvent& event)
    {
        painted = true;
        event.Skip(); // the toolkit still draws (and on Windows validates) the window
    };
    window->Bind(wxEVT_PAINT, onPaint);
    window->Refresh();
    window->Update(); // Windows draws only when asked to or when no other message waits
    const bool done = WaitUntil([&painted] { return painted; });
    window->Unbind(wxEVT_PAINT, onPaint);
    return done;
}

/// Follows where the keyboard focus really is in a top-level window. FindFocus names a window
/// as soon as the program asks for the focus to go there, but the display server moves the
/// focus later, and until the window is active its activation may still hand the focus to
/// another control.
class FocusWatch
{
public:
    explicit FocusWatch(wxWindow* topLevel) : m_topLevel(topLevel)
    {
        m_topLevel->Bind(wxEVT_CHILD_FOCUS, &FocusWatch::OnChildFocus, this);
    }
    ~FocusWatch()
    {
        if (m_topLevel)
            m_topLevel->Unbind(wxEVT_CHILD_FOCUS, &FocusWatch::OnChildFocus, this);
    }
    FocusWatch(const FocusWatch&) = delete;
    FocusWatch& operator=(const FocusWatch&) = delete;

    /// Waits until `control` has received the focus and still has it.
    bool WaitUntilOn(const wxWindow* control) const
    {
        return WaitUntil([this, control]
                         { return m_focused == control && wxWindow::FindFocus() == control; });
    }

    /// The window that received the focus last, or nullptr.
    const wxWindow* Focused() const { return m_focused; }

private:
    void OnChildFocus(wxChildFocusEvent& event)
    {
        m_focused = event.GetWindow();
        event.Skip();
    }

    wxWeakRef<wxWindow> m_topLevel;
    const wxWindow* m_focused = nullptr;
};

/// The toolkit deletes a closed top-level window later, when the application is idle.
inline void DeleteClosedWindows()
{
    wxYield();
    wxTheApp->ProcessIdle();
}

/// Forgets every kept choice: the next window starts as at a first start.
inline void ForgetChoices()
{
    kavrin::gui::OpenSettings()->DeleteAll();
}

/// Each test gets a new main window, shown, as at a first start, and destroys it afterwards. The
/// window keeps every choice made in it, so each test starts and ends with none kept.
class WindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ForgetChoices();
        OpenFrame();
    }

    void TearDown() override
    {
        CloseFrame();
        ForgetChoices();
    }

    /// Opens the window as the program does with `choices` loaded.
    void OpenFrame(const kavrin::gui::WindowChoices& choices = {})
    {
        kavrin::gui::UseLanguage(choices.language);
        frame = new KavrinFrame(nullptr, choices);
        focus = std::make_unique<FocusWatch>(frame);
        frame->Show(true);
        ASSERT_TRUE(WaitUntilPainted(Find<wxWindow>("ID_PANEL1"))) << "the window was not drawn";
    }

    void CloseFrame()
    {
        focus.reset();
        if (frame)
            frame->Destroy();
        EXPECT_TRUE(WaitUntilFrameDeleted());
    }

    /// Waits until the toolkit has deleted the closed main window.
    bool WaitUntilFrameDeleted()
    {
        return WaitUntil(
            [this]
            {
                DeleteClosedWindows();
                return !frame;
            });
    }

    template <class Control> Control* Find(const char* name) const
    {
        auto* control = dynamic_cast<Control*>(wxWindow::FindWindowByName(name, frame));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }
    wxTextCtrl* Field(const char* name) const { return Find<wxTextCtrl>(name); }
    wxTextCtrl* Output() const { return Field("ID_TEXTCTRL5"); }
    std::string OutputText() const { return Output()->GetValue().utf8_string(); }

    void Enter(const kavrin::ComputeInput& input)
    {
        Field("ID_TEXTCTRL1")->SetValue(U(input.frequency.c_str()));
        Field("ID_TEXTCTRL2")->SetValue(U(input.delay.c_str()));
        Field("ID_TEXTCTRL3")->SetValue(U(input.label.c_str()));
        Field("ID_TEXTCTRL4")->SetValue(U(input.counter.c_str()));
        Find<wxCheckBox>("ID_CHECKBOX1")->SetValue(input.countCallReturn);
    }

    /// Clicks "Počítej" as the toolkit does: the event starts at the button and rises to the
    /// frame.
    void Click()
    {
        wxButton* button = Find<wxButton>("ID_BUTTON1");
        wxCommandEvent click(wxEVT_BUTTON, button->GetId());
        click.SetEventObject(button);
        button->ProcessWindowEvent(click);
    }

    /// Selects menu item `id` as the toolkit does; a check item then is `checked`.
    bool SendMenu(long id, bool checked = true)
    {
        wxCommandEvent choice(wxEVT_MENU, id);
        choice.SetEventObject(frame);
        choice.SetInt(checked);
        return frame->ProcessWindowEvent(choice);
    }

    wxWeakRef<KavrinFrame> frame;
    std::unique_ptr<FocusWatch> focus; ///< watches `frame` from before it is shown
};
