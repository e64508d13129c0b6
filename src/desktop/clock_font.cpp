#include "desktop/clock_font.h"

#include "binding/panel_plan.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextLayout>

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

// Spaces and format controls draw no glyph of their own: shaping stands in
// for those a face lacks.
QString inkedCharacters(const QString& text) {
    QString inked;
    for (const char32_t c : text.toUcs4()) {
        if (!QChar::isSpace(c) && QChar::category(c) != QChar::Other_Format) inked += QString::fromUcs4(&c, 1);
    }
    return inked;
}

bool draws(const QFont& face, const QString& inked) {
    const QList<quint32> glyphs = QRawFont::fromFont(face).glyphIndexesForString(inked);
    return std::none_of(glyphs.begin(), glyphs.end(), [](quint32 glyph) { return glyph == 0; });
}

// A synthesised slant is no italic face; CJK and Bengali faces have none.
bool hasItalicFace(const QString& family) {
    const QStringList styles = QFontDatabase::styles(family);
    return std::any_of(styles.begin(), styles.end(),
                       [&](const QString& style) { return QFontDatabase::italic(family, style); });
}

// The faces Qt itself would draw text's characters with, in the system's
// order of preference.
QStringList fallbackFamilies(const QString& text, QFont font) {
    font.setItalic(false);
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QStringList families;
    for (const QGlyphRun& run : layout.glyphRuns()) {
        // Characters no face draws come as a run of boxes drawn by no font
        // file, which has no font tables (and no family name to ask for).
        if (!run.rawFont().fontTable("head").isEmpty()) families.append(run.rawFont().familyName());
    }
    families.removeDuplicates();
    return families;
}

// Every digit replaced by its script's zero: times of one shape share a face.
QString shapeOf(const QString& text) {
    QString shape = text;
    for (QChar& c : shape) {
        if (c.isDigit()) c = QChar(c.unicode() - c.digitValue());
    }
    return shape;
}

// The digit of zero's script that takes most room in font.
QChar widestDigit(const QFontMetrics& metrics, QChar zero) {
    QChar widest = zero;
    int width = -1;
    for (char16_t d = zero.unicode(); d < zero.unicode() + 10; ++d) {
        const int w = std::max(metrics.horizontalAdvance(QChar(d)), metrics.boundingRect(QChar(d)).right() + 1);
        if (w > width) {
            width = w;
            widest = QChar(d);
        }
    }
    return widest;
}

// Text as wide as any time of its shape can be.
QString withWidestDigits(const QString& text, const QFontMetrics& metrics) {
    QString widest = text;
    for (QChar& c : widest) {
        if (c.isDigit()) c = widestDigit(metrics, QChar(c.unicode() - c.digitValue()));
    }
    return widest;
}

} // namespace

std::optional<QFont> faceDrawing(const QString& text, const QFont& preferred) {
    const QString inked = inkedCharacters(text);
    QFont face = preferred;
    if (preferred.italic() && hasItalicFace(QFontInfo(preferred).family()) && draws(face, inked)) return face;
    face.setItalic(false);
    if (draws(face, inked)) return face;
    for (const QString& family : fallbackFamilies(text, preferred)) {
        face.setFamily(family);
        face.setItalic(preferred.italic() && hasItalicFace(family));
        if (draws(face, inked)) return face;
        face.setItalic(false);
        if (draws(face, inked)) return face;
    }
    return std::nullopt;
}

ClockFont::ClockFont(const forms::Font& original, const std::function<std::string(forms::TimeOfDay)>& timeText)
    : preferredPixelSize_(std::max(MinimumPixelSize, static_cast<int>(std::lround(original.points * 96.0 / 72.0)))) {
    const QString family = familyFor(original);
    if (!family.isEmpty()) base_.setFamily(family);
    base_.setItalic(original.italic);
    base_.setWeight(original.weight >= 600 ? QFont::Bold : QFont::Normal);
    base_.setPixelSize(preferredPixelSize_);
    for (const int hour : {1, 10, 13, 22}) {
        dayTexts_.append(QString::fromStdString(timeText(forms::TimeOfDay{hour, 59, 59})));
    }
}

bool ClockFont::fits(const QFont& font, const QString& text, QSize box) {
    const QFontMetrics metrics(font);
    const QRect ink = metrics.boundingRect(text);
    // Italic glyphs lean beyond their advance; both must fit.
    const int width = std::max(metrics.horizontalAdvance(text), ink.right() + 1) - std::min(0, ink.left());
    const forms::PixelRect caption = binding::captionBox({0, 0, box.width(), box.height()});
    return width <= caption.width && metrics.height() <= caption.height;
}

// Where no one face draws it all, Qt's own fallback draws each character in
// some face; upright, since the fallbacks of an italic face may lack them.
QFont ClockFont::faceFor(const QString& text, const QString& shape) {
    auto found = faceByShape_.constFind(shape);
    if (found == faceByShape_.constEnd()) {
        QFont upright = base_;
        upright.setItalic(false);
        found = faceByShape_.insert(shape, faceDrawing(text, base_).value_or(upright));
    }
    return *found;
}

int ClockFont::dayPixelSize(QFont face, QSize box) const {
    int size = preferredPixelSize_;
    for (; size > MinimumPixelSize; --size) {
        face.setPixelSize(size);
        const QFontMetrics metrics(face);
        if (std::all_of(dayTexts_.begin(), dayTexts_.end(),
                        [&](const QString& text) { return fits(face, withWidestDigits(text, metrics), box); })) {
            break;
        }
    }
    return size;
}

QFont ClockFont::fontFor(const QString& text, QSize box) {
    const QString shape = shapeOf(text);
    if (shape == lastShape_ && box == lastBox_) return lastFont_;
    QFont font = faceFor(text, shape);
    const QString key =
        QStringLiteral("%1/%2@%3x%4").arg(font.family()).arg(font.italic()).arg(box.width()).arg(box.height());
    auto found = pixelSizeByFace_.constFind(key);
    if (found == pixelSizeByFace_.constEnd()) found = pixelSizeByFace_.insert(key, dayPixelSize(font, box));
    font.setPixelSize(*found);
    lastShape_ = shape;
    lastBox_ = box;
    lastFont_ = font;
    return font;
}

} // namespace miravel::desktop
