// The decoder against real records and against records damaged on purpose.
// Offsets below are those of the record layout: a 12-byte record header, then
// the icon file (6-byte header, one 16-byte directory entry, the 40-byte
// bitmap header at 34, palette at 74, colour rows at 138, mask rows at 650).

#include "forms/runtime_error.h"
#include "scene/picture.h"
#include "scene/stored_pictures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace miravel {
namespace {

using Record = std::vector<std::uint8_t>;

constexpr std::size_t directoryBitCount = 24, directoryPlanes = 22;
constexpr std::size_t bitmapHeader = 34, paletteAt = 74, colourRowsAt = 138, maskRowsAt = 650;
constexpr std::size_t recordBytes = 778;

Record recordOf(const char* control) {
    const auto span = storedPicture(control);
    return {span.begin(), span.end()};
}

void put32(Record& r, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) r.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(Record& r, std::size_t at, std::uint16_t v) {
    r.at(at) = static_cast<std::uint8_t>(v);
    r.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}

// The refusal must be the program's run-time error 481, name the control, and
// say what is wrong.
void expectRefused(const Record& record, const std::string& mentioning) {
    try {
        decodeStoredPicture(record, "Face1A");
        ADD_FAILURE() << "accepted a record that should mention '" << mentioning << "'";
    } catch (const forms::RuntimeError& e) {
        EXPECT_EQ(e.number(), 481);
        const std::string what = e.what();
        EXPECT_NE(what.find("Face1A"), std::string::npos) << what;
        EXPECT_NE(what.find(mentioning), std::string::npos) << what;
    }
}

int opaqueCount(const Picture& p) {
    int n = 0;
    for (int y = 0; y < Picture::Size; ++y)
        for (int x = 0; x < Picture::Size; ++x) n += !p.transparent(x, y);
    return n;
}

TEST(PictureDecoder, StoredRecordsHaveTheShapeTheDecoderExpects) {
    const Record r = recordOf("Face1A");
    ASSERT_EQ(r.size(), recordBytes);
    // The directory entry's planes and depth are 0; the depth has to come from
    // the bitmap header, which says 4.
    EXPECT_EQ(r[directoryPlanes] | r[directoryPlanes + 1], 0);
    EXPECT_EQ(r[directoryBitCount] | r[directoryBitCount + 1], 0);
    EXPECT_EQ(r[bitmapHeader + 14], 4);
    const Picture p = decodeStoredPicture(r, "Face1A");
    EXPECT_GT(opaqueCount(p), 0);
    EXPECT_GT(Picture::Size * Picture::Size - opaqueCount(p), 0);
}

TEST(PictureDecoder, DirectoryPlanesAndDepthAreIgnored) {
    const Record original = recordOf("Face1A");
    const Picture expected = decodeStoredPicture(original, "Face1A");
    for (std::uint16_t depth : {1, 8, 32}) {
        Record r = original;
        put16(r, directoryBitCount, depth);
        put16(r, directoryPlanes, 1);
        EXPECT_EQ(decodeStoredPicture(r, "Face1A"), expected) << depth;
    }
}

TEST(PictureDecoder, ColoursUsedZeroAndSixteenMeanTheFullPalette) {
    for (const char* control : {"Face1A", "MASIC"}) {
        const Record original = recordOf(control);
        const Picture expected = decodeStoredPicture(original, control);
        for (std::uint32_t used : {0u, 16u}) {
            Record r = original;
            put32(r, bitmapHeader + 32, used);
            EXPECT_EQ(decodeStoredPicture(r, control), expected) << control << ' ' << used;
        }
    }
}

// A picture laid out by hand: everything transparent but two marked pixels.
// Pins down bottom-up rows, the nibble order, the mask's bit order, the B,G,R
// palette order and the ARGB layout the painter wraps.
TEST(PictureDecoder, RowsNibblesMaskAndPaletteAreReadInFileOrder) {
    Record r = recordOf("Face1A");
    std::fill(r.begin() + colourRowsAt, r.begin() + maskRowsAt, 0);
    std::fill(r.begin() + maskRowsAt, r.end(), 0xFF);
    // (1, 0): top row, so the last stored row; odd column, so the low nibble.
    r[colourRowsAt + 31 * 16 + 0] = 0xF9;  // (0, 0) gets 15 but stays masked
    r[maskRowsAt + 31 * 4 + 0] = 0xFF & ~0x40;
    // (30, 31): bottom row, so the first stored row; even column, high nibble.
    r[colourRowsAt + 0 * 16 + 15] = 0xC0;
    r[maskRowsAt + 0 * 4 + 3] = 0xFF & ~0x02;
    // Palette entry 9 as B, G, R, 0.
    r[paletteAt + 9 * 4 + 0] = 1;
    r[paletteAt + 9 * 4 + 1] = 2;
    r[paletteAt + 9 * 4 + 2] = 3;

    const Picture p = decodeStoredPicture(r, "Face1A");
    EXPECT_EQ(opaqueCount(p), 2);
    EXPECT_FALSE(p.transparent(1, 0));
    EXPECT_EQ(p.colour(1, 0), (Rgb{3, 2, 1}));
    EXPECT_FALSE(p.transparent(30, 31));
    EXPECT_EQ(p.colour(30, 31), (Rgb{0, 0, 255}));
    EXPECT_EQ(p.argb()[1], 0xFF030201u);
    EXPECT_EQ(p.argb()[31 * 32 + 30], 0xFF0000FFu);
    EXPECT_EQ(p.argb()[0], 0u) << "a masked pixel is fully transparent whatever its colour";
}

TEST(PictureDecoder, ShortPaletteIsHonouredAndIndicesBeyondItRefused) {
    Record r = recordOf("Face1A");
    put32(r, bitmapHeader + 32, 2);  // palette of 2: colour rows move up to 82
    const std::size_t colours = paletteAt + 8, mask = colours + 512;
    std::fill(r.begin() + colours, r.begin() + mask, 0x01);
    std::fill(r.begin() + mask, r.begin() + mask + 128, 0x00);
    const Picture p = decodeStoredPicture(r, "Face1A");
    EXPECT_EQ(p.colour(0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(p.colour(1, 0), (Rgb{128, 0, 0}));
    EXPECT_EQ(opaqueCount(p), 1024);

    r[colours + 100] = 0x21;
    expectRefused(r, "colour 2");
}

TEST(PictureDecoderRefuses, EveryTruncation) {
    const Record original = recordOf("Face1A");
    for (std::size_t n = 0; n < original.size(); ++n) {
        const Record r(original.begin(), original.begin() + static_cast<long>(n));
        EXPECT_THROW(
            {
                try {
                    decodeStoredPicture(r, "Face1A");
                } catch (const forms::RuntimeError& e) {
                    EXPECT_EQ(e.number(), 481);
                    EXPECT_NE(std::string(e.what()).find("Face1A"), std::string::npos);
                    throw;
                }
            },
            forms::RuntimeError)
            << "truncated to " << n << " bytes";
    }
}

TEST(PictureDecoderRefuses, RecordHeaderThatDisagrees) {
    const Record original = recordOf("Face1A");
    Record r = original;
    put32(r, 0, 773);
    expectRefused(r, "byte count");
    r = original;
    r[5] = 0x75;
    expectRefused(r, "magic");
    r = original;
    put32(r, 8, 767);  // count no longer agrees
    expectRefused(r, "payload length");
    r = original;
    put32(r, 0, 775);  // agrees, but runs one byte past the end
    put32(r, 8, 767);
    expectRefused(r, "past the end");
    r = original;
    put32(r, 0, 0xFFFFFFFFu);  // payload + 8 must not wrap to agree
    put32(r, 8, 0xFFFFFFF7u);
    expectRefused(r, "past the end");
    r = original;
    put32(r, 0, 0x00000007u);
    put32(r, 8, 0xFFFFFFFFu);
    expectRefused(r, "disagrees");
    r = original;
    r.push_back(0);
    expectRefused(r, "stray");
}

TEST(PictureDecoderRefuses, IconHeaderAndDirectory) {
    const Record original = recordOf("Face1A");
    Record r = original;
    put16(r, 14, 2);  // a cursor, not an icon
    expectRefused(r, "type 2");
    r = original;
    put16(r, 16, 0);
    expectRefused(r, "no image");
    r = original;
    put16(r, 16, 0xFFFF);  // a directory far longer than the payload
    expectRefused(r, "directory");
    r = original;
    r[18] = 0;  // 0 stands for 256
    expectRefused(r, "256x32");
    r = original;
    r[19] = 16;
    expectRefused(r, "32x16");
}

TEST(PictureDecoderRefuses, ImageOutsideThePayload) {
    const Record original = recordOf("Face1A");
    Record r = original;
    put32(r, 30, 23);  // offset one further: the image now runs past the end
    expectRefused(r, "past the end");
    r = original;
    put32(r, 26, 745);
    expectRefused(r, "past the end");
    r = original;
    put32(r, 30, 0xFFFFFFF0u);  // offset + size wraps in 32 bits
    expectRefused(r, "past the end");
    r = original;
    put32(r, 26, 0xFFFFFFFFu);
    expectRefused(r, "past the end");
    r = original;
    put32(r, 26, 700);  // room for the colour rows, not for the mask
    expectRefused(r, "mask rows");
}

TEST(PictureDecoderRefuses, BitmapHeaderOutsideTheSupportedShape) {
    const Record original = recordOf("Face1A");
    struct Case { std::size_t at; std::uint32_t value; int bytes; const char* mentioning; };
    const Case cases[] = {
        {0, 12, 4, "header size 12"},  // the old core header is too small
        {0, 0xFFFFFFFFu, 4, "bitmap header"},
        {4, 16, 4, "16x64"},
        {8, 32, 4, "32x32"},  // mask rows not counted
        {8, static_cast<std::uint32_t>(-64), 4, "32x-64"},
        {12, 2, 2, "2 planes"},
        {14, 8, 2, "8 bits"},
        {14, 1, 2, "1 bits"},
        {14, 0, 2, "0 bits"},
        {16, 1, 4, "compression 1"},
        {16, 2, 4, "compression 2"},
        {32, 17, 4, "17 colours"},
        {32, 0xFFFFFFFFu, 4, "4294967295 colours"},
    };
    for (const Case& c : cases) {
        Record r = original;
        if (c.bytes == 4) put32(r, bitmapHeader + c.at, c.value);
        else put16(r, bitmapHeader + c.at, static_cast<std::uint16_t>(c.value));
        SCOPED_TRACE(c.mentioning);
        expectRefused(r, c.mentioning);
    }
}

TEST(PictureDecoderRefuses, LongerBitmapHeaderWithoutRoomForTheMask) {
    // A header longer than 40 bytes is allowed and the palette follows it, so
    // in an image sized for 40 the mask would run 4 bytes past the end.
    Record r = recordOf("Face1A");
    put32(r, bitmapHeader, 44);
    expectRefused(r, "mask rows");
}

} // namespace
} // namespace miravel
