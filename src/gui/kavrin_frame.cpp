#include "gui/kavrin_frame.h"

#include <algorithm>
#include <variant>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/font.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "delay/compute.h"
#include "delay/messages.h"
#include "gui/field_text.h"
#include "gui/window_icon.h"

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

namespace
{
const wxSize ClientSize(360, 555);
const wxSize FieldSize(128, 21);
const wxSize ButtonSize(192, 32);
const wxSize CheckBoxSize(240, 13);
const int FieldColumn = 208; ///< left edge of the four input fields
const int FieldRight = 336;  ///< right edge of the four input fields
const int MinCaptionGap = 8; ///< space kept between a caption and its field

/// A user-visible text through the translation lookup, keyed by the text itself. The sources
/// are UTF-8, so the key is converted explicitly instead of through the C library's locale.
wxString Tr(const char* utf8)
{
    return _(wxString::FromUTF8(utf8));
}

wxFont ControlFont()
{
    return wxFontInfo(12).Family(wxFONTFAMILY_SWISS);
}

wxFont ButtonFont()
{
    return wxFontInfo(12).Family(wxFONTFAMILY_SWISS).Bold();
}

wxStaticText* NewCaption(wxWindow* parent, long id, const char* name, const char* label, int y)
{
    auto* caption = new wxStaticText(parent, id, Tr(label), wxPoint(24, y), wxDefaultSize, 0, name);
    caption->SetFont(ControlFont());
    return caption;
}

wxTextCtrl* NewField(wxWindow* parent, long id, const char* name, const char* value, int y)
{
    auto* field = new wxTextCtrl(parent, id, Tr(value), wxPoint(FieldColumn, y), FieldSize, 0,
                                 wxDefaultValidator, name);
    field->SetFont(ControlFont());
    return field;
}

#ifdef __WXGTK__
/// Grows `control` from `size` to its best size for its font where `size` is too small.
void GrowToBestSize(wxWindow* control, wxSize size)
{
    control->InvalidateBestSize();
    size.IncTo(control->GetBestSize());
    control->SetSize(size);
}
#endif

wxMenu* NewMenu(long id, const char* text, const char* help)
{
    auto* menu = new wxMenu();
    menu->Append(new wxMenuItem(menu, id, Tr(text), Tr(help), wxITEM_NORMAL));
    return menu;
}
} // namespace

KavrinFrame::KavrinFrame(wxWindow* parent, wxWindowID /*id*/)
    : wxFrame(parent, wxID_ANY, Tr("Kavrin 2.0"), wxDefaultPosition, wxDefaultSize,
              wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX, "wxID_ANY")
{
    SetClientSize(ClientSize);
    const wxIcon icon = kavrin::gui::LoadWindowIcon();
    if (icon.IsOk())
        SetIcon(icon);
    CreateControls();
    // A first fit with what the toolkit can measure now keeps GTK from warning about too
    // small controls when the window is first shown; Show fits again with the real fonts.
    FitControlsToFonts();
    CreateMenus();
    // Windows takes the menu bar's height out of the client area: set it again so the panel
    // keeps its full 360 x 555 there too.
    SetClientSize(ClientSize);

    Bind(wxEVT_BUTTON, &KavrinFrame::OnButton1Click, this, ID_BUTTON1);
    Bind(wxEVT_MENU, &KavrinFrame::OnQuit, this, ID_MENU_QUIT);
    Bind(wxEVT_MENU, &KavrinFrame::OnAbout, this, ID_MENU_ABOUT);
}

KavrinFrame::~KavrinFrame() = default;

