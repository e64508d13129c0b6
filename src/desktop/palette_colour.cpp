#include "desktop/palette_colour.h"

#include <QGuiApplication>

namespace miravel::desktop {

namespace {

// The system colours by their index, as far as a Qt palette has a counterpart.
QPalette::ColorRole roleOf(int index) {
    switch (index) {
    case 0x05: return QPalette::Base;            // window background
    case 0x08: return QPalette::WindowText;      // window text
    case 0x0D: return QPalette::Highlight;       // selection
    case 0x0E: return QPalette::HighlightedText; // selected text
    case 0x10: return QPalette::Dark;            // button shadow
    case 0x11: return QPalette::PlaceholderText; // grey text
    case 0x12: return QPalette::ButtonText;      // button text
    case 0x14: return QPalette::Light;           // button highlight
    case 0x15: return QPalette::Shadow;          // dark 3D shadow
    case 0x16: return QPalette::Midlight;        // light 3D
    case 0x17: return QPalette::ToolTipText;     // tooltip text
    case 0x18: return QPalette::ToolTipBase;     // tooltip background
    default: return QPalette::Button;            // button face and the rest of the 3D family
    }
}

} // namespace

QColor toQColor(forms::Colour colour, const QPalette& palette) {
    if (forms::isSystemColour(colour)) return palette.color(QPalette::Active, roleOf(forms::systemColourIndex(colour)));
    return QColor(forms::red(colour), forms::green(colour), forms::blue(colour));
}

QColor toQColor(forms::Colour colour) { return toQColor(colour, QGuiApplication::palette()); }

} // namespace miravel::desktop
