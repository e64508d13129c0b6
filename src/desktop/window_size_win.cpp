#include "desktop/window_size.h"

namespace miravel::desktop {

// Qt for Windows already leaves the resizing frame and the maximize box off
// a window of one size that asks for no maximize button, and says so again
// itself whenever the flags change.
void WindowSize::askForNoResizing(QWidget&) {}

} // namespace miravel::desktop
