#pragma once
// Writes a delay plan out as PIC assembler.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "filler.h"
#include "plan.h"

namespace kavrin
{
/// How the routine is laid out.
enum class RoutineSyntax
{
    /// As the desktop program shows it: loop labels indented like the instructions before them,
    /// the return in column 1 (accepted by MPASM-style assemblers).
    Classic,
    /// For the GNU PIC assembler gpasm: loop labels in column 1, the return indented by one tab.
    Gputils,
    /// The gputils text as a module of its own for gpasm's relocatable mode and gplink: the label
    /// GLOBAL, its counters declared in the core's data section, a code section, END. No
    /// processor: one module serves every part of its core (on a baseline part of more than 256
    /// words, linked with the script its header gives).
    Module,
    /// A module of its own for MPLAB X's assembler pic-as (MPLAB XC8 PIC Assembler): the module's
    /// instructions with labels ending in ":", plain decimal numbers, every file register masked
    /// with BANKMASK (and every jump target with PAGEMASK where the core has pages), the counters
    /// reserved with DS in a data psect of <xc.inc> and the code in a psect named after the label.
    PicAs,
};

/// The 8-bit PIC core the routine is written for. The instruction cycle is four clocks on each,
/// so the cycle counts and the loop counts are the same; a few instructions differ.
enum class PicCore
{
    /// 12-bit core (PIC10F2xx, PIC12F5xx, PIC16F5x): no RETURN, the routine ends in "RETLW 0".
    Baseline,
    /// 14-bit core, midrange and enhanced midrange: the window's text.
    Midrange,
    /// 16-bit core: "BRA" for the loop jumps and "bra $+2" for two cycles, since GOTO takes two
    /// words there and a DECFSZ that skips it three cycles.
    Pic18,
};

/// The form of the routine text. The default is the window's text.
struct RoutineFormat
{
    RoutineSyntax syntax = RoutineSyntax::Classic;
    FillerKind filler = FillerKind::Goto;
    PicCore core = PicCore::Midrange;
    /// The routine waits W units of the delay, W being the value in the W register at the CALL
    /// (0 for 256 units); the plan is then the body of one unit, from `PlanUnitBody`.
    bool timesW = false;
    /// The routine clears the watchdog (CLRWDT) so often that at most `MaxWatchdogBound` cycles
    /// pass between two clears, from the CALL to the RETURN; it is planned with
    /// `PlanDelay` with `clearsWatchdog`, whose plan says so (`DelayPlan::ClearsWatchdog`).
    bool watchdog = false;
    /// The unit of the wanted delay, which the header names.
    DelayUnit unit = DelayUnit::Milliseconds;
};

/// The longest run of cycles between two CLRWDTs that a routine clearing the watchdog may have.
inline constexpr std::int64_t MaxWatchdogBound = 16;

/// The counter that holds the units left in a routine that waits W units: the counter base
/// followed by "W", which never meets the loop counters (the base followed by a digit) nor the
/// labels (the label, or the label followed by "_" and a word).
std::string UnitsCounterName(std::string_view counter);

/// The file name extension of the routine's text: ".asm" for a gpasm module, which is assembled on
/// its own, ".S" for a pic-as module, which includes <xc.inc> and so must pass pic-as's
/// preprocessor (it runs only on files ending in ".S"), ".inc" for the others, which a program
/// includes.
std::string_view RoutineFileExtension(const RoutineFormat& format);

/// The counters the routine uses, in the order a module declares them: the loop counters (the
/// counter base followed by 1, 2 and with three levels 3; every filler uses 1 and 2 only, and a
/// routine with no loop block, which clears the watchdog, those its filler's loops use), then with
/// W units the units counter.
std::vector<std::string> RoutineCounters(const DelayPlan& plan, std::string_view counter,
                                         const RoutineFormat& format);

/// Error of the reached delay in per cent, relative to the reached delay; `delay` in the unit the
/// plan was made for.
double ErrorPercent(const DelayPlan& plan, double delay);

/// The whole routine: header comment, loop block, filler and the closing return instruction
/// (no line feed after it). `delay` is the wanted delay in `format.unit`, the plan's unit. `label`
/// and `counter` are UTF-8 and are inserted exactly as given. With `format.timesW` the loop block
/// and filler are one unit's body inside the unit loop, and with CALL and RETURN counted the text
/// ends in the jump back that every unit but the last takes. A module also declares the label and
/// the counters first and ends in END.
std::string WriteDelayRoutine(const DelayPlan& plan, double delay, std::string_view label,
                              std::string_view counter, const RoutineFormat& format = {});

/// Instruction words of that routine: loop block, filler and return, and the unit loop.
std::int32_t RoutineWords(const DelayPlan& plan, const RoutineFormat& format);
/// Instruction words of a routine that waits once: loop block, filler and return.
std::int32_t RoutineWords(const DelayPlan& plan, FillerKind filler);

/// The longest run of cycles in that routine from the end of one CLRWDT to the end of the next,
/// counted from the first cycle of the CALL to the last of the RETURN (the caller clears the
/// watchdog just before the CALL and after the return); with W units, over every W. For a
/// routine that clears the watchdog it is at most MaxWatchdogBound; for one that does not, the
/// whole call (with W units, a call of two units).
std::int64_t WatchdogBound(const DelayPlan& plan, const RoutineFormat& format);
} // namespace kavrin
