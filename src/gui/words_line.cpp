#include "gui/words_line.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/translation.h>

#include "gui/translation.h"

namespace kavrin::gui
{
namespace
{
/// Room around and between the two lines, in device-independent pixels.
const int Margin = 4;

/// `sentence` (the form for `count`, in the language in use) with the number grouped as the
/// language writes it.
wxString CountSentence(const wxString& sentence, std::int32_t count, const std::string& language)
{
    return wxString::Format(sentence, wxString::FromUTF8(GroupedNumber(count, language)));
}
} // namespace

WordCounts CountsOf(const DelayRoutine& routine)
{
    return {routine.words, routine.loopWords, routine.offersLoopFiller};
}

WordsLine::WordsLine(wxWindow* frame, long wordsId, long loopId)
    : wxStatusBar(frame, wxID_ANY, 0, "WordsLine")
{
    SetFieldsCount(1);
    const int flat[] = {wxSB_FLAT};
    SetStatusStyles(1, flat);
    m_words = new wxStaticText(this, wordsId, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                               wxST_NO_AUTORESIZE, "ID_WORDS");
    m_loop = new wxButton(this, loopId, " ", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT,
                          wxDefaultValidator, "ID_LOOPBUTTON");
    m_loop->Hide();
    FitHeight();
    Bind(wxEVT_SIZE,
         [this](wxSizeEvent& event)
         {
             Place();
             event.Skip();
         });
}

void WordsLine::Tell(const std::optional<WordCounts>& counts, const std::string& language)
{
    // Wide literals: the message ids reach the lookup whole whatever the C library's locale.
    const wxString words = counts
                               ? CountSentence(wxPLURAL(L"Podprogram zabírá %s instrukční slovo.",
                                                        L"Podprogram zabírá %s instrukčních slov.",
                                                        static_cast<unsigned>(counts->words)),
                                               counts->words, language)
                               : wxString();
    const bool hint = counts && counts->offersLoopFiller;
    const wxString loop =
        hint ? CountSentence(wxPLURAL(L"Výplň smyčkami (loop) by zabrala jen %s slovo.",
                                      L"Výplň smyčkami (loop) by zabrala jen %s slov.",
                                      static_cast<unsigned>(counts->loopWords)),
                             counts->loopWords, language)
             : wxString(" ");
    const wxString tip = Tr(wxTRANSLATE("Přepnout na loop"));
    // Only what changes: a new text lays the window out again, which takes long while the
    // output field holds a long routine.
    if (m_words->GetLabelText() != words)
        m_words->SetLabelText(words);
    if (m_loop->GetLabel() != loop)
        m_loop->SetLabel(loop);
    if (m_loop->GetToolTipText() != tip)
        m_loop->SetToolTip(tip);
    if (m_loop->IsShown() != hint)
        m_loop->Show(hint);
    Place();
}

wxString WordsLine::WordsText() const
{
    return m_words->GetLabel();
}

wxString WordsLine::LoopText() const
{
    return m_loop->IsShown() ? m_loop->GetLabel() : wxString();
}

void WordsLine::FitHeight()
{
    const int margin = FromDIP(Margin);
    m_loop->InvalidateBestSize();
    const int height = margin + GetCharHeight() + margin + m_loop->GetBestSize().y + margin;
    SetMinHeight(height - 2 * GetBorderY());
}

void WordsLine::Place()
{
    const int margin = FromDIP(Margin);
    const int width = GetClientSize().x - 2 * margin;
    m_words->InvalidateBestSize();
    m_words->SetSize(margin, margin, width, GetCharHeight());
    m_loop->InvalidateBestSize();
    const wxSize button = m_loop->GetBestSize();
    m_loop->SetSize(margin, margin + GetCharHeight() + margin, std::min(width, button.x), button.y);
}
} // namespace kavrin::gui
