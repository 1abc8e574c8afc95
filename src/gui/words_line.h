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
/// What the words line tells of a routine, as the engine counts it.
struct WordCounts
{
    std::int32_t words = 0;        ///< the routine's instruction words
    std::int32_t loopWords = 0;    ///< words of the same routine with the loop filler
    bool offersLoopFiller = false; ///< the hint shows: the loop filler would be shorter
};

/// The counts of `routine`.
WordCounts CountsOf(const DelayRoutine& routine);

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
