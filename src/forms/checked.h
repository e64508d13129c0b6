#pragma once

#include "forms/runtime_error.h"

#include <compare>
#include <cstdint>
#include <limits>

namespace forms {

// A signed integer of the original runtime. Every result is range-tested and
// raises the overflow error instead of wrapping, so a counter that ran away
// ends the program visibly rather than animating garbage.
template <typename T>
class Checked {
public:
    constexpr Checked() = default;
    constexpr Checked(std::int64_t value) : value_(narrow(value)) {} // NOLINT: implicit like the original's assignments

    constexpr T value() const { return value_; }

    friend constexpr Checked operator+(Checked a, Checked b) {
        return Checked(std::int64_t{a.value_} + b.value_);
    }
    friend constexpr Checked operator-(Checked a, Checked b) {
        return Checked(std::int64_t{a.value_} - b.value_);
    }
    constexpr Checked operator-() const { return Checked(-std::int64_t{value_}); }

    friend constexpr bool operator==(Checked, Checked) = default;
    friend constexpr auto operator<=>(Checked, Checked) = default;

private:
    static constexpr T narrow(std::int64_t value) {
        if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
            throw RuntimeError::overflow();
        return static_cast<T>(value);
    }

    T value_ = 0;
};

using Integer = Checked<std::int16_t>; // the 16-bit Integer
using Long = Checked<std::int32_t>;    // the 32-bit Long

} // namespace forms
