#pragma once
// N_, the mark of a message id for xgettext.

namespace kavrin
{
/// Marks a message id for xgettext (keyword N_) and gives it back untranslated: the shells look
/// it up in the language they show. (Where wxWidgets' headers come first, their macro N_ does
/// the same.)
#ifndef N_
constexpr const char* N_(const char* msgid)
{
    return msgid;
}
#endif
} // namespace kavrin
