#pragma once

#include "forms/colour.h"

#include <QColor>
#include <QPalette>

namespace miravel::desktop {

// A runtime colour as the desktop shows it: plain colours as they are, system
// colours from the palette the user's desktop gives the application.
QColor toQColor(forms::Colour colour, const QPalette& palette);

// The same with the application's current palette.
QColor toQColor(forms::Colour colour);

} // namespace miravel::desktop
