#include "desktop/command_line.h"
#include "desktop/session.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

// A command line, how it ends (0: the window opens), what stderr says, and
// the handlers the window then runs after Load, in order.
struct Case {
    QStringList arguments;
    int status;
    QString stderrHas;
    std::vector<std::string> afterLoad;
};

void PrintTo(const Case& row, std::ostream* out) { *out << '"' << row.arguments.join(u' ').toStdString() << '"'; }

const std::vector<Case> Cases = {
    {{}, 0, {}, {}},
    {{"--time"}, 0, {}, {"JIKOKU_Click"}},
    {{"--scene", "The deep sea"}, 0, {}, {"SelectBg_Click The deep sea"}},
    // Any case; each in the order given; "time" is pressed before the scenes.
    {{"--scene", "eternity", "--scene=THE DEEP SEA", "--time"},
     0,
     {},
     {"JIKOKU_Click", "SelectBg_Click Eternity", "SelectBg_Click The deep sea"}},
    {{"--scene", "The universe", "--scene", "The universe"},
     0,
     {},
     {"SelectBg_Click The universe", "SelectBg_Click The universe"}},
    // The toolkit's options, in both its spellings, are let through to it.
    {{"-display", ":5", "-geometry", "+300+200", "-platform", "xcb", "-style", "Fusion", "-reverse"}, 0, {}, {}},
    {{"--qwindowtitle", "Miravel", "-style=Fusion", "-qwindowgeometry", "-0-0", "-name", "toy", "--time"},
     0,
     {},
     {"JIKOKU_Click"}},
    {{"--zoom", "3", "--on-top", "--trace", "run.json"}, 0, {}, {}},
    // What cannot be taken, and what is said of it.
    {{"--scene", "The moon"},
     2,
     "there is no scene 'The moon': choose \"The universe\", \"The deep sea\" or \"Eternity\"",
     {}},
    {{"--scene", ""}, 2, "there is no scene ''", {}},
    {{"--scene"}, 2, "missing value after '--scene'\nUsage:", {}},
    {{"--zoom", "0"}, 2, "--zoom takes a whole number from 1 to 8, not '0'", {}},
    {{"--zoom", "9"}, 2, "not '9'", {}},
    {{"--zoom", "1.5"}, 2, "not '1.5'", {}},
    {{"--zoom", "x"}, 2, "not 'x'", {}},
    {{"--zoom", "03"}, 2, "not '03'", {}},
    {{"--zoom="}, 2, "not ''", {}},
    {{"--zoom"}, 2, "missing value after '--zoom'", {}},
    {{"--bogus"}, 2, "unknown option 'bogus'\nUsage:", {}},
    {{"now"}, 2, "unexpected argument 'now'\nUsage:", {}},
    {{"--time=yes"}, 2, "unexpected value after '--time'", {}},
    {{"--trace="}, 2, "--trace needs the name of a file", {}},
};

class CommandLineTest : public ::testing::TestWithParam<Case> {};

TEST_P(CommandLineTest, EndsOrStartsAsAPersonWouldByHand) {
    const Case& row = GetParam();
    const auto parsed = parseCommandLine(row.arguments);
    if (const auto* early = std::get_if<EarlyExit>(&parsed)) {
        EXPECT_EQ(early->status, row.status);
        EXPECT_TRUE(early->err.contains(row.stderrHas)) << early->err.toStdString();
        EXPECT_TRUE(early->out.isEmpty());
        return;
    }
    ASSERT_EQ(row.status, 0) << "started, where it should have ended";

    double now = 0;
    Form1 form;
    Session session(form, nullptr, [&now] { return now; });
    ASSERT_TRUE(session.start());
    std::vector<std::string> ran;
    form.setEventObserver([&](std::string_view control, std::string_view event) {
        std::string line = std::string(control) + "_" + std::string(event);
        if (control == form.SelectBg.name()) line += " " + form.SelectBg.text();
        ran.push_back(line);
    });
    session.performStartActions(std::get<StartOptions>(parsed).actions);
    EXPECT_EQ(ran, row.afterLoad);
}

INSTANTIATE_TEST_SUITE_P(Table, CommandLineTest, ::testing::ValuesIn(Cases));

TEST(CommandLine, HelpAndVersionNeedNothingElse) {
    const auto help = std::get<EarlyExit>(parseCommandLine({"--time", "--help"}));
    EXPECT_EQ(help.status, 0);
    for (const char* option : {"--time", "--scene NAME", "--zoom N", "--on-top", "--trace FILE", "-geometry"}) {
        EXPECT_TRUE(help.out.contains(QLatin1String(option))) << option;
    }
    const auto version = std::get<EarlyExit>(parseCommandLine({"--version"}));
    EXPECT_EQ(version.out, QStringLiteral("Miravel " MIRAVEL_VERSION "\n"));
}

TEST(CommandLine, ReadsTheOptionsTheWindowStartsWith) {
    const auto options = std::get<StartOptions>(
        parseCommandLine({"--zoom", "4", "--on-top", "--trace=t.json", "--display", ":3", "-platform", "xcb"}));
    EXPECT_EQ(options.zoom, 4);
    EXPECT_TRUE(options.onTop);
    EXPECT_EQ(options.trace, QStringLiteral("t.json"));
    EXPECT_EQ(options.display, QStringLiteral(":3"));
    EXPECT_EQ(options.platform, QStringLiteral("xcb"));
    const auto plain = std::get<StartOptions>(parseCommandLine({}));
    EXPECT_EQ(plain.zoom, 1);
    EXPECT_FALSE(plain.onTop || plain.trace || plain.display || plain.platform);
}

// The toolkit places the window in its own, zoomed pixels; the offsets it is
// given are divided back to the screen's.
TEST(CommandLine, GeometryIsInScreenPixelsAtAnyZoom) {
    const struct {
        QByteArray given;
        int zoom;
        QByteArray toToolkit;
    } rows[] = {
        {"+300+200", 1, "+300+200"}, {"+300+200", 2, "+150+100"},         {"+301+21", 2, "+151+11"},
        {"-0-0", 3, "-0-0"},         {"200x100-30+9", 3, "200x100-10+3"}, {"nonsense", 2, "nonsense"},
    };
    for (const auto& row : rows) EXPECT_EQ(zoomedGeometry(row.given, row.zoom), row.toToolkit) << row.given.data();

    char program[] = "miravel", geometry[] = "--geometry", place[] = "+300+200", zoom[] = "--zoom", three[] = "3";
    char* argv[] = {program, geometry, place, zoom, three};
    const std::vector<QByteArray> expected{"miravel", "--geometry", "+100+67", "--zoom", "3"};
    EXPECT_EQ(toolkitArguments(5, argv, 3), expected);
}

TEST(CommandLine, ZoomMultipliesTheDesktopsOwnScale) {
    EXPECT_EQ(zoomedScaleFactor("", 3), "3");
    EXPECT_EQ(zoomedScaleFactor("1.5", 2), "3");
    EXPECT_EQ(zoomedScaleFactor("1.25", 2), "2.5");
    EXPECT_EQ(zoomedScaleFactor("garbage", 2), "2");
}

} // namespace
} // namespace miravel::desktop
