// The ranges of the spin edits of the configuration dialogs. A font size or
// counts-row height outside its range would leave the main window unusable;
// the field widths are those a table field of that kind may have.
#pragma once

#include <array>
#include <cstdint>

namespace zvonar {

struct SpinLimits {
  int32_t min;
  int32_t max;
  bool Holds(int32_t value) const { return value >= min && value <= max; }
};

inline constexpr SpinLimits kFontSizeLimits{6, 36};
inline constexpr SpinLimits kCountsHeightLimits{20, 200};
// Characters of a bill date after the balance-date marker.
inline constexpr SpinLimits kDateLengthLimits{1, 99};

// Per table field, in field order (Owner .. Roaming). DateTime is a
// date-time field whose size is always 0; Roaming may be as wide as any
// character field.
inline constexpr std::array<SpinLimits, 12> kFieldWidthLimits = {{
    {10, 25},   // Owner
    {0, 0},     // DateTime
    {10, 25},   // Number
    {20, 100},  // Abonent
    {10, 25},   // Code
    {10, 25},   // Type
    {4, 20},    // Sec
    {4, 20},    // Min
    {4, 20},    // Cost
    {4, 20},    // MTP
    {4, 20},    // All
    {1, 254},   // Roaming
}};

}  // namespace zvonar
