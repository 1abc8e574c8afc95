#pragma once
// What the main window's layout must give at any text size and DPI, checked from the controls'
// rectangles and from the extent of each text in its control's own font. Uses only portable
// toolkit calls, so the same check runs on GTK and on Windows.

class wxFrame;

/// The scale the layout has to follow: the text scale GTK applies (GDK_DPI_SCALE, 1 when unset)
/// times the window's DPI scale (1 on GTK, whose pixels are device-independent).
double ExpectedLayoutScale(const wxFrame& frame);

/// Reports a GoogleTest failure for each way the main window `frame` falls short at `scale`:
/// a caption, a field's value, the check box's or the button's caption not whole inside its
/// control; an input field narrower than its default width times `scale` (118 pixels on GTK,
/// 128 on Windows) or lower than its font needs; an output field smaller than 313 x 272 times
/// `scale`; two controls overlapping; a control outside the client area; a sentence of the
/// words line not whole inside it; or a resizable frame.
void ExpectLayoutFitsText(const wxFrame& frame, double scale);
