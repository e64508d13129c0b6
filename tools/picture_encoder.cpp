// Build-time tool: turns the text art in art/ into the stored-picture records
// compiled into the program, the icon files they carry, and the desktop icon.
//
//   picture_encoder <art-dir> <out-dir> [<pictures-dir>]
//
// Writes <out-dir>/stored_pictures.cpp, <out-dir>/records/<Control>.record (one
// per distinct record, a seed corpus for the decoder's fuzz target) and, in
// <pictures-dir> (default <out-dir>/pictures), <Control>.ico for every control
// and miravel.png, the window icon as a 32x32 PNG for the desktop.

#include <QFile>
#include <QImage>

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int Size = 32;
using Bytes = std::vector<std::uint8_t>;
struct Colour { std::uint8_t r, g, b; };
using Palette = std::array<Colour, 16>;

constexpr Palette basePalette = {{
    {0, 0, 0}, {128, 0, 0}, {0, 128, 0}, {128, 128, 0},
    {0, 0, 128}, {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
    {128, 128, 128}, {255, 0, 0}, {0, 255, 0}, {255, 255, 0},
    {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

// The window icon's control; its picture also becomes the desktop icon.
constexpr const char* iconControl = "Form1";

// MASIC's picture was saved with its own palette: index 2 is a dark olive, and
// its bitmap header lists the colours it uses.
struct PaletteOverride { const char* control; int index; Colour colour; };
constexpr PaletteOverride paletteOverrides[] = {{"MASIC", 2, {88, 116, 16}}};

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void fail(const fs::path& file, int line, const std::string& why) {
    std::ostringstream out;
    out << file.string();
    if (line > 0) out << ':' << line;
    out << ": " << why;
    throw Failure(out.str());
}

// Pixel indices, -1 for transparent, row by row from the top.
using Art = std::array<int, Size * Size>;

Art readArt(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) fail(file, 0, "cannot open art file");
    Art art{};
    std::string line;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        if (!line.empty() && line.back() == '\r') line.pop_back();  // tolerate CRLF checkouts
        if (lines > Size) {
            if (line.empty() && in.peek() == EOF) break;  // blank last line
            fail(file, lines, "more than 32 lines");
        }
        if (line.size() != Size)
            fail(file, lines, "line has " + std::to_string(line.size()) + " characters, expected 32");
        for (int x = 0; x < Size; ++x) {
            const char c = line[static_cast<std::size_t>(x)];
            int index;
            if (c == '.') index = -1;
            else if (c >= '0' && c <= '9') index = c - '0';
            else if (c >= 'a' && c <= 'f') index = c - 'a' + 10;
            else
                fail(file, lines, "column " + std::to_string(x + 1) + ": illegal character '" +
                                      std::string(1, c) +
                                      "' (use '.' for transparent or 0-9, a-f for a colour)");
            art[static_cast<std::size_t>((lines - 1) * Size + x)] = index;
        }
    }
    if (lines < Size)
        fail(file, lines, "only " + std::to_string(lines) + " lines, expected 32");
    return art;
}

void put16(Bytes& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// A one-image icon file: 4 bits per pixel, AND mask, rows bottom first.
Bytes encodeIcon(const Art& art, const Palette& palette, bool listColours) {
    constexpr std::uint32_t headerSize = 40, colourBytes = Size * 16, maskBytes = Size * 4;
    constexpr std::uint32_t imageBytes = headerSize + 16 * 4 + colourBytes + maskBytes;
    Bytes out;
    put16(out, 0);   // reserved
    put16(out, 1);   // icon
    put16(out, 1);   // one image
    out.push_back(Size);
    out.push_back(Size);
    out.push_back(16);  // colour count
    out.push_back(0);
    put16(out, 0);  // planes and bit count left 0, as the original resources have them
    put16(out, 0);
    put32(out, imageBytes);
    put32(out, 22);

    put32(out, headerSize);
    put32(out, Size);
    put32(out, 2 * Size);  // colour rows then mask rows
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);                        // no compression
    put32(out, colourBytes + maskBytes);  // size image
    put32(out, 0);
    put32(out, 0);
    put32(out, listColours ? 16 : 0);
    put32(out, 0);
    for (const Colour& c : palette) {
        out.push_back(c.b);
        out.push_back(c.g);
        out.push_back(c.r);
        out.push_back(0);
    }
    for (int y = Size - 1; y >= 0; --y)
        for (int x = 0; x < Size; x += 2) {
            const auto index = [&](int px) {
                const int i = art[static_cast<std::size_t>(y * Size + px)];
                return i < 0 ? 0 : i;  // transparent pixels carry colour 0
            };
            out.push_back(static_cast<std::uint8_t>(index(x) << 4 | index(x + 1)));
        }
    for (int y = Size - 1; y >= 0; --y)
        for (int byte = 0; byte < 4; ++byte) {
            std::uint8_t bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (art[static_cast<std::size_t>(y * Size + byte * 8 + bit)] < 0)
                    bits |= static_cast<std::uint8_t>(0x80 >> bit);
            out.push_back(bits);
        }
    if (out.size() != 22 + imageBytes) throw std::logic_error("icon size miscounted");
    return out;
}

Bytes encodeRecord(const Bytes& icon) {
    Bytes out;
    put32(out, static_cast<std::uint32_t>(icon.size() + 8));
    for (std::uint8_t b : {0x6C, 0x74, 0x00, 0x00}) out.push_back(b);
    put32(out, static_cast<std::uint32_t>(icon.size()));
    out.insert(out.end(), icon.begin(), icon.end());
    return out;
}

void writeFile(const fs::path& file, const Bytes& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail(file, 0, "cannot write");
}

void writeText(const fs::path& file, const std::string& text) {
    writeFile(file, Bytes(text.begin(), text.end()));
}

// The desktop icon, 8-bit RGBA; a transparent pixel is clear black. QImage
// needs no application object or display to write it, so this runs on a
// headless build machine.
void writePng(const fs::path& file, const Art& art, const Palette& palette) {
    QImage image(Size, Size, QImage::Format_ARGB32);
    for (int y = 0; y < Size; ++y)
        for (int x = 0; x < Size; ++x) {
            const int i = art[static_cast<std::size_t>(y * Size + x)];
            const Colour c = i < 0 ? Colour{0, 0, 0} : palette[static_cast<std::size_t>(i)];
            image.setPixel(x, y, qRgba(c.r, c.g, c.b, i < 0 ? 0 : 255));
        }
    if (!image.save(QFile::decodeName(file.c_str()), "PNG")) fail(file, 0, "cannot write");
}

bool legalName(const std::string& s, bool control) {
    if (s.empty()) return false;
    for (char c : s) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                        (control && c >= 'A' && c <= 'Z');
        if (!ok) return false;
    }
    return true;
}

struct Entry {
    std::string control, image;
};

std::vector<Entry> readManifest(const fs::path& file) {
    std::ifstream in(file);
    if (!in) fail(file, 0, "cannot open manifest");
    std::vector<Entry> entries;
    std::map<std::string, int> seen;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        Entry e;
        std::string extra;
        if (!(words >> e.control >> e.image) || (words >> extra))
            fail(file, number, "expected '<Control> <image>'");
        if (!legalName(e.control, true)) fail(file, number, "bad control name '" + e.control + "'");
        if (!legalName(e.image, false)) fail(file, number, "bad image name '" + e.image + "'");
        if (auto [at, fresh] = seen.emplace(e.control, number); !fresh)
            fail(file, number, e.control + " already has a picture on line " + std::to_string(at->second));
        entries.push_back(e);
    }
    if (entries.empty()) fail(file, 0, "no pictures listed");
    return entries;
}