void KavrinFrame::CreateControls()
{
    // Creation order is the keyboard order on the panel.
    Panel1 = new wxPanel(this, ID_PANEL1, wxPoint(240, 272), wxSize(360, 600), wxTAB_TRAVERSAL,
                         "ID_PANEL1");
    Button1 = new wxButton(Panel1, ID_BUTTON1, Tr("Počítej"), wxPoint(80, 216), ButtonSize, 0,
                           wxDefaultValidator, "ID_BUTTON1");
    Button1->SetFont(ButtonFont());
    StaticText1 = NewCaption(Panel1, ID_STATICTEXT1, "ID_STATICTEXT1", "Frekvence OSC v [MHz]", 24);
    TextCtrl1 = NewField(Panel1, ID_TEXTCTRL1, "ID_TEXTCTRL1", "3.2768", 24);
    StaticText2 = NewCaption(Panel1, ID_STATICTEXT2, "ID_STATICTEXT2", "Doba zpoždění [ms]", 64);
    TextCtrl2 = NewField(Panel1, ID_TEXTCTRL2, "ID_TEXTCTRL2", "10", 64);
    StaticText3 = NewCaption(Panel1, ID_STATICTEXT3, "ID_STATICTEXT3", "Název čekací smyčky", 104);
    TextCtrl3 = NewField(Panel1, ID_TEXTCTRL3, "ID_TEXTCTRL3", "WAIT", 104);
    StaticText4 = NewCaption(Panel1, ID_STATICTEXT4, "ID_STATICTEXT4", "Název proměné", 144);
    TextCtrl4 = NewField(Panel1, ID_TEXTCTRL4, "ID_TEXTCTRL4", "CNT", 144);
    // The output field keeps the toolkit's default font.
    TextCtrl5 =
        new wxTextCtrl(Panel1, ID_TEXTCTRL5, wxEmptyString, wxPoint(24, 256), wxSize(313, 272),
                       wxTE_MULTILINE | wxVSCROLL, wxDefaultValidator, "ID_TEXTCTRL5");
    CheckBox1 =
        new wxCheckBox(Panel1, ID_CHECKBOX1, Tr("Započítat CALL a RETURN"), wxPoint(24, 184),
                       CheckBoxSize, 0, wxDefaultValidator, "ID_CHECKBOX1");
    CheckBox1->SetValue(false);
    CheckBox1->SetFont(ControlFont());
}

bool KavrinFrame::Show(bool show)
{
    const bool changed = wxFrame::Show(show);
    if (show && !m_fittedToFonts)
    {
        FitControlsToFonts();
        m_fittedToFonts = true;
    }
    return changed;
}

void KavrinFrame::FitControlsToFonts()
{
#ifdef __WXGTK__
    // The sizes were laid out for Windows. On GTK the same 12-point font needs more room: a
    // 21-pixel field clips accents and descenders, a 13-pixel check box squashes its tick box,
    // and a caption keeps the size of the default font it was created with. GTK applies a
    // control's font only once the control is realised, so the best sizes are right only from
    // the first Show on. They are taken once: wxGTK's best height for an entry keeps growing
    // after that (43 pixels instead of 38 for this font), which would overlap the next row.
    GrowToBestSize(Button1, ButtonSize);
    GrowToBestSize(CheckBox1, CheckBoxSize);
    int captionsRight = 0;
    for (wxStaticText* caption : {StaticText1, StaticText2, StaticText3, StaticText4})
    {
        GrowToBestSize(caption, wxDefaultSize);
        captionsRight = std::max(captionsRight, caption->GetRect().GetRight() + 1);
    }
    // Where the widest caption would reach the fields, the fields start further right and
    // keep their right edge.
    const int fieldX = std::max(FieldColumn, captionsRight + MinCaptionGap);
    for (wxTextCtrl* field : {TextCtrl1, TextCtrl2, TextCtrl3, TextCtrl4})
    {
        field->InvalidateBestSize();
        field->SetSize(fieldX, field->GetPosition().y, FieldRight - fieldX,
                       std::max(FieldSize.y, field->GetBestSize().y));
    }
#endif
}

void KavrinFrame::CreateMenus()
{
    auto* menuBar = new wxMenuBar();
    menuBar->Append(NewMenu(ID_MENU_QUIT, "Quit\tAlt-F4", "Quit the application"), Tr("&File"));
    menuBar->Append(NewMenu(ID_MENU_ABOUT, "About\tF1", "Show info about this application"),
                    Tr("Help"));
    SetMenuBar(menuBar);
}

void KavrinFrame::OnButton1Click(wxCommandEvent& /*event*/)
{
    using kavrin::gui::FieldUtf8;
    const kavrin::ComputeInput input{
        FieldUtf8(TextCtrl1->GetValue()), FieldUtf8(TextCtrl2->GetValue()),
        FieldUtf8(TextCtrl3->GetValue()), FieldUtf8(TextCtrl4->GetValue()), CheckBox1->GetValue()};
    const kavrin::ComputeResult result = kavrin::RunComputeCommand(input);

    if (const auto* error = std::get_if<kavrin::ComputeError>(&result))
    {
        // The output field keeps what it showed before.
        wxMessageBox(_(wxString::FromUTF8(error->message)),
                     _(wxString::FromUTF8(kavrin::msg::ErrorCaption)), wxICON_ERROR);
        return;
    }
    // One SetValue with the whole routine: only the final text matters, and appending the
    // filler line by line blocks the window several times longer on GTK.
    TextCtrl5->SetValue(wxString::FromUTF8(std::get<kavrin::DelayRoutine>(result).text));
}

void KavrinFrame::OnQuit(wxCommandEvent& /*event*/)
{
    Close(false);
}

void KavrinFrame::OnAbout(wxCommandEvent& /*event*/) {}
