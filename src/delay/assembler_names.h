#pragma once
// Which label and counter names the assembler of a layout takes. The classic layout has no
// assembler of its own and takes any name the input rules take; the others are refused a name
// their assembler would refuse, or take for something else, so that the text they write
// assembles without a word.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "routine.h"

namespace kavrin
{
/// The assembler whose rules the names of a layout follow.
enum class Assembler
{
    None,  ///< any name the input rules take
    Gpasm, ///< gputils' gpasm, which follows MPASM
    PicAs, ///< MPLAB XC8's pic-as
};

/// The longest label gpasm takes: it keeps only the first 78 characters of a section's name
/// (found by trying gpasm 1.4.0: a longer name is cut, and a module's two sections become one),
/// and the longest section a module names is its label followed by "_DATA".
inline constexpr std::size_t GpasmMaxLabel = 78 - 5;

/// The assembler the text of `syntax` is written for.
Assembler AssemblerOf(RoutineSyntax syntax);

/// What an assembler has against a name; `Ok` when it takes it.
enum class AssemblerNameFault
{
    Ok,
    /// Not an identifier of the assembler (its first character or another one).
    NotIdentifier,
    /// A label longer than the assembler takes (`GpasmMaxLabel`).
    TooLong,
    /// A reserved word of the assembler, in any letter case.
    Reserved,
    /// A name made of it (a counter with its digit or W, a label with its suffix) is a reserved
    /// word.
    MakesReserved,
    /// The label, or a label made of it, is the name of a counter.
    SameAsCounter,
};

/// Judges the counter base name for `assembler`: the name itself, then the counters made of it,
/// the units counter only with `unitsCounter` (a routine that waits W units).
AssemblerNameFault CheckCounterName(Assembler assembler, std::string_view counter,
                                    bool unitsCounter);

/// Judges the label for `assembler`, with `counter` the counter base name that passed
/// `CheckCounterName`: the label itself, then the labels and sections made of it, then whether
/// any of them is a counter.
AssemblerNameFault CheckLabelName(Assembler assembler, std::string_view label,
                                  std::string_view counter);

/// True when `name` is an identifier of `assembler` (any name for `Assembler::None`).
bool IsAssemblerIdentifier(Assembler assembler, std::string_view name);

/// True when `name`, in any letter case, is a reserved word of `assembler`.
bool IsReservedWord(Assembler assembler, std::string_view name);

/// The counters a routine may use: the base followed by 1, 2 and 3, and with `unitsCounter` the
/// units counter (`UnitsCounterName`).
std::vector<std::string> CounterNames(std::string_view counter, bool unitsCounter = true);

/// True when `name` is a label or a section a routine labelled `label` may write: the label
/// itself, its loop labels (_LOOP1 to _LOOP3), its filler loop labels (_PAD and a number from 1
/// without a leading zero), _UNIT and _NEXT of the unit loop, and a module's sections _DATA and
/// _CODE.
bool IsLabelName(std::string_view name, std::string_view label);
} // namespace kavrin
