// Real key presses through the X server: Enter in a field, F1 and Alt+F4, the Options menu.
// Also checks that the toolkit prints no warnings while the window opens and computes.
#include <algorithm>
#include <string>
#include <vector>

#include <wx/menu.h>

#include <wx/uiaction.h>
#include <wx/utils.h>

#include "delay/choices.h"
#include "gui/menus.h"
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
        return focus->WaitUntilOn(control);
    }

    void Type(const char* text) { sim.Text(text); }

    /// Presses and releases `key` and waits until the release has reached `control`: the
    /// X server delivers keys in order, so by then the press has been handled.
    bool Press(wxWindow* control, int key, int modifiers = wxMOD_NONE)
    {
        bool released = false;
        auto onKeyUp = [&released, key](wxKeyEvent& event)
        {
            released = released || event.GetKeyCode() == key;
            event.Skip();
        };
        control->Bind(wxEVT_KEY_UP, onKeyUp);
        sim.Char(key, modifiers);
        const bool done = WaitUntil([&released] { return released; });
        control->Unbind(wxEVT_KEY_UP, onKeyUp);
        return done;
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
        ASSERT_TRUE(WaitUntil([field] { return field->GetValue() == "12"; }));
        ASSERT_TRUE(Press(field, WXK_RETURN));
        EXPECT_EQ(clicks, 0);
        EXPECT_EQ(OutputText(), "");
        EXPECT_EQ(field->GetValue(), "12");
    }
}

TEST_F(KeyboardTest, F1DoesNothingAndAltF4Closes)
{
    wxTextCtrl* field = Field("ID_TEXTCTRL1");
    ASSERT_TRUE(FocusOn(field));
    // The key is handled (and a dialog, which would fail the test, opened) before it is released.
    ASSERT_TRUE(Press(field, WXK_F1));
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->IsShown());
    sim.Char(WXK_F4, wxMOD_ALT);
    EXPECT_TRUE(WaitUntil(
        [this]
        {
            wxTheApp->ProcessIdle(); // deletes the closed frame
            return !frame;
        }));
}

// Alt+V (Alt+O in English) opens the Options menu with its first item selected, F10 and Right
// open it without; Down moves over the separators to the next item, Enter chooses it.
TEST_F(KeyboardTest, EveryOptionIsReachedFromTheKeyboard)
{
    std::vector<wxMenuItem*> items;
    for (wxMenuItem* item : frame->GetMenuBar()->GetMenu(1)->GetMenuItems())
        if (!item->IsSeparator())
            items.push_back(item);
    ASSERT_EQ(items.back()->GetId(), kavrin::gui::LanguageMenuId("en")); // English last
    long chosen = wxID_NONE;
    frame->Bind(wxEVT_MENU,
                [&chosen](wxCommandEvent& event)
                {
                    chosen = event.GetId();
                    event.Skip();
                });
    wxTextCtrl* field = Field("ID_TEXTCTRL1");
    const auto choose = [&](size_t index, bool byF10)
    {
        SCOPED_TRACE(items[index]->GetItemLabelText().utf8_string());
        ASSERT_TRUE(FocusOn(field));
        chosen = wxID_NONE;
        if (byF10)
        {
            sim.Char(WXK_F10);
            sim.Char(WXK_RIGHT);
        }
        else
            sim.Char('v', wxMOD_ALT);
        // Moving to the menu from the menu bar selects no item yet: the first Down selects the
        // first item.
        for (size_t down = 0; down < index + (byF10 ? 1 : 0); ++down)
            sim.Char(WXK_DOWN);
        sim.Char(WXK_RETURN);
        wxMenuItem* item = items[index];
        EXPECT_TRUE(WaitUntil([&] { return chosen == item->GetId() && item->IsChecked(); }))
            << "chose " << chosen;
    };
    // Each choice changes the state, so that each sends an event: a choice's other words in
    // order and then its default again, a flag's check item once (on); English last.
    std::vector<long> sequence;
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        const auto item = [&choice](int value)
        { return kavrin::gui::ChoiceMenuId(choice.key, kavrin::WordOfValue(choice, value)); };
        if (choice.IsFlag())
        {
            sequence.push_back(item(1));
            continue;
        }
        for (int value = 0; value < choice.ValueCount(); ++value)
            if (value != choice.defaultValue)
                sequence.push_back(item(value));
        sequence.push_back(item(choice.defaultValue));
    }
    sequence.push_back(kavrin::gui::LanguageMenuId("en"));
    for (long id : sequence)
    {
        const auto at = std::find_if(items.begin(), items.end(),
                                     [id](const wxMenuItem* item) { return item->GetId() == id; });
        ASSERT_NE(at, items.end()) << id;
        choose(static_cast<size_t>(at - items.begin()), false);
    }
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(1), "&Options");
    for (const kavrin::Choice& choice : kavrin::Choices)
        if (choice.IsFlag())
        {
            EXPECT_TRUE(frame->GetMenuBar()->IsChecked(kavrin::gui::ChoiceMenuId(choice.key, "1")))
                << choice.key;
        }
    choose(items.size() - 2, true); // back to Czech
    EXPECT_EQ(frame->GetMenuBar()->GetMenuLabel(1), "&Volby");
}

TEST(ToolkitOutput, NothingOnStderrWhileOpeningAndComputing)
{
    ::testing::internal::CaptureStderr();
    {
        wxWeakRef<KavrinFrame> frame = new KavrinFrame(nullptr);
        frame->Show(true);
        ASSERT_TRUE(WaitUntilPainted(wxWindow::FindWindowByName("ID_PANEL1", frame)));
        auto* delay = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("ID_TEXTCTRL2", frame));
        ASSERT_NE(delay, nullptr);
        for (const char* value : {"10", "1000", "50005.2455"})
        {
            delay->SetValue(value);
            wxCommandEvent click(wxEVT_BUTTON, KavrinFrame::ID_BUTTON1);
            frame->ProcessWindowEvent(click);
            // The window goes through a drawing round with the routine shown.
            ASSERT_TRUE(WaitUntilPainted(wxWindow::FindWindowByName("ID_PANEL1", frame)));
        }
        frame->Destroy();
        ASSERT_TRUE(WaitUntil(
            [&frame]
            {
                wxTheApp->ProcessIdle();
                return !frame;
            }));
    }
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
} // namespace
