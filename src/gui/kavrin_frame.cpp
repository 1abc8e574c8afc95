#include "gui/kavrin_frame.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/event.h>
#include <wx/font.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

#include "delay/choices.h"
#include "delay/compute.h"
#include "delay/messages.h"
#include "gui/field_text.h"
#include "gui/translation.h"
#include "gui/window_icon.h"

using kavrin::gui::Tr;

// Taken from the toolkit during static initialisation, before any window exists, in this order.
const long KavrinFrame::ID_BUTTON1 = wxNewId();
const long KavrinFrame::ID_STATICTEXT1 = wxNewId();
const long KavrinFrame::ID_TEXTCTRL1 = wxNewId();
const long KavrinFrame::ID_STATICTEXT2 = wxNewId();
const long KavrinFrame::ID_TEXTCTRL2 = wxNewId();
const long KavrinFrame::ID_STATICTEXT3 = wxNewId();
const long KavrinFrame::ID_TEXTCTRL3 = wxNewId();
const long KavrinFrame::ID_STATICTEXT4 = wxNewId();
const long KavrinFrame::ID_TEXTCTRL4 = wxNewId();
const long KavrinFrame::ID_TEXTCTRL5 = wxNewId();
const long KavrinFrame::ID_CHECKBOX1 = wxNewId();
const long KavrinFrame::ID_PANEL1 = wxNewId();
const long KavrinFrame::ID_MENU_QUIT = wxNewId();
const long KavrinFrame::ID_MENU_ABOUT = wxNewId();
const long KavrinFrame::ID_WORDS = wxNewId();
const long KavrinFrame::ID_LOOPBUTTON = wxNewId();

namespace
{
using kavrin::Choice;
using kavrin::Choices;

/// One radio or check item of the Options menu.
struct OptionItem
{
    const Choice* choice; ///< the choice it sets; none for a language's item
    int value;            ///< the value it sets (a flag's sets what it shows), or the language's
                          ///< place in Languages
    long id;
};

/// The Options menu's items in its order: each choice's values (a flag's check item sets 1),
/// then the languages. Their window identifiers are taken at the first call.
const std::vector<OptionItem>& OptionItems()
{
    static const std::vector<OptionItem> items = []
    {
        std::vector<OptionItem> made;
        for (const Choice& choice : Choices)
            for (int value = choice.IsFlag() ? 1 : 0; value < choice.ValueCount(); ++value)
                made.push_back({&choice, value, wxNewId()});
        for (std::size_t i = 0; i < std::size(kavrin::gui::Languages); ++i)
            made.push_back({nullptr, static_cast<int>(i), wxNewId()});
        return made;
    }();
    return items;
}
} // namespace

long KavrinFrame::ChoiceMenuId(std::string_view key, std::string_view word)
{
    for (const OptionItem& item : OptionItems())
        if (item.choice && item.choice->key == key &&
            kavrin::WordOfValue(*item.choice, item.value) == word)
            return item.id;
    return wxID_NONE;
}

long KavrinFrame::LanguageMenuId(std::string_view code)
{
    for (const OptionItem& item : OptionItems())
        if (!item.choice && code == kavrin::gui::Languages[item.value])
            return item.id;
    return wxID_NONE;
}