std::string cppArray(const std::string& name, const Bytes& bytes) {
    std::ostringstream out;
    out << "constexpr std::uint8_t " << name << "[" << bytes.size() << "] = {";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i % 16 == 0) out << "\n   ";
        char hex[8];
        std::snprintf(hex, sizeof hex, " 0x%02X,", bytes[i]);
        out << hex;
    }
    out << "\n};\n";
    return out.str();
}

int run(const fs::path& artDir, const fs::path& outDir, const fs::path& picturesDir) {
    const fs::path manifest = artDir / "pictures.txt";
    const auto entries = readManifest(manifest);

    std::map<std::string, Art> arts;
    for (const auto& e : entries)
        if (!arts.count(e.image)) arts.emplace(e.image, readArt(artDir / (e.image + ".txt")));

    fs::create_directories(outDir / "records");
    fs::create_directories(picturesDir);

    // Identical records (a picture shown by two controls) are stored once.
    std::vector<Bytes> records;
    std::vector<std::string> recordNames;
    std::vector<std::size_t> recordOf;
    bool iconWritten = false;
    for (const auto& e : entries) {
        Palette palette = basePalette;
        bool listColours = false;
        for (const auto& o : paletteOverrides)
            if (e.control == o.control) {
                palette[static_cast<std::size_t>(o.index)] = o.colour;
                listColours = true;
            }
        const Art& art = arts.at(e.image);
        const Bytes icon = encodeIcon(art, palette, listColours);
        writeFile(picturesDir / (e.control + ".ico"), icon);
        if (e.control == iconControl) {
            writePng(picturesDir / "miravel.png", art, palette);
            iconWritten = true;
        }
        const Bytes record = encodeRecord(icon);
        std::size_t k = 0;
        while (k < records.size() && records[k] != record) ++k;
        if (k == records.size()) {
            records.push_back(record);
            recordNames.push_back(e.control);
            writeFile(outDir / "records" / (e.control + ".record"), record);
        }
        recordOf.push_back(k);
    }
    if (!iconWritten) fail(manifest, 0, std::string("no picture for the window icon ") + iconControl);

    std::ostringstream cpp;
    cpp << "// Generated by picture_encoder from " << manifest.filename().string()
        << " and the art beside it; edit those, not this.\n"
           "#include \"scene/stored_pictures.h\"\n\n"
           "namespace miravel {\nnamespace {\n\n";
    for (std::size_t k = 0; k < records.size(); ++k) {
        cpp << "// shown by";
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (recordOf[i] == k) cpp << ' ' << entries[i].control << " (" << entries[i].image << ')';
        cpp << '\n' << cppArray("record_" + recordNames[k], records[k]) << '\n';
    }
    cpp << "struct Stored {\n    std::string_view control;\n    std::span<const std::uint8_t> record;\n};\n\n"
           "constexpr Stored stored[] = {\n";
    for (std::size_t i = 0; i < entries.size(); ++i)
        cpp << "    {\"" << entries[i].control << "\", record_" << recordNames[recordOf[i]] << "},\n";
    cpp << "};\n\n} // namespace\n\n"
           "std::span<const std::uint8_t> storedPicture(std::string_view control) {\n"
           "    for (const Stored& s : stored)\n"
           "        if (s.control == control) return s.record;\n"
           "    return {};\n}\n\n} // namespace miravel\n";
    writeText(outDir / "stored_pictures.cpp", cpp.str());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::cerr << "usage: picture_encoder <art-dir> <out-dir> [<pictures-dir>]\n";
        return 2;
    }
    try {
        const fs::path outDir = argv[2];
        return run(argv[1], outDir, argc == 4 ? fs::path(argv[3]) : outDir / "pictures");
    } catch (const Failure& e) {
        std::cerr << "picture_encoder: " << e.what() << '\n';
    } catch (const std::exception& e) {
        std::cerr << "picture_encoder: " << e.what() << '\n';
    }
    return 1;
}
