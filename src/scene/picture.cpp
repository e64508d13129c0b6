#include "scene/picture.h"

#include "forms/runtime_error.h"

#include <array>
#include <cstddef>
#include <string>

namespace miravel {

namespace {

constexpr std::uint8_t recordMagic[4] = {0x6C, 0x74, 0x00, 0x00};
constexpr std::size_t recordHeaderBytes = 12;
constexpr std::size_t iconHeaderBytes = 6;
constexpr std::size_t iconEntryBytes = 16;
constexpr std::size_t bitmapHeaderMinBytes = 40;
constexpr int bitsPerPixel = 4;
constexpr std::size_t colourRowBytes = Picture::Size * bitsPerPixel / 8;  // already a multiple of 4
constexpr std::size_t maskRowBytes = 4;  // 32 bits, already a multiple of 4

// Little-endian reads over one region of the record. Every read checks its own
// bounds, so a lying length field can only lead to a refusal.
class Reader {
public:
    Reader(std::span<const std::uint8_t> bytes, std::string_view control, const char* what)
        : bytes_(bytes), control_(control), what_(what) {}

    std::size_t size() const { return bytes_.size(); }

    bool fits(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }

    void need(std::size_t offset, std::size_t length, const char* item) const {
        if (!fits(offset, length))
            fail(std::string(item) + " at offset " + std::to_string(offset) + " (" +
                 std::to_string(length) + " bytes) runs past the end of the " + what_ + " (" +
                 std::to_string(bytes_.size()) + " bytes)");
    }

