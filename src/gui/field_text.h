#pragma once
// Field texts handed to the delay engine.

#include <string>

#include <wx/string.h>

namespace kavrin::gui
{
/// The text of an input field as UTF-8 bytes, the form the engine reads. A text with no UTF-8
/// form (a stray surrogate code unit) becomes a byte sequence that is never valid UTF-8, so
/// the engine refuses it at that field's place in its order of tests: a name with "obsahuje
/// neplatné znaky", a number field as not a number.
std::string FieldUtf8(const wxString& text);
} // namespace kavrin::gui
