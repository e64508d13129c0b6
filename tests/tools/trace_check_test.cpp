// The trace's reader on lines the program writes and on lines it never would,
// and trace_check's report of a bad line in both its modes.

#include "trace_reader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace miravel::trace {
namespace {

constexpr const char* WallLine = R"({"ms": 127.245, "wall": 1796708239537.012})";

// The lines after a wall line, which a trace must begin with.
std::vector<Line> readAfterWall(const std::string& lines) {
    std::istringstream in(std::string(WallLine) + '\n' + lines);
    std::vector<Line> read = readTrace(in, "TRACE");
    read.erase(read.begin());
    return read;
}

// The reader's complaint, empty when it had none.
std::string complaint(const std::string& trace) {
    std::istringstream in(trace);
    try {
        readTrace(in, "TRACE");
    } catch (const BadTrace& bad) {
        return bad.what();
    }
    return {};
}

TEST(TraceReader, ReadsEveryKindTheProgramWrites) {
    const std::vector<Line> lines = readAfterWall(R"({"ms": 150.061, "handler": "Form_Load"}
{"ms": 152.898, "virtual_zero": 152.885}
{"ms": 153.362, "painted": 18705, "shows": 152.885}
{"ms": 1510.553, "handler": "SelectBg_Click", "text": "Eternity"}
{"ms": 20153.2, "resting": true}
)");
    ASSERT_EQ(lines.size(), 5u);
    const auto& load = std::get<HandlerRun>(lines[0]);
    EXPECT_EQ(load.ms, 150.061);
    EXPECT_EQ(load.handler, "Form_Load");
    EXPECT_EQ(load.text, "");
    EXPECT_EQ(std::get<VirtualZero>(lines[1]).ms, 152.898);
    EXPECT_EQ(std::get<VirtualZero>(lines[1]).zero, 152.885);
    const auto& paint = std::get<Painted>(lines[2]);
    EXPECT_EQ(paint.ms, 153.362);
    EXPECT_EQ(paint.pixels, 18705);
    EXPECT_EQ(paint.shows, 152.885);
    EXPECT_EQ(std::get<HandlerRun>(lines[3]).text, "Eternity");
    EXPECT_EQ(std::get<HandlerRun>(lines[3]).number, 5);
    EXPECT_EQ(std::get<Resting>(lines[4]).ms, 20153.2);
    EXPECT_TRUE(std::get<Resting>(lines[4]).resting);

    std::istringstream in(std::string(WallLine) + '\n');
    const std::vector<Line> wall = readTrace(in, "TRACE");
    ASSERT_EQ(wall.size(), 1u);
    EXPECT_EQ(std::get<Wall>(wall[0]).ms, 127.245);
    EXPECT_EQ(std::get<Wall>(wall[0]).epochMs, 1796708239537.012);
}

TEST(TraceReader, ATextIsTextWhateverItHolds) {
    const struct {
        const char* line;
        std::string text;
    } cases[] = {
        {R"({"ms": 7.5, "handler": "SelectBg_Click", "text": "\"ms\": 5"})", R"("ms": 5)"},
        {R"({"ms": 7.5, "handler": "SelectBg_Click", "text": "\"painted\": 3, \"shows\": 1"})",
         R"("painted": 3, "shows": 1)"},
        {R"({"ms": 7.5, "handler": "SelectBg_Click", "text": "a\\b\n\u0001"})", "a\\b\n\x01"},
        {R"({"ms": 7.5, "handler": "SelectBg_Click", "text": "日本 \u00e9"})", "日本 é"},
    };
    for (const auto& c : cases) {
        const std::vector<Line> lines = readAfterWall(c.line);
        ASSERT_EQ(lines.size(), 1u) << c.line;
        const auto& run = std::get<HandlerRun>(lines[0]);
        EXPECT_EQ(run.ms, 7.5) << c.line;
        EXPECT_EQ(run.handler, "SelectBg_Click") << c.line;
        EXPECT_EQ(run.text, c.text) << c.line;
    }
}

TEST(TraceReader, AMegabyteTextIsReadWhole) {
    const std::string text(1 << 20, 'x');
    const std::vector<Line> lines =
        readAfterWall(R"({"ms": 1, "handler": "SelectBg_Click", "text": ")" + text + "\"}\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(std::get<HandlerRun>(lines[0]).text, text);
}

