// The main window: construction, layout, menus, the compute button and closing.
#include <algorithm>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include <wx/accel.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/config.h>
#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include "delay/choices.h"
#include "delay/messages.h"
#include "gui/kavrin_frame.h"
#include "gui/menus.h"
#include "gui/words_line.h"
#include "gui_test.h"
#include "layout_check.h"

namespace
{
namespace msg = kavrin::msg;

/// The Options menu's item that chooses `word` of the choice `key` (a flag's check item for "1").
long Item(const char* key, const char* word = "1")
{
    return kavrin::gui::ChoiceMenuId(key, word);
}

/// The Options menu's item for `value` of `choice`: a word's radio item, or a flag's check item.
long Item(const kavrin::Choice& choice, int value)
{
    return kavrin::gui::ChoiceMenuId(choice.key,
                                     choice.IsFlag() ? "1" : kavrin::WordOfValue(choice, value));
}

/// Whether the item of `value` of `choice` shows checked when it is chosen: a word's always, a
/// flag's when the flag is on.
bool ShowsChecked(const kavrin::Choice& choice, int value)
{
    return !choice.IsFlag() || value == 1;
}

long LanguageItem(const char* code)
{
    return kavrin::gui::LanguageMenuId(code);
}

/// A window text in both languages.
struct Texts
{
    const char* czech;
    const char* english;
};

const char* In(const Texts& texts, bool english)
{
    return english ? texts.english : texts.czech;
}

/// Each unit of the delay: the delay field's caption, and inputs the engine accepts in it (a long
/// filler, whose loop hint shows, first; then CALL and RETURN counted).
struct UnitCase
{
    kavrin::DelayUnit unit;
    Texts caption;
    std::vector<kavrin::ComputeInput> inputs;
};

const UnitCase& UnitCaseOf(kavrin::DelayUnit unit)
{
    using kavrin::DelayUnit;
    static const UnitCase cases[] = {
        {DelayUnit::Microseconds,
         {"Doba zpoždění [µs]", "Delay [µs]"},
         {{"4", "49810500", "WAIT", "CNT", false}, {"20", "500", "P", "n", true}}},
        {DelayUnit::Milliseconds,
         {"Doba zpoždění [ms]", "Delay [ms]"},
         {{"4", "49810.5", "WAIT", "CNT", false}, {"20", "0.5", "P", "n", true}}},
        {DelayUnit::Seconds,
         {"Doba zpoždění [s]", "Delay [s]"},
         {{"4", "49.8105", "WAIT", "CNT", false}, {"20", "0.0005", "P", "n", true}}},
        // kavrin-cli -f 4 -d 10000 --unit cycles among them.
        {DelayUnit::Cycles,
         {"Počet cyklů", "Delay [cycles]"},
         {{"4", "49810500", "WAIT", "CNT", false},
          {"20", "10000", "P", "n", true},
          {"4", "10000", "WAIT", "CNT", false}}},
    };
    for (const UnitCase& c : cases)
        if (c.unit == unit)
            return c;
    ADD_FAILURE() << "no case for unit " << static_cast<int>(unit);
    return cases[1];
}

TEST_F(WindowTest, StartsWithDefaults)
{
    const struct
    {
        const char* name;
        const char* value;
    } fields[] = {
        {"ID_TEXTCTRL1", "3.2768"}, {"ID_TEXTCTRL2", "10"}, {"ID_TEXTCTRL3", "WAIT"},
        {"ID_TEXTCTRL4", "CNT"},    {"ID_TEXTCTRL5", ""},
    };
    for (const auto& f : fields)
        EXPECT_EQ(Field(f.name)->GetValue(), f.value) << f.name;
    EXPECT_FALSE(Find<wxCheckBox>("ID_CHECKBOX1")->GetValue());
    EXPECT_TRUE(Output()->IsMultiLine());
    EXPECT_TRUE(Output()->IsEditable());
}

TEST_F(WindowTest, FrameIsFixedSizeWithTitleNameAndIcon)
{
    EXPECT_EQ(frame->GetTitle(), "Kavrin 2.0");
    EXPECT_EQ(frame->GetName(), "wxID_ANY");
    EXPECT_EQ(frame->GetClientSize(), wxSize(360, 555));
    for (long style : {wxCAPTION, wxSYSTEM_MENU, wxCLOSE_BOX})
        EXPECT_TRUE(frame->HasFlag(style)) << style;
    for (long style : {wxRESIZE_BORDER, wxMINIMIZE_BOX, wxMAXIMIZE_BOX})
        EXPECT_FALSE(frame->HasFlag(style)) << style;
    // The panel is the frame's only child and fills the client area.
    wxPanel* panel = Find<wxPanel>("ID_PANEL1");
    EXPECT_EQ(panel->GetParent(), frame.get());
    EXPECT_EQ(panel->GetRect(), wxRect(0, 0, 360, 555));
    const wxIcon icon = frame->GetIcon();
    ASSERT_TRUE(icon.IsOk());
    EXPECT_EQ(icon.GetSize(), wxSize(32, 32));
}

TEST_F(WindowTest, ControlsAreFoundByWindowName)
{
    const struct
    {
        const char* name;
        long id;
        wxClassInfo* kind;
        const char* label; // nullptr: the control has no label of its own
        bool bold;
    } controls[] = {
        {"ID_BUTTON1", KavrinFrame::ID_BUTTON1, wxCLASSINFO(wxButton), "Počítej", true},
        {"ID_STATICTEXT1", KavrinFrame::ID_STATICTEXT1, wxCLASSINFO(wxStaticText),
         "Frekvence OSC v [MHz]", false},
        {"ID_TEXTCTRL1", KavrinFrame::ID_TEXTCTRL1, wxCLASSINFO(wxTextCtrl), nullptr, false},
        {"ID_STATICTEXT2", KavrinFrame::ID_STATICTEXT2, wxCLASSINFO(wxStaticText),
         "Doba zpoždění [ms]", false},
        {"ID_TEXTCTRL2", KavrinFrame::ID_TEXTCTRL2, wxCLASSINFO(wxTextCtrl), nullptr, false},
        {"ID_STATICTEXT3", KavrinFrame::ID_STATICTEXT3, wxCLASSINFO(wxStaticText),
         "Název čekací smyčky", false},
        {"ID_TEXTCTRL3", KavrinFrame::ID_TEXTCTRL3, wxCLASSINFO(wxTextCtrl), nullptr, false},
        {"ID_STATICTEXT4", KavrinFrame::ID_STATICTEXT4, wxCLASSINFO(wxStaticText), "Název proměné",
         false},
        {"ID_TEXTCTRL4", KavrinFrame::ID_TEXTCTRL4, wxCLASSINFO(wxTextCtrl), nullptr, false},
        {"ID_CHECKBOX1", KavrinFrame::ID_CHECKBOX1, wxCLASSINFO(wxCheckBox),
         "Započítat CALL a RETURN", false},
    };
    wxPanel* panel = Find<wxPanel>("ID_PANEL1");
    EXPECT_EQ(panel->GetId(), KavrinFrame::ID_PANEL1);
    for (const auto& c : controls)
    {
        SCOPED_TRACE(c.name);
        wxWindow* control = Find<wxWindow>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->GetId(), c.id);
        EXPECT_TRUE(control->IsKindOf(c.kind));
        EXPECT_EQ(control->GetParent(), panel);
        if (c.label)
        {
            EXPECT_EQ(control->GetLabel(), U(c.label));
        }
        const wxFont font = control->GetFont();
        EXPECT_EQ(font.GetPointSize(), 12);
        EXPECT_EQ(font.GetFamily(), wxFONTFAMILY_SWISS);
        EXPECT_EQ(font.GetWeight(), c.bold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
    }
    EXPECT_EQ(Output()->GetId(), KavrinFrame::ID_TEXTCTRL5);
}

TEST(WindowIdentifiers, AreDistinctAndTakenInOrder)
{
    const long ids[] = {
        KavrinFrame::ID_BUTTON1,     KavrinFrame::ID_STATICTEXT1, KavrinFrame::ID_TEXTCTRL1,
        KavrinFrame::ID_STATICTEXT2, KavrinFrame::ID_TEXTCTRL2,   KavrinFrame::ID_STATICTEXT3,
        KavrinFrame::ID_TEXTCTRL3,   KavrinFrame::ID_STATICTEXT4, KavrinFrame::ID_TEXTCTRL4,
        KavrinFrame::ID_TEXTCTRL5,   KavrinFrame::ID_CHECKBOX1,   KavrinFrame::ID_PANEL1,
        KavrinFrame::ID_MENU_QUIT,   KavrinFrame::ID_MENU_ABOUT,
    };
    // wxNewId counts upwards, so allocation order shows as increasing values.
    for (size_t i = 1; i < std::size(ids); ++i)
        EXPECT_LT(ids[i - 1], ids[i]) << i;
}

std::vector<wxRect> ControlRects(const wxWindow* panel)
{
    std::vector<wxRect> rects;
    for (const wxWindow* control : panel->GetChildren())
        rects.push_back(control->GetRect());
    return rects;
}

// CTest runs the Layout tests once per GTK text scale (GDK_DPI_SCALE).
// In both languages, with the words line's longest sentences.
TEST_F(WindowTest, LayoutShowsAllTextAtThisScale)
{
    ExpectLayoutFitsText(*frame, ExpectedLayoutScale(*frame));
    for (const char* code : kavrin::gui::Languages)
    {
        const long language = LanguageItem(code);
        SCOPED_TRACE(frame->GetMenuBar()->GetLabel(language).utf8_string());
        SendMenu(language);
        Enter({"4", "50005.2455", "WAIT", "CNT", false});
        Click();
        // The fields are laid out for their default values; an empty output field lays out
        // faster than the longest routine.
        Enter({});
        Output()->Clear();
        ExpectLayoutFitsText(*frame, ExpectedLayoutScale(*frame));

        // Showing the window again and a change of DPI lay it out the same way for the same
        // fonts.
        wxPanel* panel = Find<wxPanel>("ID_PANEL1");
        const std::vector<wxRect> rects = ControlRects(panel);
        const wxSize client = frame->GetClientSize();
        frame->Hide();
        frame->Show(); // lays out before it returns
        EXPECT_EQ(ControlRects(panel), rects);
        wxDPIChangedEvent dpiChanged(frame->GetDPI(), frame->GetDPI());
        dpiChanged.SetEventObject(frame);
        EXPECT_TRUE(frame->ProcessWindowEvent(dpiChanged));
        EXPECT_EQ(ControlRects(panel), rects);
        EXPECT_EQ(frame->GetClientSize(), client);
    }
}

#ifdef __WXGTK__
// A GTK entry centres its text vertically, so each caption is centred on its field.
TEST_F(WindowTest, LayoutCentresEachCaptionOnItsField)
{
    for (const char* row : {"1", "2", "3", "4"})
    {
        const wxRect caption =
            Find<wxWindow>((std::string("ID_STATICTEXT") + row).c_str())->GetRect();
        const wxRect field = Field((std::string("ID_TEXTCTRL") + row).c_str())->GetRect();
        EXPECT_NEAR(caption.y + caption.height / 2.0, field.y + field.height / 2.0, 1.0) << row;
    }
}
#endif

// At the default text size and 96 DPI the window keeps its base layout. On GTK the captions
// need a little more room than on Windows: the fields start at x = 218 and are 38 pixels high,
// with the captions centred on them.
TEST_F(WindowTest, DefaultTextSizeKeepsTheBaseLayout)
{
    if (ExpectedLayoutScale(*frame) != 1.0)
        GTEST_SKIP() << "not at the default text size";
    EXPECT_EQ(frame->GetClientSize(), wxSize(360, 555));
#ifdef __WXGTK__
    const int fieldX = 218, fieldWidth = 118, fieldHeight = 38, captionOffset = 9;
#else
    const int fieldX = 208, fieldWidth = 128, fieldHeight = 21, captionOffset = 0;
#endif
    for (int row = 0; row < 4; ++row)
    {
        const std::string n = std::to_string(row + 1);
        const int y = 24 + 40 * row;
        EXPECT_EQ(Field(("ID_TEXTCTRL" + n).c_str())->GetRect(),
                  wxRect(fieldX, y, fieldWidth, fieldHeight))
            << n;
        EXPECT_EQ(Find<wxWindow>(("ID_STATICTEXT" + n).c_str())->GetPosition(),
                  wxPoint(24, y + captionOffset))
            << n;
    }
    EXPECT_EQ(Find<wxWindow>("ID_CHECKBOX1")->GetPosition(), wxPoint(24, 184));
    EXPECT_EQ(Find<wxWindow>("ID_CHECKBOX1")->GetSize().x, 240);
    EXPECT_EQ(Find<wxWindow>("ID_BUTTON1")->GetPosition(), wxPoint(80, 216));
    EXPECT_EQ(Find<wxWindow>("ID_BUTTON1")->GetSize().x, 192);
    EXPECT_EQ(Output()->GetRect(), wxRect(24, 256, 313, 272));
}

// Creation order is the keyboard order; captions take no focus. Tab from the check box reaches
// "Počítej" whether the loop hint shows or not; the hint's button follows "Počítej".
TEST_F(WindowTest, KeyboardOrderFollowsCreation)
{
    const std::vector<std::string> panelOrder = {
        "ID_TEXTCTRL1", "ID_TEXTCTRL2", "ID_TEXTCTRL3", "ID_TEXTCTRL4",
        "ID_TEXTCTRL5", "ID_CHECKBOX1", "ID_BUTTON1",
    };
    std::vector<std::string> focusable;
    for (wxWindow* control : Find<wxPanel>("ID_PANEL1")->GetChildren())
        if (control->CanAcceptFocusFromKeyboard())
            focusable.push_back(control->GetName().utf8_string());
    EXPECT_EQ(focusable, panelOrder);

    const struct
    {
        const char* delay; // "Počítej" computes it first
        std::vector<std::string> tabs;
    } cases[] = {
        {"10",
         {"ID_TEXTCTRL1", "ID_TEXTCTRL2", "ID_TEXTCTRL3", "ID_TEXTCTRL4", "ID_TEXTCTRL5",
          "ID_CHECKBOX1", "ID_BUTTON1", "ID_TEXTCTRL1"}},
        {"50005.2455", // the loop hint shows
         {"ID_TEXTCTRL1", "ID_TEXTCTRL2", "ID_TEXTCTRL3", "ID_TEXTCTRL4", "ID_TEXTCTRL5",
          "ID_CHECKBOX1", "ID_BUTTON1", "ID_LOOPBUTTON", "ID_TEXTCTRL1"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.delay);
        Enter({"4", c.delay, "WAIT", "CNT", false});
        Click();
        // Tab moves along that order.
        auto* first = Find<wxWindow>(c.tabs.front().c_str());
        first->SetFocus();
        ASSERT_TRUE(focus->WaitUntilOn(first));
        for (size_t i = 1; i < c.tabs.size(); ++i)
        {
            wxWindow::FindFocus()->Navigate(wxNavigationKeyEvent::IsForward);
            auto* next = Find<wxWindow>(c.tabs[i].c_str());
            ASSERT_TRUE(focus->WaitUntilOn(next))
                << "Tab from " << c.tabs[i - 1] << " reached "
                << (focus->Focused() ? focus->Focused()->GetName().utf8_string() : "nothing");
        }
    }
}

TEST_F(WindowTest, ClickShowsTheEnginesRoutine)
{
    const kavrin::ComputeInput cases[] = {
        {},                                        // the defaults
        {"3,2768", "10", "WAIT", "CNT", false},    // decimal comma
        {"4", "1", "ČEKEJ", "ČÍTAČ", false},       // names in UTF-8
        {"20", "0.5", "W", " ", true},             // CALL and RETURN counted
        {"4", "1000", "LONGWAIT", "C", false},     // three levels
        {"4", "50005.2455", "WAIT", "CNT", false}, // the longest filler
    };
    for (const auto& input : cases)
    {
        SCOPED_TRACE(input.frequency + " MHz, " + input.delay + " ms");
        Enter(input);
        Output()->Clear();
        Click();
        EXPECT_EQ(OutputText(), EngineText(input));
    }
    // The fields still show what the user typed.
    EXPECT_EQ(Field("ID_TEXTCTRL3")->GetValue(), "WAIT");
}

// As appending piece by piece would leave it: the caret after the last character, and the
// field scrolled to the end of the routine.
TEST_F(WindowTest, CaretEndsAtTheRoutinesEnd)
{
    // The longest routine last but one; last a routine of some 180 lines: taller than the field
    // at every text size, yet short enough that the coordinates of its first line still fit the
    // 16 bits in which the Windows edit control reports them.
    for (const char* delay : {"10", "50005.2455", "49810.5"})
    {
        SCOPED_TRACE(delay);
        Enter({"4", delay, "WAIT", "CNT", false});
        Output()->SetValue("typed by the user\n");
        Output()->SetInsertionPoint(0);
        Click();
        EXPECT_EQ(Output()->GetInsertionPoint(), Output()->GetLastPosition());
    }
    // The field scrolls once it has laid out the new text: then its end is in view and its
    // start above it.
    const wxRect visible(Output()->GetClientSize());
    const auto endInView = [&]
    {
        return visible.Contains(Output()->PositionToCoords(Output()->GetLastPosition())) &&
               Output()->PositionToCoords(0).y < 0;
    };
    EXPECT_TRUE(WaitUntil(endInView));
}

TEST_F(WindowTest, SecondRunReplacesTheFirst)
{
    Click();
    const kavrin::ComputeInput second{"3.2768", "20", "WAIT", "CNT", false};
    Field("ID_TEXTCTRL2")->SetValue("20");
    Click();
    EXPECT_EQ(OutputText(), EngineText(second));
}

TEST_F(WindowTest, ErrorShowsOneBoxAndKeepsTheOutput)
{
    const struct
    {
        kavrin::ComputeInput input;
        const char* message;
    } cases[] = {
        {{"abc", "10", "WAIT", "CNT", false}, msg::FrequencyNotNumber},
        {{"1,000.5", "x", "", "", false}, msg::FrequencyNotNumber},
        {{"4", "", "", "", false}, msg::DelayNotNumber},
        {{"4", "10", "", "", false}, msg::CounterEmpty},
        {{"4", "10", "", "CNT", false}, msg::LabelEmpty},
        {{"4", "10", "WAIT", std::string(256, 'C'), false}, msg::CounterTooLong},
        {{"0", "10", "WAIT", "CNT", false}, msg::DelayTooSmall},
        {{"4", "60000", "WAIT", "CNT", false}, msg::DelayTooLarge},
    };
    const wxString previous = "typed by the user\n";
    Output()->SetValue(previous);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.message);
        Enter(c.input);
        wxTEST_DIALOG(Click(), ExpectErrorBox(c.message));
        EXPECT_EQ(Output()->GetValue(), previous);
    }
    // After a routine, an error keeps the routine.
    Enter({});
    Click();
    const std::string routine = OutputText();
    Field("ID_TEXTCTRL2")->SetValue("0");
    wxTEST_DIALOG(Click(), ExpectErrorBox(msg::DelayTooSmall));
    EXPECT_EQ(OutputText(), routine);
}

