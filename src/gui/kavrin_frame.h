#pragma once
// The main window: four input fields with their captions, the check box, the button
// "Počítej" and the output field, placed on one panel by one layout computed from the base
// sizes and the measured fonts (no sizers), and the File and Help menus.

#include <wx/frame.h>

class wxButton;
class wxCheckBox;
class wxDPIChangedEvent;
class wxPanel;
class wxStaticText;
class wxTextCtrl;

class KavrinFrame : public wxFrame
{
public:
    /// Builds the whole window, hidden. `id` is not used: the frame is always wxID_ANY.
    explicit KavrinFrame(wxWindow* parent, wxWindowID id = wxID_ANY);
    ~KavrinFrame() override;

    /// Shows the window and lays it out again (see LayOut): the toolkit can measure the
    /// controls in their own fonts only once they are realised.
    bool Show(bool show = true) override;

    // Window identifiers, taken once at program start in this order. Each control's window
    // name is its identifier's name.
    static const long ID_BUTTON1;
    static const long ID_STATICTEXT1;
    static const long ID_TEXTCTRL1;
    static const long ID_STATICTEXT2;
    static const long ID_TEXTCTRL2;
    static const long ID_STATICTEXT3;
    static const long ID_TEXTCTRL3;
    static const long ID_STATICTEXT4;
    static const long ID_TEXTCTRL4;
    static const long ID_TEXTCTRL5;
    static const long ID_CHECKBOX1;
    static const long ID_PANEL1;
    static const long ID_MENU_QUIT;
    static const long ID_MENU_ABOUT;

private:
    void CreateControls();
    void CreateMenus();
    /// Measures the captions, the check box, the button and the fields' font, and places every
    /// control and sizes the client area to hold them (see ComputeLayout).
    void LayOut();
    /// Lays the window out again for the DPI of the monitor it moved to.
    void OnDPIChanged(wxDPIChangedEvent& event);

    /// The compute command: reads the four fields and the check box, runs the engine, then
    /// puts the routine into the output field or shows the error and leaves the field alone.
    void OnButton1Click(wxCommandEvent& event);
    /// Closes the window without forcing; the toolkit's default close handling destroys it.
    void OnQuit(wxCommandEvent& event);
    /// Does nothing: Help › About and F1 have no visible effect.
    void OnAbout(wxCommandEvent& event);

    // The controls, owned by the window tree.
    wxTextCtrl* TextCtrl4 = nullptr;
    wxStaticText* StaticText2 = nullptr;
    wxButton* Button1 = nullptr;
    wxPanel* Panel1 = nullptr;
    wxStaticText* StaticText1 = nullptr;
    wxStaticText* StaticText3 = nullptr;
    wxCheckBox* CheckBox1 = nullptr;
    wxTextCtrl* TextCtrl2 = nullptr;
    wxTextCtrl* TextCtrl1 = nullptr;
    wxTextCtrl* TextCtrl5 = nullptr;
    wxStaticText* StaticText4 = nullptr;
    wxTextCtrl* TextCtrl3 = nullptr;
};
