#include "web/timeout_alarm.h"

#include <emscripten/eventloop.h>

namespace miravel::web {

void TimeoutAlarm::arm(int ms) {
    stop();
    timeout_ = emscripten_set_timeout(&TimeoutAlarm::expired, ms, this);
}

void TimeoutAlarm::stop() {
    if (timeout_ != 0) emscripten_clear_timeout(timeout_);
    timeout_ = 0;
}

void TimeoutAlarm::expired(void* alarm) {
    auto* self = static_cast<TimeoutAlarm*>(alarm);
    self->timeout_ = 0;
    self->ring_();
}

} // namespace miravel::web