TEST_F(WindowTest, MenusCarryTheirItemsAndAccelerators)
{
    const struct
    {
        const char* title;
        long id;
        const char* text;
        const char* help;
        int flags;
        int key;
    } menus[] = {
        {"&File", KavrinFrame::ID_MENU_QUIT, "Quit\tAlt-F4", "Quit the application", wxACCEL_ALT,
         WXK_F4},
        {"Help", KavrinFrame::ID_MENU_ABOUT, "About\tF1", "Show info about this application",
         wxACCEL_NORMAL, WXK_F1},
    };
    wxMenuBar* bar = frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    // File first, Help last, Options between them.
    ASSERT_EQ(bar->GetMenuCount(), 3u);
    const size_t positions[] = {0, 2};
    for (size_t i = 0; i < std::size(menus); ++i)
    {
        const auto& m = menus[i];
        SCOPED_TRACE(m.title);
        EXPECT_EQ(bar->GetMenuLabel(positions[i]), m.title);
        wxMenu* menu = bar->GetMenu(positions[i]);
        ASSERT_EQ(menu->GetMenuItemCount(), 1u);
        const wxMenuItem* item = menu->FindItemByPosition(0);
        EXPECT_EQ(item->GetId(), m.id);
        EXPECT_EQ(item->GetItemLabel(), m.text);
        EXPECT_EQ(item->GetHelp(), m.help);
        EXPECT_EQ(item->GetKind(), wxITEM_NORMAL);
        EXPECT_EQ(item->GetSubMenu(), nullptr);
        const std::unique_ptr<wxAcceleratorEntry> accel(item->GetAccel());
        ASSERT_NE(accel, nullptr);
        EXPECT_EQ(accel->GetFlags(), m.flags);
        EXPECT_EQ(accel->GetKeyCode(), m.key);
    }
}

