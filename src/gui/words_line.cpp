#include "gui/words_line.h"

#include <algorithm>

#include <wx/button.h>
#include <wx/stattext.h>

#include "delay/filler.h"
#include "gui/translation.h"

namespace kavrin::gui
{
namespace
{
/// Room around and between the two lines, in device-independent pixels.
const int Margin = 4;

/// The sentence for `count` with its number grouped as the language writes it.
wxString CountSentence(const char* singular, const char* plural, std::int32_t count,
                       const std::string& language)
{
    return wxString::Format(TrPlural(singular, plural, count),
                            wxString::FromUTF8(GroupedNumber(count, language)));
}
} // namespace

WordCounts CountWords(const DelayRoutine& routine, const RoutineFormat& format)
{
    RoutineFormat loopFormat = format;
    loopFormat.filler = FillerKind::Loop;
    return {routine.words, PlanFiller(routine.plan.PadCycles, format.filler).Words(),
            RoutineWords(routine.plan, loopFormat), format.filler};
}

bool OffersLoopFiller(const WordCounts& counts)
{
    return counts.filler == FillerKind::Goto && counts.fillerInstructions > 12;
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
    const wxString words =
        counts ? CountSentence("Podprogram zabírá %s instrukční slovo.",
                               "Podprogram zabírá %s instrukčních slov.", counts->words, language)
               : wxString();
    const bool hint = counts && OffersLoopFiller(*counts);
    const wxString loop = hint ? CountSentence("Výplň smyčkami (loop) by zabrala jen %s slovo.",
                                               "Výplň smyčkami (loop) by zabrala jen %s slov.",
                                               counts->loopWords, language)
                               : wxString(" ");
    const wxString tip = Tr("Přepnout na loop");
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
