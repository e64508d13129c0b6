// The trace's lines are written by hand; every one must still be JSON that a
// real parser reads back to what was recorded, whatever a text holds.

#include "desktop/trace_log.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <clocale>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace miravel::desktop {
namespace {

// The trace's lines, each parsed on its own.
std::vector<QJsonObject> readBack(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::vector<QJsonObject> lines;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        EXPECT_TRUE(line.endsWith('\n')) << line.toStdString();
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError)
            << line.toStdString() << ": " << error.errorString().toStdString() << " at " << error.offset;
        EXPECT_TRUE(document.isObject()) << line.toStdString();
        lines.push_back(document.object());
    }
    return lines;
}

// The lines of a trace once write has recorded into it, each parsed on its own.
std::vector<QJsonObject> traced(const std::function<void(TraceLog&)>& write) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("trace.jsonl"));
    QElapsedTimer since;
    since.start();
    {
        TraceLog trace;
        EXPECT_TRUE(dir.isValid() && trace.open(path, since));
        write(trace);
    }
    return readBack(path);
}

TEST(TraceLogTest, EveryTextReadsBackAsRecorded) {
    const std::string texts[] = {
        "say \"when\"",
        "back\\slash \\\" \\n",
        "line\nbreak\r",
        "tab\there",
        "\x01 and \x1f",
        std::string("nul \0 inside", 12),
        "\x7f",
        "\"ms\": 5, \"painted\": 1",
        "é",
        "日本",
        "🐢",
        "The deep sea",
    };
    const std::vector<QJsonObject> lines = traced([&](TraceLog& trace) {
        for (const std::string& text : texts) trace.record("SelectBg", "Click", text, 12.5);
        trace.record("Form", "Load");
    });
    ASSERT_EQ(lines.size(), std::size(texts) + 2);
    EXPECT_TRUE(lines.front().value(QStringLiteral("wall")).isDouble());
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const QJsonObject& line = lines[i + 1];
        EXPECT_EQ(line.value(QStringLiteral("ms")).toDouble(-1), 12.5) << texts[i];
        EXPECT_EQ(line.value(QStringLiteral("handler")).toString().toStdString(), "SelectBg_Click") << texts[i];
        EXPECT_EQ(line.value(QStringLiteral("text")).toString().toStdString(), texts[i]);
    }
    EXPECT_EQ(lines.back().value(QStringLiteral("handler")).toString(), QStringLiteral("Form_Load"));
    EXPECT_FALSE(lines.back().contains(QStringLiteral("text"))) << "an empty text is left out";
}

// The numbers of every kind of line, read back, in the locale now in force.
void expectNumbersReadBack() {
    const std::vector<QJsonObject> lines = traced([](TraceLog& trace) {
        trace.recordVirtualZero(152.885);
        trace.recordPaint(18705, 152.885);
        trace.record("JIKOKU1", "Timer", {}, 1552.885);
    });
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_GT(lines[0].value(QStringLiteral("wall")).toDouble(-1), 1e12);
    EXPECT_EQ(lines[1].value(QStringLiteral("virtual_zero")).toDouble(-1), 152.885);
    EXPECT_EQ(lines[2].value(QStringLiteral("painted")).toDouble(-1), 18705);
    EXPECT_EQ(lines[2].value(QStringLiteral("shows")).toDouble(-1), 152.885);
    EXPECT_EQ(lines[3].value(QStringLiteral("ms")).toDouble(-1), 1552.885);
    for (const QJsonObject& line : lines) EXPECT_TRUE(line.value(QStringLiteral("ms")).isDouble());
}

// QApplication puts the user's locale in force; in many the decimal point is a comma.
TEST(TraceLogTest, NumbersAreJsonNumbersInAnyLocale) {
    const std::string before = std::setlocale(LC_NUMERIC, nullptr);
    const auto restore = qScopeGuard([&] { std::setlocale(LC_NUMERIC, before.c_str()); });
    expectNumbersReadBack();
    // Machines set up for one language have no such locale installed: one is
    // made for the test from the C library's sources (Debian's locales).
    QTemporaryDir made;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        ASSERT_EQ(QProcess::execute(QStringLiteral("localedef"),
                                    {"-i", "de_DE", "-f", "UTF-8", made.filePath(QStringLiteral("de_DE.UTF-8"))}),
                  0);
        qputenv("LOCPATH", QFile::encodeName(made.path()));
        ASSERT_NE(std::setlocale(LC_NUMERIC, "de_DE.UTF-8"), nullptr);
    }
    const auto forget = qScopeGuard([] { qunsetenv("LOCPATH"); });
    ASSERT_EQ(*std::localeconv()->decimal_point, ',');
    expectNumbersReadBack();
}

} // namespace
} // namespace miravel::desktop