using kavrin::FillerKind;
using kavrin::PicCore;
using kavrin::RoutineSyntax;

kavrin::RoutineFormat Format(PicCore core, FillerKind filler, RoutineSyntax syntax, bool timesW)
{
    kavrin::RoutineFormat format;
    format.core = core;
    format.filler = filler;
    format.syntax = syntax;
    format.timesW = timesW;
    return format;
}

// Each value of each choice alone, from the first start's: the next "Počítej" writes what
// kavrin-cli writes with that option, and the delay's caption names the unit in use, the window
// laid out for it.
TEST_F(WindowTest, EachChoiceGivesKavrinClisRoutine)
{
    wxMenuBar* bar = frame->GetMenuBar();
    for (const kavrin::Choice& choice : kavrin::Choices)
        for (int value = 0; value < choice.ValueCount(); ++value)
        {
            const std::string word(kavrin::WordOfValue(choice, value));
            SCOPED_TRACE("--" + std::string(choice.key) + (choice.IsFlag() ? "=" : " ") + word);
            for (const kavrin::Choice& other : kavrin::Choices)
                SendMenu(Item(other, other.defaultValue), ShowsChecked(other, other.defaultValue));
            kavrin::RoutineFormat format;
            choice.set(format, value);
            Output()->SetValue("typed by the user\n");
            EXPECT_TRUE(SendMenu(Item(choice, value), ShowsChecked(choice, value)));
            EXPECT_EQ(Output()->GetValue(), "typed by the user\n"); // choosing computes nothing
            EXPECT_EQ(bar->IsChecked(Item(choice, value)), ShowsChecked(choice, value));
            const UnitCase& unit = UnitCaseOf(format.unit);
            EXPECT_EQ(Find<wxStaticText>("ID_STATICTEXT2")->GetLabel(), U(unit.caption.czech));
            ExpectLayoutFitsText(*frame, ExpectedLayoutScale(*frame));
            for (const auto& input : unit.inputs)
            {
                Enter(input);
                Click();
                EXPECT_EQ(OutputText(), EngineText(input, format))
                    << input.frequency << " MHz, " << input.delay;
            }
        }
}