TEST(TraceReader, ABadLineIsSaidWithItsNumber) {
    const struct {
        std::string line;
        std::string said;
    } cases[] = {
        {R"({"ms": 12.5, "handler": "KAME_Tim)", "TRACE:2: not JSON: "},
        {R"({"ms": 12.5, "painted": 1024, "shows": 12)", "TRACE:2: not JSON: "},
        {R"({"ms": 1, "wall": 2} x)", "TRACE:2: not JSON: "},
        {"", "TRACE:2: empty line"},
        {"[1, 2]", "TRACE:2: not a JSON object"},
        {R"({"ms": "12.5", "handler": "KAME_Timer"})", R"(TRACE:2: "ms" is a string, not a number)"},
        {R"({"ms": 12.5, "painted": "1024", "shows": 12})", R"(TRACE:2: "painted" is a string, not a number)"},
        {R"({"ms": 12.5, "handler": 5})", R"(TRACE:2: "handler" is a number, not a string)"},
        {R"({"ms": 12.5, "handler": "SelectBg_Click", "text": null})", R"(TRACE:2: "text" is null, not a string)"},
        {R"({"ms": 12.5, "virtual_zero": true})", R"(TRACE:2: "virtual_zero" is a boolean, not a number)"},
        {R"({"ms": 12.5, "resting": 1})", R"(TRACE:2: "resting" is a number, not a boolean)"},
        {R"({"handler": "Form_Load"})", R"(TRACE:2: no "ms" field)"},
        {R"({"ms": 12.5, "painted": 1024})", R"(TRACE:2: no "shows" field)"},
        {R"({"ms": 12.5, "painted": 10.5, "shows": 12})", R"(TRACE:2: "painted" is not a count of pixels)"},
        {R"({"ms": 12.5, "handler": ""})", R"(TRACE:2: "handler" is empty)"},
        {R"({"ms": 12.5})", R"(TRACE:2: none of "handler", "painted", "wall", "virtual_zero" or "resting")"},
        {R"({"ms": 12.5, "clicked": "end"})", R"(TRACE:2: none of "handler", "painted", "wall", "virtual_zero" or "resting")"},
        {R"({"ms": 12.5, "handler": "Form_Load", "txt": "x"})", R"(TRACE:2: handler line with an unknown field "txt")"},
        {R"({"ms": 12.5, "painted": 3, "shows": 1, "wall": 5})",
         R"(TRACE:2: painted line with an unknown field "wall")"},
        {R"({"ms": 12.5, "wall": 1796708239537.012})", "TRACE:2: a second wall time"},
        {R"({"ms": 1, "handler": ")" + std::string(1 << 20, 'x'), "TRACE:2: not JSON: "},
        // A name is quoted escaped and cut short, however long or strange.
        {R"({"ms": 12.5, "handler": "Form_Load", "a\u0001\n\"b": 1})",
         R"(TRACE:2: handler line with an unknown field "a\u0001\n\"b")"},
        {R"({"ms": 12.5, "handler": "Form_Load", ")" + std::string(1 << 20, 'k') + R"(": 1})",
         R"(TRACE:2: handler line with an unknown field ")" + std::string(MaxQuoted, 'k') + R"("...)"},
    };
    for (const auto& c : cases) {
        const std::string line = c.line.substr(0, 60);
        // A good line after the bad one changes nothing: reading stops at the first.
        const std::string said =
            complaint(std::string(WallLine) + '\n' + c.line + '\n' + R"({"ms": 13, "handler": "Form_Load"})" + '\n');
        EXPECT_EQ(said.rfind(c.said, 0), 0u) << line << "\nsaid: " << said;
        EXPECT_LT(said.size(), 200u) << line << ": the line is not quoted back";
    }
    EXPECT_EQ(complaint(R"({"ms": 1, "handler": "Form_Load"})"), "TRACE:1: the first line is not the wall time");
    EXPECT_EQ(complaint(""), "");
}

struct Finished {
    int status;
    std::string out, err;
};

