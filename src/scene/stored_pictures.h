#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace miravel {

// The stored-picture record of a control's picture, compiled into the program
// from the art at build time; empty for a control without one. A control-array
// element is asked for by its plain name ("Face12B").
std::span<const std::uint8_t> storedPicture(std::string_view control);

} // namespace miravel