/// Expects every text of the window in Czech (today's texts) or in English, the delay's caption
/// for the unit in `format`.
void ExpectTexts(const KavrinFrame& frame, bool english, const kavrin::RoutineFormat& format = {})
{
    SCOPED_TRACE(english ? "English" : "Czech");
    const struct
    {
        const char* name;
        Texts label;
    } controls[] = {
        {"ID_STATICTEXT1", {"Frekvence OSC v [MHz]", "Oscillator frequency [MHz]"}},
        {"ID_STATICTEXT2", UnitCaseOf(format.unit).caption},
        {"ID_STATICTEXT3", {"Název čekací smyčky", "Loop label"}},
        {"ID_STATICTEXT4", {"Název proměné", "Counter variable"}},
        {"ID_CHECKBOX1", {"Započítat CALL a RETURN", "Count CALL and RETURN"}},
        {"ID_BUTTON1", {"Počítej", "Compute"}},
    };
    EXPECT_EQ(frame.GetTitle(), "Kavrin 2.0");
    for (const auto& c : controls)
        EXPECT_EQ(wxWindow::FindWindowByName(c.name, &frame)->GetLabel(), U(In(c.label, english)))
            << c.name;

    const Texts titles[] = {{"&File", "&File"}, {"&Volby", "&Options"}, {"Help", "Help"}};
    const wxMenuBar* bar = frame.GetMenuBar();
    for (size_t i = 0; i < std::size(titles); ++i)
        EXPECT_EQ(bar->GetMenuLabel(i), U(In(titles[i], english)));

    const Texts coreHelp{"Jádro PIC, pro které se podprogram píše",
                         "The PIC core the routine is written for"};
    const Texts fillerHelp{"Čím se vyplní cykly, které smyčky nechají",
                           "What fills the cycles the loops leave over"};
    const Texts syntaxHelp{"Zápis podprogramu pro assembler",
                           "The routine's layout for the assembler"};
    const Texts unitHelp{"Jednotka, ve které se zadává zpoždění",
                         "The unit the delay is entered in"};
    using K = KavrinFrame;
    const struct
    {
        long id;
        Texts text;
        Texts help;
    } items[] = {
        {K::ID_MENU_QUIT,
         {"Quit\tAlt-F4", "Quit\tAlt-F4"},
         {"Quit the application", "Quit the application"}},
        {Item("core", "baseline"),
         {"baseline – PIC10F, PIC16F5x", "baseline – PIC10F, PIC16F5x"},
         coreHelp},
        {Item("core", "midrange"),
         {"midrange – PIC12F, PIC16F", "midrange – PIC12F, PIC16F"},
         coreHelp},
        {Item("core", "pic18"), {"pic18 – PIC18F", "pic18 – PIC18F"}, coreHelp},
        {Item("filler", "goto"), {"goto – goto $+1", "goto – goto $+1"}, fillerHelp},
        {Item("filler", "loop"), {"loop – krátké smyčky", "loop – short loops"}, fillerHelp},
        {Item("syntax", "classic"), {"classic – jako okno", "classic – as the window"}, syntaxHelp},
        {Item("syntax", "gputils"), {"gputils – pro gpasm", "gputils – for gpasm"}, syntaxHelp},
        {Item("syntax", "module"), {"module – pro gplink", "module – for gplink"}, syntaxHelp},
        {Item("times-w"),
         {"Čekat W-krát (počet ve W)", "Wait W times (count in W)"},
         {"Podprogram čeká W-krát zadanou dobu", "The routine waits W times the delay"}},
        {Item("watchdog"),
         {"Nulovat watchdog (CLRWDT)", "Clear the watchdog (CLRWDT)"},
         {"Podprogram nuluje watchdog alespoň každých 16 cyklů",
          "The routine clears the watchdog at least every 16 cycles"}},
        {Item("unit", "us"), {"µs – mikrosekundy", "µs – microseconds"}, unitHelp},
        {Item("unit", "ms"), {"ms – milisekundy", "ms – milliseconds"}, unitHelp},
        {Item("unit", "s"), {"s – sekundy", "s – seconds"}, unitHelp},
        {Item("unit", "cycles"),
         {"cycles – instrukční cykly", "cycles – instruction cycles"},
         unitHelp},
        // Each language's name and help in itself, from its own catalogue.
        {LanguageItem("cs"),
         {"Čeština", "Čeština"},
         {"Texty okna v češtině", "Texty okna v češtině"}},
        {LanguageItem("en"),
         {"English", "English"},
         {"The window's texts in English", "The window's texts in English"}},
        {K::ID_MENU_ABOUT,
         {"About\tF1", "About\tF1"},
         {"Show info about this application", "Show info about this application"}},
    };
    for (const auto& item : items)
    {
        SCOPED_TRACE(item.text.czech);
        const wxMenuItem* menuItem = bar->FindItem(item.id);
        ASSERT_NE(menuItem, nullptr);
        EXPECT_EQ(menuItem->GetItemLabel(), U(In(item.text, english)));
        EXPECT_EQ(menuItem->GetHelp(), U(In(item.help, english)));
    }
    // The Options menu holds the choices in the table's order, each a group after which a
    // separator follows: a radio item for each word, or a flag's check item; then the languages.
    const long separator = wxID_SEPARATOR;
    std::vector<long> expected;
    std::vector<long> options;
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        for (int value = choice.IsFlag() ? 1 : 0; value < choice.ValueCount(); ++value)
            expected.push_back(Item(choice, value));
        expected.push_back(separator);
    }
    for (const char* code : kavrin::gui::Languages)
        expected.push_back(LanguageItem(code));
    for (const wxMenuItem* item : bar->GetMenu(1)->GetMenuItems())
    {
        options.push_back(item->IsSeparator() ? separator : item->GetId());
        if (item->IsSeparator())
            continue;
        bool flag = false;
        for (const kavrin::Choice& c : kavrin::Choices)
            flag = flag || (c.IsFlag() && item->GetId() == Item(c, 1));
        EXPECT_EQ(item->GetKind(), flag ? wxITEM_CHECK : wxITEM_RADIO)
            << item->GetItemLabelText().utf8_string();
    }
    EXPECT_EQ(options, expected);
}