    std::uint8_t u8(std::size_t offset, const char* item) const {
        need(offset, 1, item);
        return bytes_[offset];
    }
    std::uint16_t u16(std::size_t offset, const char* item) const {
        need(offset, 2, item);
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint32_t u32(std::size_t offset, const char* item) const {
        need(offset, 4, item);
        return static_cast<std::uint32_t>(bytes_[offset]) |
               static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
               static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
    }
    std::int32_t i32(std::size_t offset, const char* item) const {
        return static_cast<std::int32_t>(u32(offset, item));
    }

    std::span<const std::uint8_t> sub(std::size_t offset, std::size_t length, const char* item) const {
        need(offset, length, item);
        return bytes_.subspan(offset, length);
    }

    [[noreturn]] void fail(const std::string& why) const {
        throw forms::RuntimeError::invalidPicture(std::string(control_), why);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::string_view control_;
    const char* what_;
};

std::span<const std::uint8_t> iconPayload(const Reader& record) {
    if (record.size() < recordHeaderBytes)
        record.fail("record of " + std::to_string(record.size()) +
                    " bytes is too short for its 12-byte header");
    const std::uint32_t count = record.u32(0, "byte count");
    for (std::size_t i = 0; i < 4; ++i)
        if (record.u8(4 + i, "magic") != recordMagic[i]) record.fail("bad magic number");
    const std::uint32_t payloadLength = record.u32(8, "payload length");
    // Both fields describe the same length; compared in 64 bits so that a huge
    // payload length cannot wrap around to agree.
    if (std::uint64_t{count} != std::uint64_t{payloadLength} + 8)
        record.fail("byte count " + std::to_string(count) + " disagrees with payload length " +
                    std::to_string(payloadLength));
    const auto payload = record.sub(recordHeaderBytes, payloadLength, "payload");
    if (record.size() - recordHeaderBytes != payloadLength)
        record.fail(std::to_string(record.size() - recordHeaderBytes - payloadLength) +
                    " stray bytes follow the payload");
    return payload;
}

std::span<const std::uint8_t> iconImage(const Reader& icon) {
    icon.need(0, iconHeaderBytes, "icon header");
    if (icon.u16(0, "icon reserved field") != 0) icon.fail("icon reserved field is not 0");
    if (const auto type = icon.u16(2, "icon type"); type != 1)
        icon.fail("resource type " + std::to_string(type) + " is not an icon (1)");
    const std::uint16_t images = icon.u16(4, "image count");
    if (images == 0) icon.fail("icon holds no image");
    icon.need(iconHeaderBytes, images * iconEntryBytes, "icon directory");

    // Only the first image is used. Its directory entry's planes and bit count
    // are not trusted (the stored icons leave them 0); the bitmap header says.
    const std::size_t entry = iconHeaderBytes;
    const int width = icon.u8(entry + 0, "image width");
    const int height = icon.u8(entry + 1, "image height");
    if (width != Picture::Size || height != Picture::Size)
        icon.fail("icon image is " + std::to_string(width == 0 ? 256 : width) + "x" +
                  std::to_string(height == 0 ? 256 : height) + ", not 32x32");
    const std::uint32_t bytes = icon.u32(entry + 8, "image size");
    const std::uint32_t offset = icon.u32(entry + 12, "image offset");
    if (!icon.fits(offset, bytes))
        icon.fail("image of " + std::to_string(bytes) + " bytes at offset " + std::to_string(offset) +
                  " runs past the end of the " + std::to_string(icon.size()) + "-byte icon");
    return icon.sub(offset, bytes, "image");
}

} // namespace

Picture decodeStoredPicture(std::span<const std::uint8_t> record, std::string_view control) {
    const Reader recordReader(record, control, "record");
    const Reader icon(iconPayload(recordReader), control, "icon");
    const Reader image(iconImage(icon), control, "image");

    const std::uint32_t headerSize = image.u32(0, "bitmap header size");
    if (headerSize < bitmapHeaderMinBytes)
        image.fail("bitmap header size " + std::to_string(headerSize) + " is less than 40");
    image.need(0, headerSize, "bitmap header");
    const std::int32_t width = image.i32(4, "bitmap width");
    const std::int32_t height = image.i32(8, "bitmap height");
    // An icon bitmap's height counts the colour rows and the mask rows.
    if (width != Picture::Size || height != 2 * Picture::Size)
        image.fail("bitmap is " + std::to_string(width) + "x" + std::to_string(height) +
                   ", not 32x64 (32 colour rows and 32 mask rows)");
    if (const auto planes = image.u16(12, "bitmap planes"); planes != 1)
        image.fail("bitmap has " + std::to_string(planes) + " planes, not 1");
    if (const auto depth = image.u16(14, "bitmap bit count"); depth != bitsPerPixel)
        image.fail("bitmap has " + std::to_string(depth) + " bits per pixel, only 4 is supported");
    if (const auto compression = image.u32(16, "bitmap compression"); compression != 0)
        image.fail("bitmap compression " + std::to_string(compression) + " is not supported");
    std::uint32_t coloursUsed = image.u32(32, "colours used");
    if (coloursUsed > (1u << bitsPerPixel))
        image.fail(std::to_string(coloursUsed) + " colours used is more than 4 bits can index");
    if (coloursUsed == 0) coloursUsed = 1u << bitsPerPixel;

    const std::size_t paletteAt = headerSize;
    std::array<Rgb, 1u << bitsPerPixel> palette{};
    image.need(paletteAt, coloursUsed * 4, "palette");
    for (std::size_t i = 0; i < coloursUsed; ++i) {
        const std::size_t at = paletteAt + 4 * i;
        palette[i] = {image.u8(at + 2, "palette"), image.u8(at + 1, "palette"), image.u8(at, "palette")};
    }
    const std::size_t colourAt = paletteAt + coloursUsed * 4;
    const auto colourRows = image.sub(colourAt, Picture::Size * colourRowBytes, "colour rows");
    const auto maskRows =
        image.sub(colourAt + colourRows.size(), Picture::Size * maskRowBytes, "mask rows");

    Picture picture;
    for (int row = 0; row < Picture::Size; ++row) {
        const int y = Picture::Size - 1 - row;  // rows are stored bottom row first
        const auto colours = colourRows.subspan(row * colourRowBytes, colourRowBytes);
        const auto mask = maskRows.subspan(row * maskRowBytes, maskRowBytes);
        for (int x = 0; x < Picture::Size; ++x) {
            if (mask[x / 8] >> (7 - x % 8) & 1) {
                picture.setTransparent(x, y);  // whatever colour index it carries
                continue;
            }
            const std::uint8_t pair = colours[x / 2];
            const unsigned index = x % 2 == 0 ? pair >> 4 : pair & 0x0F;
            if (index >= coloursUsed)
                image.fail("pixel (" + std::to_string(x) + "," + std::to_string(y) +
                           ") uses colour " + std::to_string(index) + " beyond the " +
                           std::to_string(coloursUsed) + "-colour palette");
            picture.setColour(x, y, palette[index]);
        }
    }
    return picture;
}

} // namespace miravel
