// trace_picture on traces of runs: each moment drawn from the actions before
// it and the virtual clock's zero in force then, the window's colour as
// given; and what it says, and does not write, when it cannot draw.
// Against the real window: tests/window/trace_picture.sh.

#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

constexpr const char* WallLine = R"({"ms": 127.245, "wall": 1796708239537.012})";
constexpr const char* LoadLines = R"({"ms": 150.061, "handler": "Form_Load"}
{"ms": 152.898, "virtual_zero": 152.885}
)";

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct Finished {
    int status;
    std::string err;
};

// A directory of this test's own, so that runs side by side never share a file.
class TracePicture : public ::testing::Test {
protected:
    TracePicture() {
        std::string name = (std::filesystem::path(::testing::TempDir()) / "trace_picture_test.XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make a directory in " + name);
        dir = name;
    }
    ~TracePicture() override { std::filesystem::remove_all(dir); }

    // A trace file of a wall line and these lines.
    std::filesystem::path trace(const std::string& name, const std::string& lines) const {
        const std::filesystem::path file = dir / name;
        std::ofstream(file) << WallLine << '\n' << lines;
        return file;
    }

    // trace_picture with these arguments, and what it said.
    Finished run(const std::string& arguments) const {
        const std::filesystem::path err = dir / "err";
        const std::string command = std::string(TRACE_PICTURE) + ' ' + arguments + " >/dev/null 2>" + err.string();
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contents(err)};
    }

    // The picture at a moment, or a null image when none was written.
    QImage picture(const std::filesystem::path& trace, const std::string& ms, const std::string& options = "") const {
        const std::filesystem::path out = dir / "picture.png";
        std::filesystem::remove(out);
        const Finished finished = run(options + ' ' + trace.string() + ' ' + ms + ' ' + out.string());
        EXPECT_EQ(finished.status, 0) << finished.err;
        return QImage(QString::fromStdString(out.string()));
    }

    std::filesystem::path dir;
};

bool allOf(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != colour) return false;
    return true;
}

// A choice shows from its own moment on, and "clear" leaves the window's
// colour alone: this machine's, or the one given.
TEST_F(TracePicture, EachMomentShowsTheActionsBeforeIt) {
    const auto run = trace("choices.jsonl", std::string(LoadLines) +
                                                R"({"ms": 1000.5, "handler": "SelectBg_Click", "text": "The universe"})"
                                                "\n"
                                                R"({"ms": 3000.5, "handler": "Command2_Click"})"
                                                "\n");
    const QImage loaded = picture(run, "999");
    const QImage universe = picture(run, "1000.5");
    const QImage later = picture(run, "2999");
    const QImage cleared = picture(run, "3000.5");
    ASSERT_FALSE(loaded.isNull());
    EXPECT_NE(universe, loaded);
    // The universe is black behind its pictures.
    EXPECT_EQ(universe.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(later.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_TRUE(allOf(cleared, loaded.pixel(0, 0)));

    const QImage elsewhere = picture(run, "3000.5", "--window-colour '#123456'");
    EXPECT_EQ(elsewhere.size(), cleared.size());
    EXPECT_TRUE(allOf(elsewhere, qRgb(0x12, 0x34, 0x56)));
}

// A run that stalled a second and moved its timers' clock on shows, after the
// stall, what the run without it showed a second earlier: the deep sea moves
// every tenth of a second, so any other moment would differ.
TEST_F(TracePicture, AStallMovesTheMomentsOnAfterIt) {
    const std::string choice = std::string(LoadLines) +
                               R"({"ms": 1000, "handler": "SelectBg_Click", "text": "The deep sea"})" + "\n";
    const auto smooth = trace("smooth.jsonl", choice);
    const auto stalled = trace("stalled.jsonl", choice + R"({"ms": 2552.885, "virtual_zero": 1152.885})" + "\n");
    EXPECT_EQ(picture(stalled, "2000"), picture(smooth, "2000"));
    const QImage afterStall = picture(stalled, "3052.885");
    EXPECT_EQ(afterStall, picture(smooth, "2052.885"));
    EXPECT_NE(afterStall, picture(smooth, "3052.885"));
}

TEST_F(TracePicture, WhatCannotBeDrawnIsSaidAndNothingWritten) {
    const auto good = trace("good.jsonl", LoadLines);
    const auto badLine = trace("bad.jsonl", std::string(LoadLines) + R"({"ms": 153.362, "painted": "many"})" + "\n");
    const auto unknown =
        trace("unknown.jsonl", std::string(LoadLines) + R"({"ms": 900, "handler": "Command9_Click"})" + "\n");
    const auto noZero = trace("nozero.jsonl", R"({"ms": 150.061, "handler": "Form_Load"})" "\n");
    const std::filesystem::path out = dir / "out.png";
    const struct {
        std::string arguments;
        int status;
        std::string said; // the start of a line of what it says
    } cases[] = {
        {"", 2, "Usage: trace_picture"},
        {good.string() + " 500", 2, "Usage: trace_picture"},
        {good.string() + " 500 " + out.string() + " extra", 2, "Usage: trace_picture"},
        {good.string() + " 5oo " + out.string(), 2, R"(trace_picture: "5oo" is no moment in trace ms)"},
        {good.string() + " nan " + out.string(), 2, R"(trace_picture: "nan" is no moment in trace ms)"},
        {"--window-colour nought " + good.string() + " 500 " + out.string(), 2,
         R"(trace_picture: "nought" is no colour)"},
        {(dir / "missing.jsonl").string() + " 500 " + out.string(), 2,
         "trace_picture: cannot read " + (dir / "missing.jsonl").string()},
        {badLine.string() + " 500 " + out.string(), 2, "trace_picture: " + badLine.string() + ":4: "},
        {noZero.string() + " 500 " + out.string(), 2, "trace_picture: " + noZero.string() + " lacks"},
        {good.string() + " 100 " + out.string(), 2, "trace_picture: 100 is before the run's first handler"},
        {unknown.string() + " 1000 " + out.string(), 1,
         "trace_picture: " + unknown.string() + R"(:4: unknown user event "Command9_Click")"},
        {good.string() + " 500 " + (dir / "no" / "such" / "out.png").string(), 1, "trace_picture: cannot write"},
    };
    for (const auto& c : cases) {
        const Finished finished = run(c.arguments);
        EXPECT_EQ(finished.status, c.status) << c.arguments;
        // The toolkit may say things of its own first.
        EXPECT_TRUE(finished.err.starts_with(c.said) || finished.err.find('\n' + c.said) != std::string::npos)
            << c.arguments << ": " << finished.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << c.arguments;
    }
}

} // namespace
