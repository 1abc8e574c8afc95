#pragma once
// The user-visible texts of the compute command. The window and the command-line program show
// exactly these, so they live in one place. N_ marks each for xgettext.

#include "msgid.h"

namespace kavrin::msg
{
inline constexpr const char* ErrorCaption = N_("Error");

inline constexpr const char* FrequencyNotNumber = N_("Frekvence oscilátoru mosí být číslo");
inline constexpr const char* DelayNotNumber = N_("Spoždění musí být číslo");
/// A delay in instruction cycles is a whole number.
inline constexpr const char* CyclesNotWhole = N_("Počet cyklů musí být celé číslo");
/// A delay in instruction cycles takes its time from the frequency, which must then be positive.
inline constexpr const char* FrequencyNotPositive = N_("Frekvence oscilátoru musí být kladná");

inline constexpr const char* CounterEmpty = N_("Jméno proměné musí být vyplněno");
inline constexpr const char* CounterInvalid = N_("Jméno proměné obsahuje neplatné znaky");
inline constexpr const char* CounterTooLong = N_("Jméno proměné může mít nejvýše 255 bajtů");
// A layout made for an assembler takes only names its assembler takes.
inline constexpr const char* CounterNotIdentifier =
    N_("Jméno proměné není identifikátor, který assembler přijme");
inline constexpr const char* CounterReserved = N_("Jméno proměné je vyhrazené slovo assembleru");
inline constexpr const char* CounterMakesReserved =
    N_("Jméno proměné s číslicí nebo W na konci je vyhrazené slovo assembleru");

inline constexpr const char* LabelEmpty = N_("Jméno smyčky musí být vyplněno");
inline constexpr const char* LabelInvalid = N_("Jméno smyčky obsahuje neplatné znaky");
inline constexpr const char* LabelTooLong = N_("Jméno smyčky může mít nejvýše 255 bajtů");
inline constexpr const char* LabelNotIdentifier =
    N_("Jméno smyčky není identifikátor, který assembler přijme");
/// The number is GpasmMaxLabel.
inline constexpr const char* LabelTooLongForAssembler =
    N_("Jméno smyčky může mít pro gpasm nejvýše 73 znaků");
inline constexpr const char* LabelReserved = N_("Jméno smyčky je vyhrazené slovo assembleru");
inline constexpr const char* LabelMakesReserved =
    N_("Jméno smyčky s příponou (_LOOP1, _PAD1, …) je vyhrazené slovo assembleru");
inline constexpr const char* LabelSameAsCounter =
    N_("Jméno smyčky nebo návěští z něj (_LOOP1, …) je stejné jako jméno proměnné");

inline constexpr const char* DelayTooSmall = N_("Příliš malé spoždění");
inline constexpr const char* DelayTooLarge = N_("Příliš velké spoždění");
} // namespace kavrin::msg
