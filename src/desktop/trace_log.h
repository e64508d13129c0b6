#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <string_view>

namespace miravel::desktop {

// One JSON line per handler run, {"ms": <since start>, "handler": "KAME_Timer"},
// flushed at once: whoever reads it may kill the program at any moment.
class TraceLog {
public:
    TraceLog() = default;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;
    ~TraceLog();

    // False when the file cannot be written.
    bool open(const QString& path);
    bool isOpen() const { return file_ != nullptr; }

    void record(std::string_view control, std::string_view event);

private:
    std::FILE* file_ = nullptr;
    QElapsedTimer since_;
};

} // namespace miravel::desktop
