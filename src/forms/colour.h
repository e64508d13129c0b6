#pragma once

#include "forms/checked.h"

#include <cstdint>

namespace forms {

// A colour is a 32-bit Long, &H00BBGGRR. A value with the top bit set names a
// system colour by its low byte instead; the binding resolves it from the
// desktop's palette. Arithmetic on colours is plain Long arithmetic, carries
// from one component into the next included.
using Colour = Long;

constexpr Colour systemColour(int index) {
    return Colour(static_cast<std::int32_t>(0x80000000u | static_cast<std::uint32_t>(index)));
}

inline constexpr Colour WindowText = systemColour(0x08);
inline constexpr Colour ButtonFace = systemColour(0x0F);
inline constexpr int LastSystemColour = 0x18;

constexpr std::uint32_t bits(Colour c) { return static_cast<std::uint32_t>(c.value()); }
constexpr bool isSystemColour(Colour c) { return (bits(c) & 0x80000000u) != 0; }
constexpr int systemColourIndex(Colour c) { return static_cast<int>(bits(c) & 0xFFu); }
constexpr int red(Colour c) { return static_cast<int>(bits(c) & 0xFFu); }
constexpr int green(Colour c) { return static_cast<int>((bits(c) >> 8) & 0xFFu); }
constexpr int blue(Colour c) { return static_cast<int>((bits(c) >> 16) & 0xFFu); }

// A value the runtime can show: a plain colour, or one of the known system colours.
constexpr bool isValidColour(Colour c) {
    if (isSystemColour(c)) return (bits(c) & 0x7FFFFF00u) == 0 && systemColourIndex(c) <= LastSystemColour;
    return (bits(c) & 0xFF000000u) == 0;
}

// RGB(red, green, blue) of the original runtime, each component 0 to 255.
constexpr Colour rgb(int r, int g, int b) {
    if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) throw RuntimeError::invalidPropertyValue();
    return Colour(r | (g << 8) | (b << 16));
}

} // namespace forms
