// The trace's lines are written by hand, and every binding writes them:
// each must be the very text trace_check reads, JSON whatever a text holds.

#include "binding/trace_lines.h"

#include <gtest/gtest.h>

#include <charconv>
#include <random>
#include <string>
#include <vector>

namespace miravel::binding {
namespace {

// The lines of the README's example run, byte for byte.
TEST(TraceLines, EachKindReadsAsTheTraceIsDocumented) {
    EXPECT_EQ(wallLine(127.245, 1796708239537.012), R"({"ms": 127.245, "wall": 1796708239537.012})");
    EXPECT_EQ(handlerLine(150.061, "Form", "Load"), R"({"ms": 150.061, "handler": "Form_Load"})");
    EXPECT_EQ(restingLine(152.893, false), R"({"ms": 152.893, "resting": false})");
    EXPECT_EQ(restingLine(9000, true), R"({"ms": 9000.000, "resting": true})");
    EXPECT_EQ(virtualZeroLine(152.898, 152.885), R"({"ms": 152.898, "virtual_zero": 152.885})");
    EXPECT_EQ(paintLine(153.362, 18705, 152.885), R"({"ms": 153.362, "painted": 18705, "shows": 152.885})");
    EXPECT_EQ(handlerLine(1510.885, "SelectBg", "Click", "Eternity"),
              R"({"ms": 1510.885, "handler": "SelectBg_Click", "text": "Eternity"})");
}

// To the microsecond, rounded, never in exponent form, however large.
TEST(TraceLines, TimesAreFixedToTheMicrosecond) {
    EXPECT_EQ(virtualZeroLine(0, 0), R"({"ms": 0.000, "virtual_zero": 0.000})");
    EXPECT_EQ(virtualZeroLine(0.0004, 65000.0006), R"({"ms": 0.000, "virtual_zero": 65000.001})");
    EXPECT_EQ(virtualZeroLine(1e15, -2.5), R"({"ms": 1000000000000000.000, "virtual_zero": -2.500})");
    EXPECT_EQ(paintLine(1, 4'000'000'000LL, 2), R"({"ms": 1.000, "painted": 4000000000, "shows": 2.000})");
}

// The digits are written out by hand, as the web build's C++ library has no
// std::to_chars for floating point: they must be to_chars's to the letter,
// its exact rounding of the exact value included, where the product by 1000
// lands on a half that the exact value is not.
TEST(TraceLines, TimesAreToCharsDigitsToTheLetter) {
    const auto reference = [](double ms) {
        char digits[64];
        const auto written = std::to_chars(digits, digits + sizeof digits, ms, std::chars_format::fixed, 3);
        return R"({"ms": )" + std::string(digits, written.ptr) + R"(, "resting": true})";
    };
    std::vector<double> times{0.0625, 0.1875, -0.0625, -0.0001, -0.0, 1.0005, 2.0005, 1796708239537.0125,
                              4503599627370.4965};
    for (int k = 0; k < 20000; ++k) {
        times.push_back(k / 16.0);
        times.push_back(k + 0.0005);
        times.push_back(k * 0.1 + 0.0005);
        times.push_back(1796708239537.0 + k * 0.0005);
    }
    std::mt19937_64 random(20261210);
    std::uniform_real_distribution<double> anyTime(-1e6, 1e12);
    for (int k = 0; k < 20000; ++k) times.push_back(anyTime(random));
    int wrong = 0;
    for (const double ms : times) {
        if (restingLine(ms, true) == reference(ms)) continue;
        if (++wrong <= 5) ADD_FAILURE() << restingLine(ms, true) << " for " << reference(ms);
    }
    EXPECT_EQ(wrong, 0);
}

TEST(TraceLines, TextsAreEscapedAndAnEmptyOneLeftOut) {
    const struct {
        std::string text;
        std::string written;
    } texts[] = {
        {R"(say "when")", R"(say \"when\")"},
        {R"(back\slash \" \n)", R"(back\\slash \\\" \\n)"},
        {"line\nbreak\r", R"(line\u000abreak\u000d)"},
        {"tab\there", R"(tab\u0009here)"},
        {"\x01 and \x1f", R"(\u0001 and \u001f)"},
        {std::string("nul \0 inside", 12), R"(nul \u0000 inside)"},
        {"\x7f", "\x7f"},
        {R"("ms": 5, "painted": 1)", R"(\"ms\": 5, \"painted\": 1)"},
        {"é 日本 🐢", "é 日本 🐢"},
    };
    for (const auto& [text, written] : texts) {
        EXPECT_EQ(handlerLine(12.5, "SelectBg", "Click", text),
                  R"({"ms": 12.500, "handler": "SelectBg_Click", "text": ")" + written + R"("})");
    }
    EXPECT_EQ(handlerLine(1, "A\"", "B\n"), R"({"ms": 1.000, "handler": "A\"_B\u000a"})");
    EXPECT_EQ(handlerLine(1, "SelectBg", "Click", ""), R"({"ms": 1.000, "handler": "SelectBg_Click"})");
}

} // namespace
} // namespace miravel::binding
