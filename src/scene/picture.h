#pragma once

#include "forms/picture.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace miravel {

// The program has one picture type: the forms runtime's, 32 x 32, pixels kept
// as 0xAARRGGBB top row first (transparent 0, opaque alpha 0xFF), which a
// QImage wraps as Format_ARGB32 without conversion.
using Rgb = forms::Rgb;
using Picture = forms::Picture;

// Decodes a stored-picture record: a small header and an icon file holding one
// 32 x 32, 16-colour image. Throws forms::RuntimeError::invalidPicture naming
// the control on anything malformed; never reads outside the record.
Picture decodeStoredPicture(std::span<const std::uint8_t> record, std::string_view control);

} // namespace miravel
