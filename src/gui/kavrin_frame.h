#pragma once
// The main window: four input fields with their captions, the check box, the button
// "Počítej" and the output field, placed on one panel by one layout computed from the base
// sizes and the measured fonts (no sizers, see frame_layout.h); the File, Options and Help menus
// (see menus.h); the words line under the panel.

#include <optional>

#include <wx/frame.h>

#include "gui/settings.h"
#include "gui/words_line.h"

class wxButton;
class wxCheckBox;
class wxDPIChangedEvent;
class wxPanel;
class wxStaticText;
class wxTextCtrl;

class KavrinFrame : public wxFrame
{
public:
    /// Builds the whole window, hidden, with `choices` checked in the Options menu; its texts are
    /// in the language in use (see UseLanguage), which should be `choices.language`.
    explicit KavrinFrame(wxWindow* parent, const kavrin::gui::WindowChoices& choices = {});
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
    // The words line's sentence and its button that switches to the loop filler.
    static const long ID_WORDS;
    static const long ID_LOOPBUTTON;

private:
    /// Makes the controls, without texts or places: Retranslate gives them both.
    void CreateControls();
    /// Sets every text of the window, the menus and the words line in the language in use, and
    /// lays the window out for them.
    void Retranslate();
    /// Takes `chosen` as the window's choices: checks the Options menu's items, keeps the choices
    /// for the next start, and sets the texts again when the language or the delay field's
    /// caption changes with them.
    void Choose(const kavrin::gui::WindowChoices& chosen);
    /// Measures the captions, the check box, the button and the fields' font, and places every
    /// control and sizes the client area to hold them (see frame_layout.h).
    void LayOut();
    /// Lays the window out again for the DPI of the monitor it moved to.
    void OnDPIChanged(wxDPIChangedEvent& event);

    /// The compute command: reads the four fields and the check box, runs the engine, then
    /// puts the routine into the output field or shows the error and leaves the field alone.
    void OnButton1Click(wxCommandEvent& event);
    /// Runs the compute command with the fields, the check box and the chosen form.
    void Compute();
    /// The words line's button: chooses the loop filler and computes again.
    void OnLoopButton(wxCommandEvent& event);
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
    kavrin::gui::WordsLine* WordsLine1 = nullptr;

    /// The form and the language chosen in the Options menu.
    kavrin::gui::WindowChoices m_choices;
    /// What the words line tells of the routine in the output field; none before the first one.
    std::optional<kavrin::gui::WordCounts> m_counts;
};
