#include "gui/field_text.h"

namespace kavrin::gui
{
std::string FieldUtf8(const wxString& text)
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    // The conversion gives an empty buffer when the text has no UTF-8 form.
    if (utf8.length() == 0 && !text.empty())
        return "\xFF";
    return std::string(utf8.data(), utf8.length());
}
} // namespace kavrin::gui