namespace
{
// The base layout in device-independent pixels: the positions and sizes the window has with
// the 12-point font at 96 DPI. Other DPIs scale it (FromDIP); larger text grows it (FrameLayout).
const wxSize ClientSize(360, 555);
const wxSize FieldSize(128, 21);
const wxSize ButtonSize(192, 32);
const wxSize CheckBoxSize(240, 13);
const wxSize OutputSize(313, 272);
const int LeftColumn = 24;   ///< left edge of the captions, the check box and the output field
const int FirstRow = 24;     ///< top of the first row of caption and field
const int RowPitch = 40;     ///< from one row's top to the next
const int FieldColumn = 208; ///< left edge of the four input fields
const int FieldRight = 336;  ///< right edge of the four input fields
const int CheckBoxTop = 184;
const wxPoint ButtonPosition(80, 216);
const int OutputTop = 256;
const int RightMargin = 23;  ///< from the output field to the right edge of the client area
const int BottomMargin = 27; ///< from the output field to the bottom of the client area
// Where larger text pushes the controls apart, these gaps stay between them.
const int CaptionGap = 8; ///< between the widest caption and the fields
const int RowGap = 2;     ///< between two rows, and between the last row and the check box
const int ButtonGap = 8;  ///< between the check box and the button
const int OutputGap = 6;  ///< between the button and the output field

/// The top of caption-and-field row `row` (0..3) in the base layout.
int RowTop(int row)
{
    return FirstRow + row * RowPitch;
}

#ifdef __WXGTK__
/// GTK scales every font by the desktop's text scale (GDK_DPI_SCALE), explicit point sizes
/// included; the layout follows in proportion to the 12-point font's line height, 19 pixels at
/// scale 1. The line height is rounded to whole pixels, so n pixels stand for a scale of up to
/// (n + 0.5) / 19: the layout takes that, so that it never falls short of the scale.
double TextScale(int lineHeight)
{
    const int defaultLineHeight = 19;
    return lineHeight > defaultLineHeight ? (lineHeight + 0.5) / defaultLineHeight : 1.0;
}
// An entry centres its text vertically and, with its frame and padding, is 19 pixels taller
// than one line of its font.
const int FieldFrameHeight = 19;
const bool FieldCentresText = true;
/// The input fields' width at the default text size where the captions need more room than the
/// base layout gives them (the Czech captions in GTK's 12-point font): larger text widens the
/// fields from there.
const int MinFieldWidth = 118;
#else
/// Elsewhere an explicit point size follows the DPI only, which FromDIP already covers.
double TextScale(int /*lineHeight*/)
{
    return 1.0;
}
// An edit control draws its text at the top, inside a one-pixel frame.
const int FieldFrameHeight = 2;
const bool FieldCentresText = false;
/// Captions that need more room (the English ones) push the fields right at their base width.
const int MinFieldWidth = FieldSize.x;
#endif

/// The input fields' values at start, in row order.
const char* const DefaultValues[] = {"3.2768", "10", "WAIT", "CNT"};

// The window's texts, looked up in the language in use (message ids; wxTRANSLATE marks them
// for xgettext).
const char* const TitleText = wxTRANSLATE("Kavrin 2.0");
/// The captions of the rows but the delay's, which follows the chosen form (DelayCaption).
const char* const CaptionTexts[] = {wxTRANSLATE("Frekvence OSC v [MHz]"), nullptr,
                                    wxTRANSLATE("Název čekací smyčky"),
                                    wxTRANSLATE("Název proměné")};
const char* const CheckBoxText = wxTRANSLATE("Započítat CALL a RETURN");
const char* const ButtonText = wxTRANSLATE("Počítej");
/// The menu bar's titles, in order.
const char* const MenuTitles[] = {wxTRANSLATE("&File"), wxTRANSLATE("&Volby"), wxTRANSLATE("Help")};
const char* const QuitText = wxTRANSLATE("Quit\tAlt-F4");
const char* const QuitHelp = wxTRANSLATE("Quit the application");
const char* const AboutText = wxTRANSLATE("About\tF1");
const char* const AboutHelp = wxTRANSLATE("Show info about this application");

/// The caption of caption-and-field row `row` for the form `format`.
const char* CaptionText(int row, const kavrin::RoutineFormat& format)
{
    return row == 1 ? kavrin::DelayCaption(format) : CaptionTexts[row];
}

/// A menu item with its texts in the language in use.
struct MenuItem
{
    std::size_t menu; ///< its menu's place on the menu bar
    long id;
    wxItemKind kind;
    wxString text;
    wxString help;
    bool endsGroup; ///< a separator follows it
};

/// Every menu item in the menus' order: Quit; the choices, each a group; the languages, each
/// under its own name; About.
std::vector<MenuItem> MenuItems()
{
    std::vector<MenuItem> items = {
        {0, KavrinFrame::ID_MENU_QUIT, wxITEM_NORMAL, Tr(QuitText), Tr(QuitHelp), false}};
    for (const OptionItem& item : OptionItems())
    {
        if (!item.choice)
        {
            const char* code = kavrin::gui::Languages[item.value];
            items.push_back({1, item.id, wxITEM_RADIO, kavrin::gui::LanguageName(code),
                             kavrin::gui::LanguageHelp(code), false});
            continue;
        }
        const Choice& choice = *item.choice;
        const bool last = item.value + 1 == choice.ValueCount();
        items.push_back({1, item.id, choice.IsFlag() ? wxITEM_CHECK : wxITEM_RADIO,
                         Tr(choice.IsFlag() ? choice.caption : choice.words[item.value].caption),
                         Tr(choice.help), last});
    }
    items.push_back(
        {2, KavrinFrame::ID_MENU_ABOUT, wxITEM_NORMAL, Tr(AboutText), Tr(AboutHelp), false});
    return items;
}

/// What the layout measures, each in the control's own font.
struct LayoutMetrics
{
    wxSize captions[4];  ///< the size each caption needs for its text
    int fieldLineHeight; ///< the height of one line of the input fields' font
    int fieldValueWidth; ///< the width a field needs for the widest of the default values
    wxSize checkBox;     ///< the check box's best size: its box and its caption
    wxSize button;       ///< the button's best size
};

/// Every rectangle of the window, on the panel, and the client size that holds them.
struct FrameLayout
{
    wxRect captions[4];
    wxRect fields[4];
    wxRect checkBox;
    wxRect button;
    wxRect output;
    wxSize client;
};

/// The layout for the measured fonts: the base layout where the text fits into it, otherwise
/// each control as large as its text needs, pushed right or down by the ones before it, and
/// the window as large as all of them.
FrameLayout ComputeLayout(const LayoutMetrics& m, const wxWindow& window)
{
    const auto dip = [&window](int pixels) { return wxWindow::FromDIP(pixels, &window); };
    const auto dipSize = [&window](wxSize size) { return wxWindow::FromDIP(size, &window); };
    const double textScale = TextScale(m.fieldLineHeight);
    const auto scaled = [textScale](int pixels)
    { return static_cast<int>(std::ceil(pixels * textScale)); };
    FrameLayout layout;

    int widestCaption = 0;
    int captionHeight = 0;
    for (const wxSize& caption : m.captions)
    {
        widestCaption = std::max(widestCaption, caption.x);
        captionHeight = std::max(captionHeight, caption.y);
    }
    const int fieldX =
        std::max(dip(FieldColumn), dip(LeftColumn) + widestCaption + dip(CaptionGap));
    const int fieldWidth =
        std::max({dip(FieldRight) - fieldX, scaled(dip(MinFieldWidth)), m.fieldValueWidth});
    const int fieldHeight = std::max(dip(FieldSize.y), m.fieldLineHeight + FieldFrameHeight);
    const int rowHeight = std::max(fieldHeight, captionHeight);
    int rowBottom = 0;
    for (int row = 0; row < 4; ++row)
    {
        const int top = std::max(dip(RowTop(row)), rowBottom + dip(RowGap));
        layout.fields[row] =
            wxRect(fieldX, top + (rowHeight - fieldHeight) / 2, fieldWidth, fieldHeight);
        const wxSize caption = m.captions[row];
        // Each caption's text on a level with its field's text.
        const int captionY = FieldCentresText ? top + (rowHeight - caption.y) / 2 : top;
        layout.captions[row] = wxRect(wxPoint(dip(LeftColumn), captionY), caption);
        rowBottom = top + rowHeight;
    }

    wxSize checkBox = dipSize(CheckBoxSize);
    checkBox.IncTo(m.checkBox);
    layout.checkBox = wxRect(
        wxPoint(dip(LeftColumn), std::max(dip(CheckBoxTop), rowBottom + dip(RowGap))), checkBox);

    // The output field at least as large as the base one times the text scale, and as wide
    // as the rows above it.
    const int outputX = dip(LeftColumn);
    const int outputWidth = std::max(scaled(dip(OutputSize.x)), fieldX + fieldWidth + 1 - outputX);

    // The button keeps its centre where it is over the output field.
    wxSize button = dipSize(ButtonSize);
    button.IncTo(m.button);
    const wxPoint buttonBase = window.FromDIP(ButtonPosition);
    layout.button =
        wxRect(wxPoint(buttonBase.x + (outputWidth - dip(OutputSize.x)) / 2 -
                           (button.x - dip(ButtonSize.x)) / 2,
                       std::max(buttonBase.y, layout.checkBox.GetBottom() + 1 + dip(ButtonGap))),
               button);

    layout.output =
        wxRect(outputX, std::max(dip(OutputTop), layout.button.GetBottom() + 1 + dip(OutputGap)),
               outputWidth, scaled(dip(OutputSize.y)));

    const int right = std::max(layout.output.GetRight(), layout.checkBox.GetRight()) + 1;
    layout.client =
        wxSize(std::max(dip(ClientSize.x), right + dip(RightMargin)),
               std::max(dip(ClientSize.y), layout.output.GetBottom() + 1 + dip(BottomMargin)));
    return layout;
}

wxFont ControlFont()
{
    return wxFontInfo(12).Family(wxFONTFAMILY_SWISS);
}

wxFont ButtonFont()
{
    return wxFontInfo(12).Family(wxFONTFAMILY_SWISS).Bold();
}

wxStaticText* NewCaption(wxWindow* parent, long id, const char* name)
{
    auto* caption =
        new wxStaticText(parent, id, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, name);
    caption->SetFont(ControlFont());
    return caption;
}

wxTextCtrl* NewField(wxWindow* parent, long id, const char* name, int row)
{
    auto* field = new wxTextCtrl(parent, id, DefaultValues[row], wxDefaultPosition, wxDefaultSize,
                                 0, wxDefaultValidator, name);
    field->SetFont(ControlFont());
    return field;
}
} // namespace

