#pragma once

#include "forms/controls.h"
#include "forms/time_of_day.h"

#include <QFont>
#include <QHash>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>

namespace miravel::desktop {

// A face that draws every character of text: preferred's family, italic if
// preferred is and that family's own italic face draws them, else upright;
// failing that, the first of the faces Qt falls back to that draws them all.
// Nothing when no installed face does.
std::optional<QFont> faceDrawing(const QString& text, const QFont& preferred);

// The clock label's font. Its own face is rarely installed, so a decorative
// family stands in, italic like the original; texts it cannot draw get a face
// that can. The size is chosen once for all the texts of a day, measured with
// the widest digit of their own script, so the clock never changes size as
// the hours pass.
class ClockFont {
public:
    // Families tried in order; the default family when none is installed.
    static constexpr const char* Fallbacks[] = {"Comic Neue"};
    static constexpr int MinimumPixelSize = 6;

    // timeText is what the clock shows at each time of day.
    ClockFont(const forms::Font& original, const std::function<std::string(forms::TimeOfDay)>& timeText);

    // A font that draws text and in which every text of the day fits a label of that size.
    QFont fontFor(const QString& text, QSize box);

    // The size the original asks for, in pixels at 96 dots per inch.
    int preferredPixelSize() const { return preferredPixelSize_; }

    // True when text, drawn in font, fits where a label of that size writes
    // its caption (binding's captionBox).
    static bool fits(const QFont& font, const QString& text, QSize box);

private:
    // shape: text with every digit its script's zero.
    QFont faceFor(const QString& text, const QString& shape);
    int dayPixelSize(QFont face, QSize box) const;

    QFont base_;
    int preferredPixelSize_;
    // One time for each shape a day has: hours of one and two digits, AM and PM.
    QStringList dayTexts_;
    QHash<QString, QFont> faceByShape_;
    QHash<QString, int> pixelSizeByFace_;
    // The last answer: the shape of a time changes a few times a day.
    QString lastShape_;
    QSize lastBox_;
    QFont lastFont_;
};

} // namespace miravel::desktop