std::string contents(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A directory of this test's own, so that runs side by side (ctest -j, two
// build trees) never share a file.
class TraceCheck : public ::testing::Test {
protected:
    TraceCheck() {
        std::string name = (std::filesystem::path(::testing::TempDir()) / "trace_check_test.XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) throw std::runtime_error("cannot make a directory in " + name);
        dir = name;
    }
    ~TraceCheck() override { std::filesystem::remove_all(dir); }

    // trace_check with the given trace (after mode), and what it said.
    Finished run(const std::string& mode, const std::filesystem::path& trace) const {
        const std::filesystem::path out = dir / "out", err = dir / "err";
        const std::string command =
            std::string(TRACE_CHECK) + ' ' + mode + trace.string() + " >" + out.string() + " 2>" + err.string();
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, contents(out), contents(err)};
    }

    std::filesystem::path dir;
};

TEST_F(TraceCheck, BothModesSayABadLineAndFail) {
    const std::filesystem::path trace = dir / "bad.jsonl";
    std::ofstream(trace) << WallLine << '\n'
                         << R"({"ms": 150.061, "handler": "Form_Load"})" << '\n'
                         << R"({"ms": 153.362, "painted": 18705, "shows": "152.885"})" << '\n';
    const std::string said = "trace_check: " + trace.string() + R"(:3: "shows" is a string, not a number)" + '\n';
    for (const std::string mode : {"", "--lines "}) {
        const Finished checked = run(mode, trace);
        EXPECT_EQ(checked.status, 2) << mode;
        EXPECT_EQ(checked.err, said) << mode;
        EXPECT_EQ(checked.out, "") << mode;
    }
}

// Well-formed lines that name what the program does not have: the replay
// says which line, and quotes what it names short and escaped.
TEST_F(TraceCheck, AnEventTheProgramLacksIsSaidAtItsLine) {
    const std::string megabyte(1 << 20, 'x');
    const struct {
        std::string line;
        std::string said;
    } cases[] = {
        {R"({"ms": 900, "handler": "SelectBg_Click", "text": "a\", \"ms\": 1e9, \"x\": \""})",
         R"(unknown user event "SelectBg_Click" choosing "a\", \"ms\": 1e9, \"x\": \"")"},
        {R"({"ms": 900, "handler": "SelectBg_Click", "text": "The deep sea\n\u001b[2J"})",
         R"(unknown user event "SelectBg_Click" choosing "The deep sea\n\u001b[2J")"},
        {R"({"ms": 900, "handler": "SelectBg_Click", "text": ")" + megabyte + "\"}",
         R"(unknown user event "SelectBg_Click" choosing ")" + std::string(MaxQuoted, 'x') + R"("...)"},
        {R"({"ms": 900, "handler": "Command9_Click"})", R"(unknown user event "Command9_Click")"},
        {R"({"ms": 900, "handler": ")" + megabyte + "\"}", R"(unknown user event ")" + std::string(MaxQuoted, 'x') + R"("...)"},
    };
    const std::filesystem::path trace = dir / "unknown.jsonl";
    for (const auto& c : cases) {
        std::ofstream(trace) << WallLine << '\n'
                             << R"({"ms": 150.061, "handler": "Form_Load"})" << '\n'
                             << R"({"ms": 152.898, "virtual_zero": 152.885})" << '\n'
                             << c.line << '\n'
                             << R"({"ms": 1000, "handler": "Command3_Click"})" << '\n';
        const Finished checked = run("", trace);
        const std::string line = c.line.substr(0, 80);
        EXPECT_EQ(checked.status, 1) << line;
        EXPECT_EQ(checked.err, "trace_check: " + trace.string() + ":4: " + c.said + '\n') << line;
        EXPECT_EQ(checked.out, "") << line;
    }
}

// The clock's timer, every 100 ms from Load, until the program wakes a second
// late for virtual 400, runs that tick at its own moment and moves its
// timers' clock on: six runs, as in the program, only if the replay takes the
// second zero. Cut anywhere, before the zero or after it, before the late
// paint or after it, the replay runs as many as the cut holds.
TEST_F(TraceCheck, AStallInTheTraceMovesTheReplaysTimersOn) {
    const std::vector<std::string> lines{
        WallLine,
        R"({"ms": 150.061, "handler": "Form_Load"})",
        R"({"ms": 152.898, "virtual_zero": 152.885})",
        R"({"ms": 252.885, "handler": "JIKOKU1_Timer"})",
        R"({"ms": 352.885, "handler": "JIKOKU1_Timer"})",
        R"({"ms": 452.885, "handler": "JIKOKU1_Timer"})",
        R"({"ms": 552.885, "handler": "JIKOKU1_Timer"})", // run at 1553.1, a second late
        R"({"ms": 1552.885, "virtual_zero": 1152.885})",  // the shift's moment on the new clock
        R"({"ms": 1553.9, "painted": 1666, "shows": 1552.885})",
        R"({"ms": 1652.885, "handler": "JIKOKU1_Timer"})",
        R"({"ms": 1752.885, "handler": "JIKOKU1_Timer"})",
    };
    const std::filesystem::path trace = dir / "stall.jsonl";
    for (std::size_t cut = 6; cut <= lines.size(); ++cut) {
        std::ofstream out(trace);
        for (std::size_t i = 0; i < cut; ++i) out << lines[i] << '\n';
        out.close();
        const Finished checked = run("", trace);
        EXPECT_EQ(checked.status, 0) << cut << ": " << checked.err;
        EXPECT_NE(checked.out.find(" unmatched=0 "), std::string::npos) << cut << ": " << checked.out;
        if (cut > 7) {
            EXPECT_NE(checked.out.find(" stalled=1000"), std::string::npos) << cut << ": " << checked.out;
        }
    }
}

TEST_F(TraceCheck, LinesModePrintsATextAsItWasTraced) {
    const std::filesystem::path trace = dir / "text.jsonl";
    std::ofstream(trace) << WallLine << '\n'
                         << R"({"ms": 150.061, "handler": "SelectBg_Click", "text": "\"ms\": 5"})" << '\n'
                         << R"({"ms": 153.362, "painted": 18705, "shows": 152.885})" << '\n'
                         << R"({"ms": 160.5, "resting": false})" << '\n';
    const Finished checked = run("--lines ", trace);
    EXPECT_EQ(checked.status, 0);
    EXPECT_EQ(checked.err, "");
    EXPECT_EQ(checked.out, "127.245 wall 1796708239537.012\n"
                           "150.061 handler SelectBg_Click \"ms\": 5\n"
                           "153.362 painted 18705 152.885\n"
                           "160.500 resting false\n");
}

} // namespace
} // namespace miravel::trace