KavrinFrame::KavrinFrame(wxWindow* parent, const kavrin::gui::WindowChoices& choices)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "wxID_ANY"),
      m_choices(choices)
{
    const wxIcon icon = kavrin::gui::LoadWindowIcon();
    if (icon.IsOk())
        SetIcon(icon);
    CreateControls();
    CreateMenus();
    WordsLine1 = new kavrin::gui::WordsLine(this, ID_WORDS, ID_LOOPBUTTON);
    SetStatusBar(WordsLine1);
    // The menus' help strings would cover the words line.
    SetStatusBarPane(-1);
    // The texts, and a first layout with what the toolkit can measure now: it keeps GTK from
    // warning about too small controls when the window is first shown; Show lays out again with
    // the real fonts. On Windows it also gives back the client height the menu bar took.
    Retranslate();

    Bind(wxEVT_BUTTON, &KavrinFrame::OnButton1Click, this, ID_BUTTON1);
    Bind(wxEVT_MENU, &KavrinFrame::OnQuit, this, ID_MENU_QUIT);
    Bind(wxEVT_MENU, &KavrinFrame::OnAbout, this, ID_MENU_ABOUT);
    for (const OptionItem& item : OptionItems())
        Bind(
            wxEVT_MENU,
            [this, item](wxCommandEvent& event)
            {
                if (!item.choice)
                    ChooseLanguage(kavrin::gui::Languages[item.value]);
                else // a flag's check item sets what it shows after the click
                    Choose(*item.choice, item.choice->IsFlag() ? static_cast<int>(event.IsChecked())
                                                               : item.value);
            },
            item.id);
    Bind(wxEVT_BUTTON, &KavrinFrame::OnLoopButton, this, ID_LOOPBUTTON);
    Bind(wxEVT_DPI_CHANGED, &KavrinFrame::OnDPIChanged, this);
}