TEST_F(WindowTest, EnglishChangesEveryTextAndCzechBringsTodaysBack)
{
    const wxSize czechClient = frame->GetClientSize();
    ExpectTexts(*frame, false);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(LanguageItem("cs")));

    SendMenu(LanguageItem("en"));
    ExpectTexts(*frame, true);
    ExpectLayoutFitsText(*frame, ExpectedLayoutScale(*frame));
    const struct
    {
        kavrin::ComputeInput input;
        const char* message;
    } errors[] = {
        {{"abc", "10", "WAIT", "CNT", false}, "The oscillator frequency must be a number"},
        {{"4", "10", "", "CNT", false}, "The loop label must be filled in"},
        {{"4", "60000", "WAIT", "CNT", false}, "The delay is too large"},
    };
    for (const auto& e : errors)
    {
        Enter(e.input);
        wxTEST_DIALOG(Click(), ExpectErrorBox(e.message));
    }
    // The fields keep what the user typed; the routine is never translated.
    EXPECT_EQ(Field("ID_TEXTCTRL2")->GetValue(), "60000");
    Enter({});
    Click();
    EXPECT_EQ(OutputText(), EngineText({}));

    SendMenu(LanguageItem("cs"));
    ExpectTexts(*frame, false);
    EXPECT_EQ(frame->GetClientSize(), czechClient);
    Enter({"4", "", "", "", false});
    wxTEST_DIALOG(Click(), ExpectErrorBox(msg::DelayNotNumber));
}

