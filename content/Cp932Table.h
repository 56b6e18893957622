#pragma once
// Code page 932 to UTF-16, as data written by content/gen_cp932_table.py.

#include <cstdint>

namespace pikora::cp932 {

// Lead bytes of double-byte characters: 0x81-0x9F and 0xE0-0xFC.
inline constexpr int kLeadCount = 60;
// Trail bytes: 0x40-0x7E and 0x80-0xFC.
inline constexpr int kTrailCount = 188;

// Bytes 0x80-0xFF that stand alone, indexed by byte - 0x80; 0 marks a lead byte.
extern const char16_t kHighSingle[128];
// Row of kDouble for each lead byte (by leadIndex), 0xFF when no pair starting
// with it is assigned.
extern const std::uint8_t kLeadRow[kLeadCount];
// The character of each (lead, trail) pair, 0 when the pair is unassigned.
extern const char16_t kDouble[][kTrailCount];

inline int leadIndex(std::uint8_t b)
{
    if (b >= 0x81 && b <= 0x9F)
        return b - 0x81;
    if (b >= 0xE0 && b <= 0xFC)
        return b - 0xE0 + 31;
    return -1;
}

inline int trailIndex(std::uint8_t b)
{
    if (b >= 0x40 && b <= 0x7E)
        return b - 0x40;
    if (b >= 0x80 && b <= 0xFC)
        return b - 0x41;
    return -1;
}

} // namespace pikora::cp932