KavrinFrame::~KavrinFrame() = default;

void KavrinFrame::CreateControls()
{
    Panel1 = new wxPanel(this, ID_PANEL1, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL,
                         "ID_PANEL1");
    // Creation order is the keyboard order on the panel. "Počítej" comes last: Tab from the
    // check box reaches it, and Tab from it leaves the panel for the words line's button when
    // that shows.
    StaticText1 = NewCaption(Panel1, ID_STATICTEXT1, "ID_STATICTEXT1");
    TextCtrl1 = NewField(Panel1, ID_TEXTCTRL1, "ID_TEXTCTRL1", 0);
    StaticText2 = NewCaption(Panel1, ID_STATICTEXT2, "ID_STATICTEXT2");
    TextCtrl2 = NewField(Panel1, ID_TEXTCTRL2, "ID_TEXTCTRL2", 1);
    StaticText3 = NewCaption(Panel1, ID_STATICTEXT3, "ID_STATICTEXT3");
    TextCtrl3 = NewField(Panel1, ID_TEXTCTRL3, "ID_TEXTCTRL3", 2);
    StaticText4 = NewCaption(Panel1, ID_STATICTEXT4, "ID_STATICTEXT4");
    TextCtrl4 = NewField(Panel1, ID_TEXTCTRL4, "ID_TEXTCTRL4", 3);
    // The output field keeps the toolkit's default font.
    TextCtrl5 =
        new wxTextCtrl(Panel1, ID_TEXTCTRL5, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                       wxTE_MULTILINE | wxVSCROLL, wxDefaultValidator, "ID_TEXTCTRL5");
    CheckBox1 = new wxCheckBox(Panel1, ID_CHECKBOX1, wxEmptyString, wxDefaultPosition,
                               wxDefaultSize, 0, wxDefaultValidator, "ID_CHECKBOX1");
    CheckBox1->SetFont(ControlFont());
    Button1 = new wxButton(Panel1, ID_BUTTON1, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0,
                           wxDefaultValidator, "ID_BUTTON1");
    Button1->SetFont(ButtonFont());
}

