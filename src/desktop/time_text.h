#pragma once

#include "forms/time_of_day.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <string>

namespace miravel::desktop {

// The locale's long time format without its time zone: hours, minutes,
// seconds and any AM/PM, as the user is used to reading them.
QString timeFormatWithoutZone(const QString& format);

// The clock's text function for a locale.
std::function<std::string(forms::TimeOfDay)> localeTimeText(const QLocale& locale = QLocale::system());

} // namespace miravel::desktop
