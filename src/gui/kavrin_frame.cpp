#include "gui/kavrin_frame.h"

#include <algorithm>
#include <string_view>
#include <variant>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/event.h>
#include <wx/font.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/translation.h>

#include "delay/choices.h"
#include "delay/compute.h"
#include "delay/fields.h"
#include "delay/messages.h"
#include "gui/field_text.h"
#include "gui/frame_layout.h"
#include "gui/menus.h"
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
// The window's own texts, looked up in the language in use (message ids; wxTRANSLATE marks them
// for xgettext). The fields' captions and start values come from the engine's table (fields.h).
const char* const TitleText = wxTRANSLATE("Kavrin 2.0");
const char* const ButtonText = wxTRANSLATE("Počítej");

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

wxTextCtrl* NewField(wxWindow* parent, long id, const char* name, kavrin::TextRow row)
{
    auto* field = new wxTextCtrl(parent, id, wxString::FromUTF8(kavrin::TextFields[row].startValue),
                                 wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
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
    // The choices take effect at the next computation.
    SetMenuBar(kavrin::gui::NewMenuBar(m_choices));
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
    kavrin::gui::BindOptionsMenu(
        *this, m_choices, [this](const kavrin::gui::WindowChoices& chosen) { Choose(chosen); });
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
    TextCtrl1 = NewField(Panel1, ID_TEXTCTRL1, "ID_TEXTCTRL1", kavrin::FrequencyRow);
    StaticText2 = NewCaption(Panel1, ID_STATICTEXT2, "ID_STATICTEXT2");
    TextCtrl2 = NewField(Panel1, ID_TEXTCTRL2, "ID_TEXTCTRL2", kavrin::DelayRow);
    StaticText3 = NewCaption(Panel1, ID_STATICTEXT3, "ID_STATICTEXT3");
    TextCtrl3 = NewField(Panel1, ID_TEXTCTRL3, "ID_TEXTCTRL3", kavrin::LabelRow);
    StaticText4 = NewCaption(Panel1, ID_STATICTEXT4, "ID_STATICTEXT4");
    TextCtrl4 = NewField(Panel1, ID_TEXTCTRL4, "ID_TEXTCTRL4", kavrin::CounterRow);
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
    kavrin::gui::LayoutMetrics metrics;
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
        const int value =
            fields[row]->GetTextExtent(wxString::FromUTF8(kavrin::TextFields[row].startValue)).x;
        metrics.fieldValueWidth =
            std::max(metrics.fieldValueWidth, fields[row]->GetSizeFromTextSize(value).x);
    }
    CheckBox1->InvalidateBestSize();
    metrics.checkBox = CheckBox1->GetBestSize();
    Button1->InvalidateBestSize();
    metrics.button = Button1->GetBestSize();

    const kavrin::gui::FrameLayout layout =
        kavrin::gui::ComputeLayout(metrics, [this](const wxSize& size) { return FromDIP(size); });
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

void KavrinFrame::Choose(const kavrin::gui::WindowChoices& chosen)
{
    const bool newLanguage = chosen.language != m_choices.language;
    const bool newCaption = std::string_view(kavrin::DelayCaption(chosen.format)) !=
                            kavrin::DelayCaption(m_choices.format);
    m_choices = chosen;
    if (newLanguage)
        kavrin::gui::UseLanguage(m_choices.language);
    kavrin::gui::CheckOptionsMenu(*GetMenuBar(), m_choices);
    kavrin::gui::SaveChoices(m_choices);
    if (newLanguage || newCaption)
        Retranslate();
}

void KavrinFrame::Retranslate()
{
    SetTitle(Tr(TitleText));
    wxStaticText* const captions[] = {StaticText1, StaticText2, StaticText3, StaticText4};
    for (int row = 0; row < 4; ++row)
        captions[row]->SetLabel(Tr(kavrin::CaptionOf(kavrin::TextFields[row], m_choices.format)));
    CheckBox1->SetLabel(Tr(kavrin::CountCallReturnField.caption));
    Button1->SetLabel(Tr(ButtonText));
    kavrin::gui::RetranslateMenuBar(*GetMenuBar());
    WordsLine1->Tell(m_counts, m_choices.language);
    LayOut();
}

void KavrinFrame::OnButton1Click(wxCommandEvent& /*event*/)
{
    Compute();
}

void KavrinFrame::OnLoopButton(wxCommandEvent& /*event*/)
{
    kavrin::gui::WindowChoices chosen = m_choices;
    kavrin::ChoiceOf("filler").set(chosen.format, static_cast<int>(kavrin::FillerKind::Loop));
    Choose(chosen);
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
