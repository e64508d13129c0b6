#pragma once

#include "forms/time_of_day.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <string>

namespace miravel::desktop {

// The clock's format made from one of a locale's time formats: its hours,
// minutes and AM/PM, with seconds added after the minutes (behind the
// locale's own separator) when it has none, and without the time zone. The
// day periods that Qt cannot write (B and b) become its AM/PM.
QString clockTimeFormat(const QString& timeFormat);

// The clock's text function for a locale: its short time format with seconds,
// in its own digits, or in ASCII digits where no installed face draws those.
std::function<std::string(forms::TimeOfDay)> localeTimeText(const QLocale& locale = QLocale::system());

} // namespace miravel::desktop
