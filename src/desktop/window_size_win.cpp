#include "desktop/window_size.h"

namespace miravel::desktop {

// Qt for Windows gives a framed window a sizing border whatever its size
// limits, unless it asks for a dialog's thin frame; the maximize box stays
// off as the flags ask for none. The hint travels with the flags, so a
// change of them (staying on top) keeps it.
void WindowSize::askForNoResizing(QWidget& window) {
    if (!window.windowFlags().testFlag(Qt::MSWindowsFixedSizeDialogHint))
        window.setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
}

} // namespace miravel::desktop
