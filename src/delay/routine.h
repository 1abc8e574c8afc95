#pragma once
// Writes a delay plan out as PIC midrange assembler.

#include <string>
#include <string_view>

#include "plan.h"

namespace kavrin
{
/// How the routine is laid out.
enum class RoutineSyntax
{
    /// As the desktop program shows it: loop labels indented like the instructions before them,
    /// "RETURN" in column 1 (accepted by MPASM-style assemblers).
    Classic,
    /// For the GNU PIC assembler gpasm: loop labels in column 1, "RETURN" indented by one tab.
    Gputils,
};

/// Error of the reached delay in per cent, relative to the reached delay.
double ErrorPercent(const DelayPlan& plan, double delayMs);

/// The whole routine: header comment, loop block, filler and the closing "RETURN" (no line
/// feed after it). `label` and `counter` are UTF-8 and are inserted exactly as given.
std::string WriteDelayRoutine(const DelayPlan& plan, double delayMs, std::string_view label,
                              std::string_view counter,
                              RoutineSyntax syntax = RoutineSyntax::Classic);
} // namespace kavrin