/// The words line's two sentences as they read.
std::pair<std::string, std::string> WordsLineText(const KavrinFrame& frame)
{
    const auto* line = dynamic_cast<kavrin::gui::WordsLine*>(frame.GetStatusBar());
    if (!line)
        return {"no words line", ""};
    return {line->WordsText().utf8_string(), line->LoopText().utf8_string()};
}

TEST_F(WindowTest, WordsLineTellsTheRoutinesWords)
{
    EXPECT_EQ(WordsLineText(*frame), std::make_pair(std::string(), std::string()));
    const kavrin::ComputeInput longest{"4", "50005.2455", "WAIT", "CNT", false};
    const kavrin::ComputeInput fourDigits{"4", "49812.5", "WAIT", "CNT", false};
    const struct
    {
        const char* language;
        kavrin::ComputeInput input;
        const char* filler;
        const char* words;
        const char* loop; // "" when there is no hint
    } cases[] = {
        {"cs", {}, "goto", "Podprogram zabírá 10 instrukčních slov.", ""},
        {"cs", longest, "goto", "Podprogram zabírá 97\u00A0550 instrukčních slov.",
         "Výplň smyčkami (loop) by zabrala jen 24 slov."},
        {"en", longest, "goto", "The routine takes 97,550 instruction words.",
         "With the loop filler it would take only 24 words."},
        {"en", longest, "loop", "The routine takes 24 instruction words.", ""},
        {"en",
         {"4", "49810.5", "WAIT", "CNT", false},
         "goto",
         "The routine takes 178 instruction words.",
         "With the loop filler it would take only 18 words."},
        // Four digits are grouped too.
        {"cs", fourDigits, "goto", "Podprogram zabírá 1\u00A0178 instrukčních slov.",
         "Výplň smyčkami (loop) by zabrala jen 23 slov."},
        {"en", fourDigits, "goto", "The routine takes 1,178 instruction words.",
         "With the loop filler it would take only 23 words."},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.words);
        SendMenu(LanguageItem(c.language));
        SendMenu(Item("filler", c.filler));
        Enter(c.input);
        Click();
        EXPECT_EQ(WordsLineText(*frame), std::make_pair(std::string(c.words), std::string(c.loop)));
    }
    // An error leaves the line as it was; a language switch tells it again.
    const auto shown = WordsLineText(*frame);
    Field("ID_TEXTCTRL2")->SetValue("0");
    wxTEST_DIALOG(Click(), ExpectErrorBox("The delay is too small"));
    EXPECT_EQ(WordsLineText(*frame), shown);
    SendMenu(LanguageItem("cs"));
    EXPECT_EQ(WordsLineText(*frame).first, "Podprogram zabírá 1\u00A0178 instrukčních slov.");
}

