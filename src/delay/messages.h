#pragma once
// The user-visible texts of the compute command. The window and the command-line program show
// exactly these, so they live in one place.

namespace kavrin::msg
{
inline constexpr const char* ErrorCaption = "Error";

inline constexpr const char* FrequencyNotNumber = "Frekvence oscilátoru mosí být číslo";
inline constexpr const char* DelayNotNumber = "Spoždění musí být číslo";
/// A delay in instruction cycles is a whole number.
inline constexpr const char* CyclesNotWhole = "Počet cyklů musí být celé číslo";
/// A delay in instruction cycles takes its time from the frequency, which must then be positive.
inline constexpr const char* FrequencyNotPositive = "Frekvence oscilátoru musí být kladná";

inline constexpr const char* CounterEmpty = "Jméno proměné musí být vyplněno";
inline constexpr const char* CounterInvalid = "Jméno proměné obsahuje neplatné znaky";
inline constexpr const char* CounterTooLong = "Jméno proměné může mít nejvýše 255 bajtů";

inline constexpr const char* LabelEmpty = "Jméno smyčky musí být vyplněno";
inline constexpr const char* LabelInvalid = "Jméno smyčky obsahuje neplatné znaky";
inline constexpr const char* LabelTooLong = "Jméno smyčky může mít nejvýše 255 bajtů";

inline constexpr const char* DelayTooSmall = "Příliš malé spoždění";
inline constexpr const char* DelayTooLarge = "Příliš velké spoždění";
} // namespace kavrin::msg
