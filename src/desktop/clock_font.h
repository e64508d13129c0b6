#pragma once

#include "forms/controls.h"

#include <QFont>
#include <QHash>
#include <QSize>
#include <QString>

namespace miravel::desktop {

// The clock label's font. Its own face is rarely installed, so a decorative
// family stands in, italic like the original, and is shrunk until the time
// text fits the small label box. The time changes every second but its shape
// (which characters are digits) rarely does: sizes are kept per shape and
// measured with the widest digit, so every time of that shape fits.
class ClockFont {
public:
    // Families tried in order; the default family when none is installed.
    static constexpr const char* Fallbacks[] = {"Comic Neue"};
    static constexpr int MinimumPixelSize = 6;
    // Room kept free inside the box, on each side, in pixels.
    static constexpr int Margin = 1;

    explicit ClockFont(const forms::Font& original);

    // A font in which text fits a box of that size.
    QFont fontFor(const QString& text, QSize box);

    // The size the original asks for, in pixels at 96 dots per inch.
    int preferredPixelSize() const { return preferredPixelSize_; }

    // True when text, drawn in font, fits a box of that size with the margin.
    static bool fits(const QFont& font, const QString& text, QSize box);

private:
    QFont base_;
    int preferredPixelSize_;
    QHash<QString, int> pixelSizeByShape_;
};

} // namespace miravel::desktop