// The hint's button chooses the loop filler and computes again.
TEST_F(WindowTest, LoopButtonSwitchesToTheLoopFiller)
{
    const kavrin::ComputeInput input{"4", "50005.2455", "WAIT", "CNT", false};
    Enter(input);
    Click();
    auto* button = Find<wxButton>("ID_LOOPBUTTON");
    ASSERT_TRUE(button->IsShown());
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    EXPECT_TRUE(button->ProcessWindowEvent(click));
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(Item("filler", "loop")));
    EXPECT_EQ(OutputText(), EngineText(input, Format(PicCore::Midrange, FillerKind::Loop,
                                                     RoutineSyntax::Classic, false)));
    EXPECT_EQ(WordsLineText(*frame).second, "");
}

// A new window, as the next start opens it, has the choices and the language of the last one,
// and the fields and the check box of a first start: the loop filler chosen in the menu and
// chosen by the loop hint's button alike.
TEST_F(WindowTest, NextStartKeepsTheChoicesAndTheLanguage)
{
    const struct
    {
        const char* how;
        bool byLoopButton; // else by the menu
    } ways[] = {{"the filler chosen in the menu", false},
                {"the filler chosen by the loop hint's button", true}};
    // Each choice's value after its default (a flag on): the filler's is the loop filler.
    kavrin::RoutineFormat keptFormat;
    std::vector<long> kept;
    for (const kavrin::Choice& choice : kavrin::Choices)
    {
        const int value = (choice.defaultValue + 1) % choice.ValueCount();
        choice.set(keptFormat, value);
        kept.push_back(Item(choice, value));
    }
    ASSERT_EQ(keptFormat.filler, FillerKind::Loop);
    kept.push_back(LanguageItem("en"));
    for (const auto& way : ways)
    {
        SCOPED_TRACE(way.how);
        CloseFrame();
        ForgetChoices();
        OpenFrame();
        for (long id : kept)
            if (id != Item("filler", "loop") || !way.byLoopButton)
                SendMenu(id);
        // The button last: nothing chosen after it keeps the choices again.
        if (way.byLoopButton)
        {
            Enter(UnitCaseOf(keptFormat.unit).inputs.front());
            Click();
            auto* button = Find<wxButton>("ID_LOOPBUTTON");
            ASSERT_TRUE(button->IsShown());
            wxCommandEvent click(wxEVT_BUTTON, button->GetId());
            click.SetEventObject(button);
            button->ProcessWindowEvent(click);
        }
        Enter({"4", "1000", "X", "Y", true});
        CloseFrame();
#ifndef __WINDOWS__
        wxString config;
        ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &config));
        EXPECT_TRUE(wxFileExists(config + "/kavrin/kavrin.conf"));
#endif
        OpenFrame(kavrin::gui::LoadChoices());
        ExpectTexts(*frame, true, keptFormat);
        for (long id : kept)
            EXPECT_TRUE(frame->GetMenuBar()->IsChecked(id)) << id;
        EXPECT_EQ(Field("ID_TEXTCTRL2")->GetValue(), "10");
        EXPECT_FALSE(Find<wxCheckBox>("ID_CHECKBOX1")->GetValue());
        EXPECT_EQ(OutputText(), "");
        EXPECT_EQ(WordsLineText(*frame).first, "");
        Click();
        EXPECT_EQ(OutputText(), EngineText({}, keptFormat));
    }
}

