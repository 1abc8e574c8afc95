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

#include "gui/frame_layout.h"

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

/// Reports each named rectangle of `placed` that lies outside `area` or overlaps another.
void ExpectApartInside(const std::vector<std::pair<std::string, wxRect>>& placed,
                       const wxRect& area)
{
    for (auto at = placed.begin(); at != placed.end(); ++at)
    {
        const auto& [name, rect] = *at;
        SCOPED_TRACE(name + " at " + Describe(rect));
        EXPECT_TRUE(area.Contains(rect)) << "outside " << Describe(area);
        for (auto other = placed.begin(); other != at; ++other)
            EXPECT_FALSE(rect.Intersects(other->second))
                << "overlaps " << other->first << " at " << Describe(other->second);
    }
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

    std::vector<std::pair<std::string, wxRect>> placed;
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
        placed.emplace_back(name.utf8_string(), rect);
    }
    EXPECT_EQ(placed.size(), 11u);
    ExpectApartInside(placed, clientArea);

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

// The layout's arithmetic alone, for sizes the window tests cannot reach: each control gets at
// least the room it measured, the output field at least its base size at the DPI, and no two
// overlap inside the client area.
TEST(ComputeLayout, GivesEachControlItsRoomApartInsideTheClientArea)
{
    struct Case
    {
        const char* name;
        double dpiScale;
        wxSize caption; ///< the widest caption; the others are narrower
        int lineHeight;
        wxSize checkBox;
        wxSize button;
    };
    const Case cases[] = {
        {"default text", 1, {170, 19}, 19, {220, 19}, {100, 34}},
        {"text 1.5 times", 1, {255, 29}, 29, {330, 29}, {150, 51}},
        {"text twice", 1, {340, 38}, 38, {440, 38}, {200, 68}},
        {"twice the DPI", 2, {340, 38}, 38, {440, 38}, {200, 68}},
        {"a long caption", 1, {420, 19}, 19, {220, 19}, {100, 34}},
        {"a wide check box, a tall button", 1.5, {170, 19}, 19, {700, 19}, {420, 150}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        kavrin::gui::LayoutMetrics m;
        for (int row = 0; row < 4; ++row)
            m.captions[row] = wxSize(c.caption.x - 20 * row, c.caption.y);
        m.fieldLineHeight = c.lineHeight;
        m.fieldValueWidth = c.caption.x / 2;
        m.checkBox = c.checkBox;
        m.button = c.button;
        const kavrin::gui::FrameLayout layout = kavrin::gui::ComputeLayout(
            m, [&c](const wxSize& dip)
            { return wxSize(Scaled(dip.x, c.dpiScale), Scaled(dip.y, c.dpiScale)); });

        std::vector<std::pair<std::string, wxRect>> placed;
        for (int row = 0; row < 4; ++row)
        {
            const std::string n = std::to_string(row + 1);
            EXPECT_GE(layout.captions[row].width, m.captions[row].x) << n;
            EXPECT_GE(layout.captions[row].height, m.captions[row].y) << n;
            EXPECT_GE(layout.fields[row].width, m.fieldValueWidth) << n;
            EXPECT_GE(layout.fields[row].height, m.fieldLineHeight + 2) << n;
            placed.emplace_back("caption " + n, layout.captions[row]);
            placed.emplace_back("field " + n, layout.fields[row]);
        }
        EXPECT_GE(layout.checkBox.width, m.checkBox.x);
        EXPECT_GE(layout.checkBox.height, m.checkBox.y);
        EXPECT_GE(layout.button.width, m.button.x);
        EXPECT_GE(layout.button.height, m.button.y);
        EXPECT_GE(layout.output.width, Scaled(DefaultOutputSize.x, c.dpiScale));
        EXPECT_GE(layout.output.height, Scaled(DefaultOutputSize.y, c.dpiScale));
        placed.emplace_back("check box", layout.checkBox);
        placed.emplace_back("button", layout.button);
        placed.emplace_back("output", layout.output);
        ExpectApartInside(placed, wxRect(layout.client));
    }
}
