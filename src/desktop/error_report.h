#pragma once

#include "forms/runtime_error.h"

class QWidget;

namespace miravel::desktop {

// Tells the user about a run-time error (binding/error_text.h): a line on
// stderr and, where there is a screen to show it on, a message box that
// waits to be dismissed.
void reportRuntimeError(const forms::RuntimeError& error, QWidget* parent = nullptr);

} // namespace miravel::desktop