bool KavrinFrame::Show(bool show)
{
    const bool changed = wxFrame::Show(show);
    // GTK applies a control's font only once the control is realised, so the best sizes of the
    // captions, the check box and the button are right only from now on.
    if (show)
        LayOut();
#ifdef __WXMSW__
    // Windows starts with the keyboard on "Počítej", so that Space computes at once; it would
    // give it to the first control of the keyboard order. (GTK starts on the first field.)
    if (show && changed)
        Button1->SetFocus();
#endif
    return changed;
}

void KavrinFrame::LayOut()
{
    LayoutMetrics metrics{};
    wxStaticText* const captions[] = {StaticText1, StaticText2, StaticText3, StaticText4};
    for (int row = 0; row < 4; ++row)
    {
        wxStaticText* caption = captions[row];
        caption->InvalidateBestSize();
        metrics.captions[row] = caption->GetBestSize();
        metrics.captions[row].IncTo(caption->GetTextExtent(caption->GetLabel()));
    }
    // Not the entries' best height: wxGTK's includes the text's offset in the entry as it is
    // laid out at the moment, so it would grow with every layout.
    metrics.fieldLineHeight = TextCtrl1->GetCharHeight();
    wxTextCtrl* const fields[] = {TextCtrl1, TextCtrl2, TextCtrl3, TextCtrl4};
    for (int row = 0; row < 4; ++row)
    {
        const int value = fields[row]->GetTextExtent(DefaultValues[row]).x;
        metrics.fieldValueWidth =
            std::max(metrics.fieldValueWidth, fields[row]->GetSizeFromTextSize(value).x);
    }
    CheckBox1->InvalidateBestSize();
    metrics.checkBox = CheckBox1->GetBestSize();
    Button1->InvalidateBestSize();
    metrics.button = Button1->GetBestSize();

    const FrameLayout layout = ComputeLayout(metrics, *this);
    for (int row = 0; row < 4; ++row)
    {
        captions[row]->SetSize(layout.captions[row]);
        fields[row]->SetSize(layout.fields[row]);
    }
    CheckBox1->SetSize(layout.checkBox);
    Button1->SetSize(layout.button);
    TextCtrl5->SetSize(layout.output);
    WordsLine1->FitHeight();
    SetClientSize(layout.client);
}

void KavrinFrame::OnDPIChanged(wxDPIChangedEvent& /*event*/)
{
    // Handled here, not skipped: the toolkit would otherwise scale the window's size by the
    // ratio of the DPIs, which is not the size the laid-out controls need.
    LayOut();
}

void KavrinFrame::CreateMenus()
{
    // The choices take effect at the next computation.
    wxMenu* menus[std::size(MenuTitles)];
    auto* menuBar = new wxMenuBar();
    for (std::size_t i = 0; i < std::size(MenuTitles); ++i)
    {
        menus[i] = new wxMenu();
        menuBar->Append(menus[i], Tr(MenuTitles[i]));
    }
    for (const MenuItem& item : MenuItems())
    {
        menus[item.menu]->Append(item.id, item.text, item.help, item.kind);
        if (item.endsGroup)
            menus[item.menu]->AppendSeparator();
    }
    SetMenuBar(menuBar);
    CheckChosenItems();
}

