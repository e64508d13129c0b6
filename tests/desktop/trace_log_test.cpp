// The trace's lines are written by hand; every one must still be JSON that a
// real parser reads back to what was recorded, whatever a text holds.

#include "desktop/trace_log.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QTemporaryDir>

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

} // namespace
} // namespace miravel::desktop
