#include "forms/time_of_day.h"

#include <cstdio>
#include <ctime>

namespace forms {

TimeOfDay currentTimeOfDay() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_hour, local.tm_min, local.tm_sec};
}

std::string defaultTimeText(TimeOfDay time) {
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", time.hour, time.minute, time.second);
    return text;
}

} // namespace forms