void KavrinFrame::Choose(const kavrin::Choice& choice, int value)
{
    const std::string_view caption = kavrin::DelayCaption(m_choices.format);
    choice.set(m_choices.format, value);
    CheckChosenItems();
    kavrin::gui::SaveChoices(m_choices);
    if (caption != kavrin::DelayCaption(m_choices.format))
        Retranslate();
}

void KavrinFrame::CheckChosenItems()
{
    wxMenuBar* bar = GetMenuBar();
    for (const OptionItem& item : OptionItems())
        bar->Check(item.id, item.choice ? item.choice->get(m_choices.format) == item.value
                                        : m_choices.language == kavrin::gui::Languages[item.value]);
}

void KavrinFrame::ChooseLanguage(const std::string& code)
{
    m_choices.language = code;
    kavrin::gui::UseLanguage(code);
    CheckChosenItems();
    kavrin::gui::SaveChoices(m_choices);
    Retranslate();
}

void KavrinFrame::Retranslate()
{
    SetTitle(Tr(TitleText));
    wxStaticText* const captions[] = {StaticText1, StaticText2, StaticText3, StaticText4};
    for (int row = 0; row < 4; ++row)
        captions[row]->SetLabel(Tr(CaptionText(row, m_choices.format)));
    CheckBox1->SetLabel(Tr(CheckBoxText));
    Button1->SetLabel(Tr(ButtonText));
    wxMenuBar* bar = GetMenuBar();
    for (std::size_t i = 0; i < std::size(MenuTitles); ++i)
        bar->SetMenuLabel(i, Tr(MenuTitles[i]));
    for (const MenuItem& item : MenuItems())
    {
        bar->SetLabel(item.id, item.text);
        bar->SetHelpString(item.id, item.help);
    }
    WordsLine1->Tell(m_counts, m_choices.language);
    LayOut();
}

void KavrinFrame::OnButton1Click(wxCommandEvent& /*event*/)
{
    Compute();
}

void KavrinFrame::OnLoopButton(wxCommandEvent& /*event*/)
{
    Choose(kavrin::ChoiceOf("filler"), static_cast<int>(kavrin::FillerKind::Loop));
    Compute();
}

void KavrinFrame::Compute()
{
    using kavrin::gui::FieldUtf8;
    const kavrin::ComputeInput input{
        FieldUtf8(TextCtrl1->GetValue()), FieldUtf8(TextCtrl2->GetValue()),
        FieldUtf8(TextCtrl3->GetValue()), FieldUtf8(TextCtrl4->GetValue()), CheckBox1->GetValue()};
    const kavrin::ComputeResult result = kavrin::RunComputeCommand(input, m_choices.format);

    if (const auto* error = std::get_if<kavrin::ComputeError>(&result))
    {
        // The output field and the words line keep what they showed before.
        wxMessageBox(Tr(error->message.c_str()), Tr(kavrin::msg::ErrorCaption), wxICON_ERROR);
        return;
    }
    const auto& routine = std::get<kavrin::DelayRoutine>(result);
    // One SetValue with the whole routine: only the final text matters, and appending the
    // filler line by line blocks the window several times longer on GTK.
    TextCtrl5->SetValue(wxString::FromUTF8(routine.text));
    // As appending the pieces would leave it: the caret after the last line, scrolled into view
    // with the last line at the bottom of the field. Placing the caret scrolls to it on GTK and on
    // Windows alike. No ShowPosition: on Windows it scrolls by lines (EM_LINESCROLL), which goes
    // on until the last line stands at the top of an otherwise empty field.
    TextCtrl5->SetInsertionPointEnd();
    m_counts = kavrin::gui::CountsOf(routine);
    WordsLine1->Tell(m_counts, m_choices.language);
}

void KavrinFrame::OnQuit(wxCommandEvent& /*event*/)
{
    Close(false);
}

void KavrinFrame::OnAbout(wxCommandEvent& /*event*/) {}
