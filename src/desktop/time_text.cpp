#include "desktop/time_text.h"

#include "desktop/clock_font.h"

#include <QList>
#include <QTime>

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace miravel::desktop {

namespace {

// A run of one letter that Qt reads as part of the time, or literal text
// (quotes kept).
struct Token {
    QString text;
    bool field = false;

    bool is(QChar letter) const { return field && text.front() == letter; }
};

bool isFieldLetter(QChar c) { return QStringView(u"hHmszaApPtBb").contains(c); }

QList<Token> tokensOf(const QString& format) {
    QList<Token> tokens;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        const bool field = !quoted && isFieldLetter(c);
        if (!tokens.isEmpty() && tokens.back().field == field && (!field || tokens.back().text.front() == c)) {
            tokens.back().text += c;
        } else {
            tokens.append({QString(c), field});
        }
    }
    return tokens;
}

QString joined(const QList<Token>& tokens) {
    QString text;
    for (const Token& token : tokens) text += token.text;
    return text;
}

bool bracketsOnlyZone(QChar open, QChar close) {
    return (open == u'(' && close == u')') || (open == u'[' && close == u']');
}

QString withoutZone(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') {
            out += c;
            continue;
        }
        // The zone goes with the brackets and spaces around it; one space
        // stays if it separated what is on either side.
        while (i + 1 < format.size() && format[i + 1] == u't') ++i;
        if (!out.isEmpty() && i + 1 < format.size() && bracketsOnlyZone(out.back(), format[i + 1])) {
            out.chop(1);
            ++i;
        }
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

// Qt writes "Ap" as the locale's own AM/PM text.
void dayPeriodsAsAmPm(QList<Token>& tokens) {
    for (Token& token : tokens) {
        if (token.is(u'B') || token.is(u'b')) token.text = QStringLiteral("Ap");
    }
}

// The separator between hours and minutes goes between minutes and seconds
// too, unless it is a word ("HH 'h' mm"), which would read as hours again.
void secondsAfterMinutes(QList<Token>& tokens) {
    qsizetype hour = -1;
    qsizetype minute = -1;
    for (qsizetype i = 0; i < tokens.size(); ++i) {
        if (tokens[i].is(u's')) return;
        if (minute < 0 && (tokens[i].is(u'h') || tokens[i].is(u'H'))) hour = i;
        if (minute < 0 && tokens[i].is(u'm')) minute = i;
    }
    if (minute < 0) return;
    QString separator;
    for (qsizetype i = hour + 1; hour >= 0 && i < minute; ++i) separator += tokens[i].text;
    const bool plain =
        std::none_of(separator.begin(), separator.end(), [](QChar c) { return c.isLetter() || c == u'\''; });
    if (separator.isEmpty() || !plain) separator = QStringLiteral(":");
    tokens.insert(minute + 1, Token{QString(tokens[minute].text.size(), u's'), true});
    tokens.insert(minute + 1, Token{separator, false});
}

QString digitsOf(const QLocale& locale) {
    const char32_t zero = locale.zeroDigit().toUcs4().front();
    QString digits;
    for (char32_t d = zero; d < zero + 10; ++d) digits += QString::fromUcs4(&d, 1);
    return digits;
}

QString withAsciiDigits(const QString& text) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        const int value = QChar::digitValue(c);
        out += value >= 0 && QChar::isDigit(c) ? QString(QChar(u'0' + value)) : QString::fromUcs4(&c, 1);
    }
    return out;
}

} // namespace

QString clockTimeFormat(const QString& timeFormat) {
    QList<Token> tokens = tokensOf(withoutZone(timeFormat));
    dayPeriodsAsAmPm(tokens);
    secondsAfterMinutes(tokens);
    return joined(tokens);
}

std::function<std::string(forms::TimeOfDay)> localeTimeText(const QLocale& locale) {
    const QString format = clockTimeFormat(locale.timeFormat(QLocale::ShortFormat));
    // Digits of another script tell the time; boxes do not.
    const bool ownDigits = faceDrawing(digitsOf(locale), QFont()).has_value();
    // The clock asks ten times a second, and the driver's look-ahead runs up
    // to a second ahead of it: the texts of the last two seconds are kept.
    using Entry = std::optional<std::pair<forms::TimeOfDay, std::string>>;
    return [locale, format, ownDigits, recent = std::array<Entry, 2>()](forms::TimeOfDay time) mutable {
        for (const Entry& entry : recent) {
            if (entry && entry->first == time) return entry->second;
        }
        const QString shown = locale.toString(QTime(time.hour, time.minute, time.second), format);
        recent[1] = std::move(recent[0]);
        recent[0] = std::make_pair(time, (ownDigits ? shown : withAsciiDigits(shown)).toStdString());
        return recent[0]->second;
    };
}

} // namespace miravel::desktop
