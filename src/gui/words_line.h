#pragma once
// The words line under the panel: how many instruction words the routine in the output field
// takes, and, when its goto filler is long, how few the loop filler would take, as a button that
// switches to it.

#include <cstdint>
#include <optional>
#include <string>

#include <wx/statusbr.h>

#include "delay/compute.h"

class wxButton;
class wxStaticText;

namespace kavrin::gui
{
/// The counts the words line tells, as the engine gives them.
struct WordCounts
{
    std::int32_t words = 0;              ///< the routine's instruction words
    std::int32_t fillerInstructions = 0; ///< instructions of its filler
    std::int32_t loopWords = 0;          ///< words of the same routine with the loop filler
    FillerKind filler = FillerKind::Goto;
};

WordCounts CountWords(const DelayRoutine& routine, const RoutineFormat& format);

/// A goto filler of more than a dozen instructions: the loop filler would be shorter.
bool OffersLoopFiller(const WordCounts& counts);

/// A status bar whose two lines are real controls, so that screen readers see them (wxGTK's
/// status bar draws its own texts, which the accessibility bus does not see): the words sentence
/// and the loop hint, a button whose click the frame takes as wxEVT_BUTTON from `loopId`.
class WordsLine : public wxStatusBar
{
public:
    WordsLine(wxWindow* frame, long wordsId, long loopId);

    /// Tells `counts` in the language in use; nothing when there are none.
    void Tell(const std::optional<WordCounts>& counts, const std::string& language);

    /// Makes the bar as high as its two lines need in its font, before the frame places it.
    void FitHeight();

    /// The sentences as they read now: the words sentence and the loop hint (empty when hidden).
    wxString WordsText() const;
    wxString LoopText() const;

private:
    void Place();

    wxStaticText* m_words;
    wxButton* m_loop;
};
} // namespace kavrin::gui
