#include "layout_check.h"

#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace
{
#ifdef __WXGTK__
const int DefaultFieldWidth = 118; // the captions push the fields right at the default size
#else
const int DefaultFieldWidth = 128;
#endif
const wxSize DefaultOutputSize(313, 272);

/// `pixels` times `scale`, rounded down: the toolkit rounds scaled sizes to whole pixels.
int Scaled(int pixels, double scale)
{
    return static_cast<int>(std::floor(pixels * scale));
}

std::string Describe(const wxRect& r)
{
    return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" +
           std::to_string(r.height);
}
} // namespace

double ExpectedLayoutScale(const wxFrame& frame)
{
    double textScale = 1.0;
    wxString value;
    if (wxGetEnv("GDK_DPI_SCALE", &value) && !value.ToCDouble(&textScale))
        textScale = 1.0;
    return textScale * frame.FromDIP(1000) / 1000.0;
}

void ExpectLayoutFitsText(const wxFrame& frame, double scale)
{
    SCOPED_TRACE("layout scale " + std::to_string(scale));
    EXPECT_FALSE(frame.HasFlag(wxRESIZE_BORDER));
    EXPECT_FALSE(frame.HasFlag(wxMAXIMIZE_BOX));
    const auto* panel = dynamic_cast<wxPanel*>(wxWindow::FindWindowByName("ID_PANEL1", &frame));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetRect(), wxRect(frame.GetClientSize()));
    const wxRect clientArea(panel->GetClientSize());

    std::vector<std::pair<wxString, wxRect>> placed;
    for (const wxWindow* control : panel->GetChildren())
    {
        const wxString name = control->GetName();
        const wxRect rect = control->GetRect();
        SCOPED_TRACE(name.utf8_string() + " at " + Describe(rect));
        if (const auto* field = dynamic_cast<const wxTextCtrl*>(control))
        {
            if (field->IsMultiLine())
            {
                EXPECT_GE(rect.width, Scaled(DefaultOutputSize.x, scale));
                EXPECT_GE(rect.height, Scaled(DefaultOutputSize.y, scale));
            }
            else
            {
                // The value whole, with the room the toolkit keeps around a field's text.
                const wxSize value = field->GetTextExtent(field->GetValue());
                EXPECT_GE(rect.width, field->GetSizeFromTextSize(value.x).x);
                EXPECT_GE(rect.width, Scaled(DefaultFieldWidth, scale));
                // One line of the font and a frame around it.
                EXPECT_GE(rect.height, field->GetCharHeight() + 2);
            }
        }
        else
        {
            // Captions, the check box and the button: the label whole, and for the check box
            // and the button also their box or frame (the toolkit's best size).
            const wxSize label = control->GetTextExtent(control->GetLabel());
            EXPECT_GE(rect.width, label.x);
            EXPECT_GE(rect.height, label.y);
            const_cast<wxWindow*>(control)->InvalidateBestSize();
            const wxSize best = control->GetBestSize();
            EXPECT_GE(rect.width, best.x);
            EXPECT_GE(rect.height, best.y);
        }
        EXPECT_TRUE(clientArea.Contains(rect))
            << "outside the client area " << Describe(clientArea);
        for (const auto& [otherName, other] : placed)
            EXPECT_FALSE(rect.Intersects(other))
                << "overlaps " << otherName.utf8_string() << " at " << Describe(other);
        placed.emplace_back(name, rect);
    }
    EXPECT_EQ(placed.size(), 11u);

    // The words line's sentences whole inside the bar under the panel.
    const wxStatusBar* bar = frame.GetStatusBar();
    ASSERT_NE(bar, nullptr);
    const wxRect barArea(bar->GetClientSize());
    for (const wxWindow* line : bar->GetChildren())
    {
        if (!line->IsShown())
            continue;
        const wxRect rect = line->GetRect();
        SCOPED_TRACE(line->GetName().utf8_string() + " at " + Describe(rect) + ": " +
                     line->GetLabel().utf8_string());
        const wxSize label = line->GetTextExtent(line->GetLabel());
        EXPECT_GE(rect.width, label.x);
        EXPECT_GE(rect.height, label.y);
        EXPECT_TRUE(barArea.Contains(rect)) << "outside the words line " << Describe(barArea);
    }
}