/// Counts what the toolkit logs while it is alive (a logged error would become a message box).
class LogCounter : public wxLog
{
public:
    LogCounter() : m_previous(wxLog::SetActiveTarget(this)) {}
    ~LogCounter() override { wxLog::SetActiveTarget(m_previous); }
    LogCounter(const LogCounter&) = delete;
    LogCounter& operator=(const LogCounter&) = delete;

    std::string logged;

protected:
    void DoLogRecord(wxLogLevel, const wxString& message, const wxLogRecordInfo&) override
    {
        logged += message.utf8_string() + "\n";
    }

private:
    wxLog* m_previous;
};

/// Settings damaged where the syntax, the filler and the watchdog are kept, readable for the
/// core, the unit and the language.
void DamageSettings()
{
#ifdef __WINDOWS__
    // The registry: values of the wrong type.
    const std::unique_ptr<wxConfigBase> config = kavrin::gui::OpenSettings();
    config->Write("core", "pic18");
    config->Write("syntax", 1L);
    config->Write("filler", 1L);
    config->Write("watchdog", 1L);
    config->Write("unit", "us");
    config->Write("language", "en");
    config->Flush();
#else
    wxString folder;
    ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &folder));
    folder += "/kavrin";
    ASSERT_TRUE(wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL));
    const std::string damaged = "core=pic18\n"
                                "syntax gputils\n"
                                "[damaged\n"
                                "filler=loopy\n"
                                "\x01\xFF=\n"
                                "watchdog=on\n"
                                "unit=us\n"
                                "language=en\n";
    wxFile file(folder + "/kavrin.conf", wxFile::write);
    ASSERT_EQ(file.Write(damaged.data(), damaged.size()), damaged.size());
#endif
}

// Settings the window cannot read cost only their defaults: no message and no box, the values
// that can be read kept, and the next save writes them afresh.
TEST_F(WindowTest, DamagedSettingsCostOnlyWhatCannotBeRead)
{
    CloseFrame();
    ForgetChoices();
    DamageSettings();
    const LogCounter log;
    const kavrin::gui::WindowChoices choices = kavrin::gui::LoadChoices();
    EXPECT_EQ(choices.format.core, PicCore::Pic18);
    EXPECT_EQ(choices.format.syntax, RoutineSyntax::Classic);
    EXPECT_EQ(choices.format.filler, FillerKind::Goto);
    EXPECT_FALSE(choices.format.watchdog);
    EXPECT_EQ(choices.format.unit, kavrin::DelayUnit::Microseconds);
    EXPECT_EQ(choices.language, "en");
    // A message box would open while the window is drawn (RefuseUnexpectedDialogs fails it).
    OpenFrame(choices);
    EXPECT_TRUE(frame->GetMenuBar()->IsChecked(Item("core", "pic18")));
    SendMenu(Item("syntax", "gputils"));
    CloseFrame();
#ifndef __WINDOWS__
    wxString config;
    ASSERT_TRUE(wxGetEnv("XDG_CONFIG_HOME", &config));
    wxFile file(config + "/kavrin/kavrin.conf");
    wxString written;
    ASSERT_TRUE(file.ReadAll(&written));
    // Every choice under its key, in the table's order, the unread ones at their defaults.
    kavrin::RoutineFormat savedFormat = choices.format;
    savedFormat.syntax = RoutineSyntax::Gputils;
    std::string expected;
    for (const kavrin::Choice& choice : kavrin::Choices)
        expected += std::string(choice.key) + "=" + std::string(WordIn(choice, savedFormat)) + "\n";
    EXPECT_EQ(written.utf8_string(), expected + "language=en\n");
    EXPECT_NE(expected.find("core=pic18\n"), std::string::npos);
    EXPECT_NE(expected.find("unit=us\n"), std::string::npos);
#endif
    const kavrin::gui::WindowChoices saved = kavrin::gui::LoadChoices();
    EXPECT_EQ(saved.format.core, PicCore::Pic18);
    EXPECT_EQ(saved.format.syntax, RoutineSyntax::Gputils);
    EXPECT_EQ(saved.format.unit, kavrin::DelayUnit::Microseconds);
    EXPECT_EQ(saved.language, "en");
    EXPECT_EQ(log.logged, "");
    OpenFrame();
}

TEST_F(WindowTest, AboutDoesNothing)
{
    Click();
    const std::string routine = OutputText();
    EXPECT_TRUE(SendMenu(KavrinFrame::ID_MENU_ABOUT)); // handled at once; no dialog opens
    EXPECT_TRUE(frame);
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(OutputText(), routine);
}

TEST_F(WindowTest, QuitClosesTheFrame)
{
    EXPECT_TRUE(SendMenu(KavrinFrame::ID_MENU_QUIT));
    // The default close handling schedules the frame for deletion.
    ASSERT_TRUE(frame);
    EXPECT_TRUE(wxTheApp->IsScheduledForDestruction(frame));
    WaitUntilFrameDeleted();
    EXPECT_FALSE(frame);
}
} // namespace
