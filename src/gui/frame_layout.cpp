#include "gui/frame_layout.h"

#include <algorithm>
#include <cmath>

namespace kavrin::gui
{
namespace
{
// The base layout in device-independent pixels: the positions and sizes the window has with
// the 12-point font at 96 DPI. Other DPIs scale it (FromDIP); larger text grows it (ComputeLayout).
const wxSize ClientSize(360, 555);
const wxSize FieldSize(128, 21);
const wxSize ButtonSize(192, 32);
const wxSize CheckBoxSize(240, 13);
const wxSize OutputSize(313, 272);
const int LeftColumn = 24;   ///< left edge of the captions, the check box and the output field
const int FirstRow = 24;     ///< top of the first row of caption and field
const int RowPitch = 40;     ///< from one row's top to the next
const int FieldColumn = 208; ///< left edge of the four input fields
const int FieldRight = 336;  ///< right edge of the four input fields
const int CheckBoxTop = 184;
const wxPoint ButtonPosition(80, 216);
const int OutputTop = 256;
const int RightMargin = 23;  ///< from the output field to the right edge of the client area
const int BottomMargin = 27; ///< from the output field to the bottom of the client area
// Where larger text pushes the controls apart, these gaps stay between them.
const int CaptionGap = 8; ///< between the widest caption and the fields
const int RowGap = 2;     ///< between two rows, and between the last row and the check box
const int ButtonGap = 8;  ///< between the check box and the button
const int OutputGap = 6;  ///< between the button and the output field

/// The top of caption-and-field row `row` (0..3) in the base layout.
int RowTop(int row)
{
    return FirstRow + row * RowPitch;
}

#ifdef __WXGTK__
/// GTK scales every font by the desktop's text scale (GDK_DPI_SCALE), explicit point sizes
/// included; the layout follows in proportion to the 12-point font's line height, 19 pixels at
/// scale 1. The line height is rounded to whole pixels, so n pixels stand for a scale of up to
/// (n + 0.5) / 19: the layout takes that, so that it never falls short of the scale.
double TextScale(int lineHeight)
{
    const int defaultLineHeight = 19;
    return lineHeight > defaultLineHeight ? (lineHeight + 0.5) / defaultLineHeight : 1.0;
}
// An entry centres its text vertically and, with its frame and padding, is 19 pixels taller
// than one line of its font.
const int FieldFrameHeight = 19;
const bool FieldCentresText = true;
/// The input fields' width at the default text size where the captions need more room than the
/// base layout gives them (the Czech captions in GTK's 12-point font): larger text widens the
/// fields from there.
const int MinFieldWidth = 118;
#else
/// Elsewhere an explicit point size follows the DPI only, which FromDIP already covers.
double TextScale(int /*lineHeight*/)
{
    return 1.0;
}
// An edit control draws its text at the top, inside a one-pixel frame.
const int FieldFrameHeight = 2;
const bool FieldCentresText = false;
/// Captions that need more room (the English ones) push the fields right at their base width.
const int MinFieldWidth = FieldSize.x;
#endif
} // namespace

FrameLayout ComputeLayout(const LayoutMetrics& m, const DipToPixels& fromDip)
{
    const auto dip = [&fromDip](int pixels) { return fromDip(wxSize(pixels, 0)).x; };
    const double textScale = TextScale(m.fieldLineHeight);
    const auto scaled = [textScale](int pixels)
    { return static_cast<int>(std::ceil(pixels * textScale)); };
    FrameLayout layout;

    int widestCaption = 0;
    int captionHeight = 0;
    for (const wxSize& caption : m.captions)
    {
        widestCaption = std::max(widestCaption, caption.x);
        captionHeight = std::max(captionHeight, caption.y);
    }
    const int fieldX =
        std::max(dip(FieldColumn), dip(LeftColumn) + widestCaption + dip(CaptionGap));
    const int fieldWidth =
        std::max({dip(FieldRight) - fieldX, scaled(dip(MinFieldWidth)), m.fieldValueWidth});
    const int fieldHeight = std::max(dip(FieldSize.y), m.fieldLineHeight + FieldFrameHeight);
    const int rowHeight = std::max(fieldHeight, captionHeight);
    int rowBottom = 0;
    for (int row = 0; row < 4; ++row)
    {
        const int top = std::max(dip(RowTop(row)), rowBottom + dip(RowGap));
        layout.fields[row] =
            wxRect(fieldX, top + (rowHeight - fieldHeight) / 2, fieldWidth, fieldHeight);
        const wxSize caption = m.captions[row];
        // Each caption's text on a level with its field's text.
        const int captionY = FieldCentresText ? top + (rowHeight - caption.y) / 2 : top;
        layout.captions[row] = wxRect(wxPoint(dip(LeftColumn), captionY), caption);
        rowBottom = top + rowHeight;
    }

    wxSize checkBox = fromDip(CheckBoxSize);
    checkBox.IncTo(m.checkBox);
    layout.checkBox = wxRect(
        wxPoint(dip(LeftColumn), std::max(dip(CheckBoxTop), rowBottom + dip(RowGap))), checkBox);

    // The output field at least as large as the base one times the text scale, and as wide
    // as the rows above it.
    const int outputX = dip(LeftColumn);
    const int outputWidth = std::max(scaled(dip(OutputSize.x)), fieldX + fieldWidth + 1 - outputX);

    // The button keeps its centre where it is over the output field.
    wxSize button = fromDip(ButtonSize);
    button.IncTo(m.button);
    const wxSize buttonBase = fromDip(wxSize(ButtonPosition.x, ButtonPosition.y));
    layout.button =
        wxRect(wxPoint(buttonBase.x + (outputWidth - dip(OutputSize.x)) / 2 -
                           (button.x - dip(ButtonSize.x)) / 2,
                       std::max(buttonBase.y, layout.checkBox.GetBottom() + 1 + dip(ButtonGap))),
               button);

    layout.output =
        wxRect(outputX, std::max(dip(OutputTop), layout.button.GetBottom() + 1 + dip(OutputGap)),
               outputWidth, scaled(dip(OutputSize.y)));

    const int right = std::max(layout.output.GetRight(), layout.checkBox.GetRight()) + 1;
    layout.client =
        wxSize(std::max(dip(ClientSize.x), right + dip(RightMargin)),
               std::max(dip(ClientSize.y), layout.output.GetBottom() + 1 + dip(BottomMargin)));
    return layout;
}
} // namespace kavrin::gui
