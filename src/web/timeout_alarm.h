#pragma once

#include "binding/pacer.h"

#include <functional>

namespace miravel::web {

// The pacer's alarm in the page: one browser timeout (setTimeout), cleared
// before another is set. While none is set the program costs the page
// nothing: no timer, no frame callback, no polling.
class TimeoutAlarm : public binding::Alarm {
public:
    // ring is called when the timeout expires.
    explicit TimeoutAlarm(std::function<void()> ring) : ring_(std::move(ring)) {}
    TimeoutAlarm(const TimeoutAlarm&) = delete;
    TimeoutAlarm& operator=(const TimeoutAlarm&) = delete;
    ~TimeoutAlarm() override { stop(); }

    void arm(int ms) override;
    void stop() override;

private:
    static void expired(void* alarm);

    std::function<void()> ring_;
    long timeout_ = 0; // the browser's id of the timeout set, 0 for none
};

} // namespace miravel::web
