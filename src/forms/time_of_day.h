#pragma once

#include <string>

namespace forms {

struct TimeOfDay {
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const TimeOfDay&, const TimeOfDay&) = default;
};

// The local time of day from the system clock.
TimeOfDay currentTimeOfDay();

// Hours, minutes and seconds, 24-hour, "13:05:09"; the binding replaces it with the user's convention.
std::string defaultTimeText(TimeOfDay time);

} // namespace forms
