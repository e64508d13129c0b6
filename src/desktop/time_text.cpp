#include "desktop/time_text.h"

#include <QTime>

#include <optional>

namespace miravel::desktop {

QString timeFormatWithoutZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        // The zone and the spaces around it go; one space stays if it separated
        // what is on either side.
        while (i + 1 < format.size() && format[i + 1] == u't') ++i;
        bool spaced = false;
        while (!out.isEmpty() && out.back().isSpace()) {
            out.chop(1);
            spaced = true;
        }
        while (i + 1 < format.size() && format[i + 1].isSpace()) {
            ++i;
            spaced = true;
        }
        if (spaced && !out.isEmpty() && i + 1 < format.size()) out += u' ';
    }
    return out.trimmed();
}

std::function<std::string(forms::TimeOfDay)> localeTimeText(const QLocale& locale) {
    const QString format = timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat));
    // The clock asks ten times a second; the text changes once a second.
    return [locale, format, last = std::optional<forms::TimeOfDay>(), text = std::string()](
               forms::TimeOfDay time) mutable {
        if (time != last) {
            text = locale.toString(QTime(time.hour, time.minute, time.second), format).toStdString();
            last = time;
        }
        return text;
    };
}

} // namespace miravel::desktop
