#include "desktop/clock_font.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace miravel::desktop {

namespace {

QString familyFor(const forms::Font& original) {
    const QStringList installed = QFontDatabase::families();
    const QString own = QString::fromUtf8(original.face.data(), static_cast<qsizetype>(original.face.size()));
    if (!own.isEmpty() && installed.contains(own, Qt::CaseInsensitive)) return own;
    for (const char* family : ClockFont::Fallbacks) {
        if (installed.contains(QString::fromLatin1(family), Qt::CaseInsensitive)) return QString::fromLatin1(family);
    }
    return {};
}

// Every digit of text replaced by one mark: "12:34:56" and "09:59:00" share a shape.
QString shapeOf(const QString& text) {
    QString shape = text;
    for (QChar& c : shape) {
        if (c.isDigit()) c = u'#';
    }
    return shape;
}

// The digit that takes most room in font: the time is measured with it in
// every digit's place, so later seconds never outgrow the chosen size.
QChar widestDigit(const QFontMetrics& metrics) {
    QChar widest = u'0';
    int width = -1;
    for (char16_t d = u'0'; d <= u'9'; ++d) {
        const int w = std::max(metrics.horizontalAdvance(QChar(d)), metrics.boundingRect(QChar(d)).right() + 1);
        if (w > width) {
            width = w;
            widest = QChar(d);
        }
    }
    return widest;
}

} // namespace

ClockFont::ClockFont(const forms::Font& original)
    : preferredPixelSize_(std::max(MinimumPixelSize, static_cast<int>(std::lround(original.points * 96.0 / 72.0)))) {
    const QString family = familyFor(original);
    if (!family.isEmpty()) base_.setFamily(family);
    base_.setItalic(original.italic);
    base_.setWeight(original.weight >= 600 ? QFont::Bold : QFont::Normal);
    base_.setPixelSize(preferredPixelSize_);
}

bool ClockFont::fits(const QFont& font, const QString& text, QSize box) {
    const QFontMetrics metrics(font);
    const QRect ink = metrics.boundingRect(text);
    // Italic glyphs lean beyond their advance; both must fit.
    const int width = std::max(metrics.horizontalAdvance(text), ink.right() + 1) - std::min(0, ink.left());
    return width <= box.width() - 2 * Margin && metrics.height() <= box.height();
}

QFont ClockFont::fontFor(const QString& text, QSize box) {
    const QString shape = shapeOf(text) + QLatin1Char('@') + QString::number(box.width()) + QLatin1Char('x') +
                          QString::number(box.height());
    QFont font = base_;
    if (auto found = pixelSizeByShape_.constFind(shape); found != pixelSizeByShape_.constEnd()) {
        font.setPixelSize(*found);
        return font;
    }
    int size = preferredPixelSize_;
    for (; size > MinimumPixelSize; --size) {
        font.setPixelSize(size);
        QString widest = text;
        const QChar digit = widestDigit(QFontMetrics(font));
        for (QChar& c : widest) {
            if (c.isDigit()) c = digit;
        }
        if (fits(font, widest, box)) break;
    }
    font.setPixelSize(size);
    pixelSizeByShape_.insert(shape, size);
    return font;
}

} // namespace miravel::desktop
