#pragma once

#include <QElapsedTimer>
#include <QString>

#include <cstdio>
#include <string>
#include <string_view>

namespace miravel::desktop {

// The trace in a file, its lines made by binding/trace_lines.h: one JSON line
// per handler run, {"ms": <since start>, "handler": "KAME_Timer"}, with the
// list's text for a choice ("text": "The deep sea") so that a run can be
// replayed, and one line per paint of the scene panel with the device pixels
// it covered ({"ms": ..., "painted": 1024}). Each line is flushed at once:
// whoever reads it may kill the program at any moment.
//
// Two lines tie the trace to other clocks. The first carries the wall-clock
// time, in milliseconds since the epoch, read together with its "ms", so that
// the clock's refreshes can be held against the real second and the window's
// first paint against the moment the program was started. Another says at
// which "ms" the form's virtual clock stood at 0, so that every timer run can
// be held against its ideal time.
//
// When a line cannot be written (the disk is full, say), it says so
// once on stderr and writes nothing more; the program runs on and tells by
// its exit status that the trace is incomplete.
class TraceLog {
public:
    TraceLog() = default;
    TraceLog(const TraceLog&) = delete;
    TraceLog& operator=(const TraceLog&) = delete;
    ~TraceLog();

    // Times are read from since, started by the caller. False, said on
    // stderr, when the file cannot be opened for writing.
    bool open(const QString& path, const QElapsedTimer& since);
    bool isOpen() const { return file_ != nullptr; }
    // Whether opening or a write failed.
    bool failed() const { return failed_; }

    // A handler's run, now or at the given "ms".
    void record(std::string_view control, std::string_view event, std::string_view text = {});
    void record(std::string_view control, std::string_view event, std::string_view text, double ms);
    // A paint that reached the screen now, and the "ms" of the moment it shows.
    void recordPaint(long long devicePixels, double shows);
    // The trace's "ms" at which the virtual clock read 0, now or at the given "ms".
    void recordVirtualZero(double zero);
    void recordVirtualZero(double zero, double ms);
    // The driver stopped its timer (resting) or armed it again, now.
    void recordResting(bool resting);

private:
    double now() const { return static_cast<double>(since_.nsecsElapsed()) / 1e6; }
    // Writes the line with its newline, and flushes it.
    void write(std::string line);
    void fail(int error);

    std::FILE* file_ = nullptr;
    QString path_;
    QElapsedTimer since_;
    bool failed_ = false;
};

} // namespace miravel::desktop
