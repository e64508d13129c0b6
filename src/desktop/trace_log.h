#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <string_view>

namespace miravel::desktop {

// One JSON line per handler run, {"ms": <since start>, "handler": "KAME_Timer"},
// with the list's text for a choice ("text": "The deep sea") so that a run can
// be replayed, and one line per paint of the scene panel with the device
// pixels it covered ({"ms": ..., "painted": 1024}). Each line is flushed at
// once: whoever reads it may kill the program at any moment.
class TraceLog {
public:
    TraceLog() = default;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;
    ~TraceLog();

    // False when the file cannot be written.
    bool open(const QString& path);
    bool isOpen() const { return file_ != nullptr; }

    void record(std::string_view control, std::string_view event, std::string_view text = {});
    void recordPaint(long long devicePixels);

private:
    void write(std::string& line);

    std::FILE* file_ = nullptr;
    QElapsedTimer since_;
};

} // namespace miravel::desktop
