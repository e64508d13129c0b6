#pragma once

#include <array>
#include <cstdint>

namespace forms {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(Rgb, Rgb) = default;
};

// A decoded 32 x 32 picture: every pixel is transparent or an opaque colour.
// Pixels are kept as 0xAARRGGBB, top row first, with alpha 0 or 0xFF, so a
// painter can draw them as they are.
class Picture {
public:
    static constexpr int Size = 32;
    static constexpr std::uint32_t Transparent = 0;

    bool transparent(int x, int y) const { return pixels_[index(x, y)] == Transparent; }
    Rgb colour(int x, int y) const {
        const std::uint32_t p = pixels_[index(x, y)];
        return {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8), static_cast<std::uint8_t>(p)};
    }
    const std::uint32_t* argb() const { return pixels_.data(); }

    void setTransparent(int x, int y) { pixels_[index(x, y)] = Transparent; }
    void setColour(int x, int y, Rgb c) {
        pixels_[index(x, y)] = 0xFF000000u | (std::uint32_t{c.red} << 16) | (std::uint32_t{c.green} << 8) | c.blue;
    }

    friend bool operator==(const Picture&, const Picture&) = default;

private:
    static constexpr std::size_t index(int x, int y) { return static_cast<std::size_t>(y * Size + x); }

    std::array<std::uint32_t, Size * Size> pixels_{};
};

} // namespace forms
